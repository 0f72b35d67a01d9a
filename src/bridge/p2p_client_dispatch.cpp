#include "bridge_message.h"
#include "console.h"
#include "p2p_client_msg.h"
#include "session_state.h"

namespace {

// "GetShareHost6Client": the bridge set up a peer connection, or failed to.
void onPeerConnectionReport(const LenientJson &content)
{
    Console::printLine(QStringLiteral("Got GetShareHost6Client"));
    const LenientJson report = content["Msg"];
    if (report["Result"].int64Value() != 1) {
        P2PClientMsg::setConStatus(P2PClientMsg::ConStatus::csInvalid);
        return;
    }
    P2PClientMsg::isRemoteConnected = true;
    HelperRemoteSharing::sessionULocal = report["ulocal"].stringValue();
    HelperRemoteSharing::sessionURemote = report["uremote"].stringValue();
    HelperRemoteSharing::sessionClientID1 = report["ClientID1"].stringValue();
    HelperRemoteSharing::sessionClientID2 = report["ClientID2"].stringValue();
    HelperRemoteSharing::sessionUName = report["uname"].stringValue();
    HelperRemoteSharing::sessionSource = report["source"].stringValue();
    HelperRemoteSharing::session = HelperRemoteSharing::sessionClientID1 + u'|' + HelperRemoteSharing::sessionClientID2;
    if (BridgeMessage::peerRequestHandler)
        BridgeMessage::peerRequestHandler->onPeerConnected();
}

} // namespace

void P2PClientMsg::DoMsg(const QString &text)
{
    const LenientJson content = LenientJson::parse(text);
    if (content.parseFailed()) {
        Console::printLine(QStringLiteral("P2PClientMsg - DoMsg - Json error!") + text);
        return;
    }
    const QString type = content["Type"].stringValue();
    const QString token = content["Token"].stringValue();

    if (hasPrefix(token, p2pClientPrefix())) {
        // An answer is never dispatched by its type. One that finds nobody waiting came too late
        // (its request already ended) or twice, and is dropped without a word: serving it as
        // anything else could start an echo between two clients.
        taskTable().deliver(token, content["Msg"]);
        return;
    }

    if (type == QLatin1String(P2PReportType::GetShareHost6Client)) {
        onPeerConnectionReport(content);
    } else if (type == QLatin1String(P2PReportType::P2PConFailed)) {
        setConStatus(ConStatus::csInvalid);
    } else {
        Console::printLine(QStringLiteral("P2PClientMsg - DoMsg - Msg Not Process - ") + type);
        Console::printLine(text);
    }
}
