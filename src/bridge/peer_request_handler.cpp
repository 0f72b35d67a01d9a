#include "peer_request_handler.h"

#include "console.h"
#include "delivery_offers.h"
#include "lenient_json.h"
#include "p2p_requests_to_peers.h"
#include "peer_file_requests.h"
#include "peer_session_limit.h"
#include "peer_session_requests.h"
#include "peer_share_requests.h"

#include <functional>
#include <utility>

namespace {

using Branch = std::function<void(const PeerRequest &, PeerAccess &)>;

// Without the share rules.
Branch plain(void (*branch)(const PeerRequest &))
{
    return [branch](const PeerRequest &request, PeerAccess &) { branch(request); };
}

// Codes in the order they are matched, exactly.
const std::vector<std::pair<QString, Branch>> &dispatchTable()
{
    static const std::vector<std::pair<QString, Branch>> table = {
        {QStringLiteral("ClientTouch"), plain(&PeerSessionRequests::clientTouch)},
        {QStringLiteral("CheckHost"), plain(&PeerSessionRequests::checkHost)},
        {QStringLiteral("HostHandShake"), plain(&PeerSessionRequests::hostHandShake)},
        {QStringLiteral("WaitRemoteReceiveFilesCancel"), plain(&DeliveryOffers::waitRemoteReceiveFilesCancel)},
        {QStringLiteral("ValidInfo"), plain(&PeerSessionRequests::validInfo)},
        {QStringLiteral("WaitRemoteReceiveFiles"), plain(&DeliveryOffers::waitRemoteReceiveFiles)},
        {QStringLiteral("WaitRemoteReceiveFilesPressButton"), plain(&DeliveryOffers::waitRemoteReceiveFilesPressButton)},
        {QStringLiteral("PING"), plain(&PeerSessionRequests::ping)},
        {QStringLiteral("getShareInfo"), &PeerShareRequests::getShareInfo},
        {QStringLiteral("checkAccessCode"), &PeerShareRequests::checkAccessCode},
        {QStringLiteral("getFileList"), &PeerShareRequests::getFileList},
        {QStringLiteral("buildIcon2"), &PeerFileRequests::buildIcon2},
        {QStringLiteral("fileDownloadCheck"), &PeerFileRequests::fileDownloadCheck},
        {QStringLiteral("fileUploadCheck"), &PeerFileRequests::fileUploadCheck},
        {QStringLiteral("opFileList"), &PeerFileRequests::opFileList},
        {QStringLiteral("newFile_create"), &PeerFileRequests::newFileCreate},
        // Accepted and dropped without a word.
        {QStringLiteral("SaveLog"), [](const PeerRequest &, PeerAccess &) {}},
        {QStringLiteral("getFileExtInfo"), [](const PeerRequest &, PeerAccess &) {}},
    };
    return table;
}

} // namespace

void PeerRequests::DoWSDCRequest(const LenientJson &message, const QString &text)
{
    // "ClientID1" and "ClientID2" are sent too; the reply takes its ids from "Session".
    const PeerRequest request{message["Code"].stringValue(), message["Token"].stringValue(),
                              message["Session"].stringValue(), message["Msg"]};
    for (const auto &[code, branch] : dispatchTable()) {
        if (code == request.code) {
            branch(request, m_access);
            return;
        }
    }
    Console::printLine(QStringLiteral("WSDC Not Process - ") + request.code);
    Console::printLine(text);
}

void PeerRequests::onPeerConnected()
{
    P2PClientMsg::sendClientTouch();
}

namespace PeerState {

void resetForTests(PeerRequests *handler)
{
    Env::peerSessions().clear();
    if (handler)
        handler->access().clear();
}

} // namespace PeerState
