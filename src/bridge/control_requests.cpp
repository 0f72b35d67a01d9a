#include "control_requests.h"

#include "bridge_link.h"
#include "console.h"
#include "p2p_client_msg.h"
#include "session_state.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

namespace {

constexpr qint64 second = 1000;

// "CallHttp" waits for the bridge's own time-out of the call plus this margin.
constexpr qint64 callHttpMarginMs = 5 * second;

} // namespace

namespace P2PClientMsg {

qint64 controlTimeoutMs(const QString &code, const QelJSON::Json &payload)
{
    // Pings go out every tick; one that is answered later than this still counts when its answer
    // comes (its late answer is kept for it), so the table need not hold them long.
    if (code == u"PingBridge")
        return 3 * second;
    if (code == u"CallHttp") {
        const LenientJson info = LenientJson::fromJson(payload);
        const qint64 bridgeTimeout = std::clamp<qint64>(info["Timeout"].int64Value(), 1, 300);
        return bridgeTimeout * second + callHttpMarginMs;
    }
    if (code == u"CallHttpDownload")
        return 10 * 60 * second;
    if (code == u"PreparingUpload")
        return 2 * 60 * second;
    if (code == u"GetLanHttp" || code == u"Trans3_FC_TransTaskInfo" || code == u"RefreshRemoteUploadStatus_FromLocal")
        return 10 * second;
    return 30 * second;
}

QString sendControlRequest(const QString &code, const QelJSON::Json &payload, bool wait, AnswerCallback callback)
{
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [code, payload, wait, callback = std::move(callback)] { sendControlRequest(code, payload, wait, callback); },
            Qt::QueuedConnection);
        return QString();
    }
    if (code != u"PingBridge")
        Console::printLine(QStringLiteral("SendMsgToP2PClient - ") + code);

    const QString token = makeToken(p2pClientPrefix());
    const WSDCMsgJson request = makeRequest(code, token, QStringLiteral("-"), QelJSON::QelValue(payload));
    if (!wait) {
        BridgeLink::sendToBridge(QString::fromLatin1(FrameCode::P2PClientControl), QelJSON::toJSONString(request));
        return token;
    }
    sendAndWait(QString::fromLatin1(FrameCode::P2PClientControl), request, RemoteWSDCTask::Kind::Bridge,
                controlTimeoutMs(code, payload), std::move(callback));
    return token;
}

} // namespace P2PClientMsg

namespace HelperRemoteSharing {

void sendStartRemoteUpload(const std::vector<WorkingItem> &items, AnswerCallback callback)
{
    const UploadTaskInfo task{session, sessionClientID1, sessionClientID2, items};
    P2PClientMsg::SendMsgToP2PClient(QString::fromLatin1(ControlCode::StartRemoteUpload), task, true,
                                     std::move(callback));
}

} // namespace HelperRemoteSharing
