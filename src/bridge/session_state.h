#pragma once

// The one current session with a remote peer and the view that owns the peer connection.
// Process-wide, GUI thread only.

#include <QString>

class RemoteFileListInterface;
class ContactViewInterface;

namespace HelperRemoteSharing {

// First client id, "|", second client id. Senders put it and the two ids into every request.
extern QString session;
extern QString sessionClientID1;
extern QString sessionClientID2;
// What the bridge's last peer-connection report said.
extern QString sessionULocal;
extern QString sessionURemote;
extern QString sessionUName;
extern QString sessionSource;
// The peer's LAN address as the bridge last reported it ("GetLanHttp").
extern QString lanHttp;
// Which view owns the peer connection: 1 the remote file browser, 3 the contact page, else nobody.
extern quint8 linkOwner;
extern RemoteFileListInterface *globalFileListView;
extern ContactViewInterface *globalContactView;

// Adopts a session announced by a peer's delivery offer: the text is kept whole, its first two
// "|"-separated parts become the client ids (a missing part leaves that id empty).
void setRemoteSession(const QString &text);

void resetForTests();

} // namespace HelperRemoteSharing
