#pragma once

// What the bridge layer hands on to the layers above it. Each layer registers its side at
// start-up (main window, login sheet, share store, peer handler, remote browser, contact page)
// through the registration points named with each interface; the bridge layer never includes
// those layers. A registrant clears its registration before it goes away. GUI thread only.

#include "receive_sheet_state.h"

#include <QList>
#include <QString>

#include <nlohmann/json.hpp>

class LenientJson;

namespace P2PClientMsg {
// State of a peer connection, handed to the view that owns the connection.
enum class ConStatus { csConnected, csMaxClients, csInvalid };
} // namespace P2PClientMsg

// The main window. Registered as Env::globalMainView.
class MainViewInterface
{
public:
    virtual ~MainViewInterface() = default;
    virtual void showToast(const QString &title) = 0;
    virtual CtlViewReceiveFile ctlViewReceiveFile() const = 0;
    // Showing or hiding the receive-files sheet follows isShowView.
    virtual void setCtlViewReceiveFile(const CtlViewReceiveFile &state) = 0;
};

// The login sheet. Registered as Env::globalLoginView.
class LoginViewInterface
{
public:
    virtual ~LoginViewInterface() = default;
    // Offers the downloaded installer when the sheet is showing; does nothing otherwise.
    virtual void offerUpgrade(const QString &installerPath) = 0;
};

// Handler of the content of "LoginResult" frames. Registered as BridgeMessage::loginResultHandler.
class LoginResultHandler
{
public:
    virtual ~LoginResultHandler() = default;
    virtual void DoLoginResult(const QString &text) = 0;
};

// The share store that peers are answered from. Registered as Env::shareStore.
class ShareStoreInterface
{
public:
    virtual ~ShareStoreInterface() = default;
    virtual QString LocalShare_GetCTime(const QString &tag) = 0;
    virtual bool LocalShare_CheckPassword(const QString &tag, const QString &pass) = 0;
    // The stored tag of the share that tag names (the empty tag and "index.php" name the default
    // share; letter case aside); "" when there is none.
    virtual QString LocalShare_GetTag(const QString &tag) = 0;
    // The matching shares, each as the JSON record peers receive.
    virtual QList<nlohmann::json> LocalShare_List(const QString &tag, bool onlyEnabled, bool useDefault) = 0;
};

// The peer side of this client. Registered as BridgeMessage::peerRequestHandler.
class PeerRequestHandler
{
public:
    virtual ~PeerRequestHandler() = default;
    // A "WSDC" message that is not an answer to one of our own requests: a peer's request.
    // message is the parsed content, text the content as received.
    virtual void DoWSDCRequest(const LenientJson &message, const QString &text) = 0;
    // The bridge reported a new peer connection and the session values now hold it: ask the peer
    // whether it has room for this client ("ClientTouch").
    virtual void onPeerConnected() = 0;
};

// The remote file browser. Registered as HelperRemoteSharing::globalFileListView.
class RemoteFileListInterface
{
public:
    virtual ~RemoteFileListInterface() = default;
    virtual void onConStatusChanged(P2PClientMsg::ConStatus status) = 0;
};

// The contact page. Registered as HelperRemoteSharing::globalContactView.
class ContactViewInterface
{
public:
    virtual ~ContactViewInterface() = default;
    virtual void onClientInitResult(P2PClientMsg::ConStatus status) = 0;
};
