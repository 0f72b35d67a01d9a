#include "p2p_requests_to_peers.h"

#include "bridge_link.h"
#include "console.h"
#include "control_requests.h"
#include "p2p_client_msg.h"
#include "session_state.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

namespace {

const QString no = QStringLiteral("NO");
const QString yes = QStringLiteral("YES");

bool onGuiThread()
{
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// The host check runs every second; its lines would drown everything else.
bool isQuiet(const QString &code)
{
    return code == u"CheckHost";
}

} // namespace

namespace P2PClientMsg {

QString sendRemoteRequest(const QString &code, const QelJSON::Json &payload, bool wait,
                          const QString &isProcessOnBridge, AnswerCallback callback)
{
    if (!onGuiThread()) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [code, payload, wait, isProcessOnBridge, callback = std::move(callback)] {
                sendRemoteRequest(code, payload, wait, isProcessOnBridge, callback);
            },
            Qt::QueuedConnection);
        return QString();
    }
    if (!isQuiet(code))
        Console::printLine(QStringLiteral("SendMsgToRemote - ") + code);
    if (!isRemoteConnected) {
        Console::printLine(QStringLiteral("Remote not connected! Can not send message!!"));
        if (callback)
            callback(LenientJson::fromJson(QelJSON::Json("")));
        return QString();
    }

    const QString token = makeToken(clientWSDCPrefix());
    const WSDCMsgJson request = makeRequest(code, token, isProcessOnBridge, QelJSON::QelValue(payload));
    if (!wait) {
        BridgeLink::sendToBridge(QString::fromLatin1(FrameCode::WSDC), QelJSON::toJSONString(request));
        return token;
    }
    // The table prints the answer's arrival, as it does for control requests.
    sendAndWait(QString::fromLatin1(FrameCode::WSDC), request, RemoteWSDCTask::Kind::Remote, remoteTimeoutMs,
                std::move(callback));
    return token;
}

void sendClientTouch()
{
    SendMsgToRemote(QStringLiteral("ClientTouch"), BlankMsg{}, true, no, &onClientTouchBack);
}

void onClientTouchBack(const std::optional<LenientJson> &answer)
{
    if (!answer) {
        Console::printLine(QStringLiteral("Client Touch Error!"));
        return;
    }
    const qint64 limit = (*answer)["data"]["UPC"].int64Value();
    const qint64 served = (*answer)["data"]["SC"].int64Value();
    // As many clients as it allows, or a limit of 0, means the peer is full.
    if (served >= limit) {
        setConStatus(ConStatus::csMaxClients);
        return;
    }
    setConStatus(ConStatus::csConnected);
    SendMsgToP2PClient(QString::fromLatin1(ControlCode::GetLanHttp), BlankMsg{}, true, &storeLanHttp);
}

} // namespace P2PClientMsg

namespace PeerRequestSenders {

using P2PClientMsg::SendMsgToRemote;

void getShareInfo(const QString &tag, const QString &accessCode, AnswerCallback callback)
{
    SendMsgToRemote(QStringLiteral("getShareInfo"), GetShareInfoJson{tag, accessCode, 0}, true, no, std::move(callback));
}

void getFileCount(const QString &dir, AnswerCallback callback)
{
    GetShareFileListJson request;
    request.dir = dir;
    request.iPageIndex = 1;
    request.iPageSize = 50;
    request.iProbeCount = 1;
    SendMsgToRemote(QStringLiteral("getFileList"), request, true, no, std::move(callback));
}

void getFileListPage(const QString &dir, int pageIndex, int pageSize, AnswerCallback callback)
{
    GetShareFileListJson request;
    request.dir = dir;
    request.iPageIndex = pageIndex;
    request.iPageSize = pageSize;
    SendMsgToRemote(QStringLiteral("getFileList"), request, true, no, std::move(callback));
}

void buildIcon2(const QString &fullPath, qint64 rowIndex, AnswerCallback callback)
{
    const BuildIcon2 request{48, {fullPath + u'|' + QString::number(rowIndex) + QStringLiteral("|1|-1")}};
    SendMsgToRemote(QStringLiteral("buildIcon2"), request, true, no, std::move(callback));
}

void checkHost(const QString &tag, AnswerCallback callback)
{
    SendMsgToRemote(QStringLiteral("CheckHost"), CheckHostMssg{tag}, true, no, std::move(callback));
}

void fileDownloadCheck(const QString &fullPath, AnswerCallback callback)
{
    SendMsgToRemote(QStringLiteral("fileDownloadCheck"), FileDownloadCheckJson{fullPath}, true, no, std::move(callback));
}

void deleteFiles(const QStringList &fullPaths, AnswerCallback callback)
{
    const OPFileInfo request{QString(), QStringLiteral("delete"), QString(), fullPaths.join(u'|')};
    SendMsgToRemote(QStringLiteral("opFileList"), request, true, no, std::move(callback));
}

void offerFiles(const QString &summary, const QString &fromUser, const QString &uuid, AnswerCallback callback)
{
    const WaitRemoteReceiveFilesJSON offer{HelperRemoteSharing::session, summary, fromUser, uuid};
    SendMsgToRemote(QStringLiteral("WaitRemoteReceiveFiles"), offer, true, no, std::move(callback));
}

void askReceiverDecision(const QString &uuid, AnswerCallback callback)
{
    SendMsgToRemote(QStringLiteral("WaitRemoteReceiveFilesPressButton"), WaitRemoteReceiveFilesPressButton{uuid}, true,
                    no, std::move(callback));
}

void withdrawOffer()
{
    SendMsgToRemote(QStringLiteral("WaitRemoteReceiveFilesCancel"),
                    WaitRemoteReceiveFilesCancelJson{HelperRemoteSharing::session}, false, no,
                    &P2PClientMsg::ignoreReplyRemote);
}

void syncTransState(const QString &log, double progress, bool isFinished, bool isCanceled)
{
    SendMsgToRemote(QStringLiteral("SyncTransState"), SyncTransStateToRemoteHostJson{log, progress, isFinished, isCanceled},
                    false, no, &P2PClientMsg::ignoreReplyRemote);
}

QString remoteUploadTaskInfo(AnswerCallback callback)
{
    return SendMsgToRemote(QStringLiteral("RemoteUploadTaskInfo"), RemoteUploadStatus{HelperRemoteSharing::session, yes},
                           true, yes, std::move(callback));
}

void cancelUploading(AnswerCallback callback)
{
    SendMsgToRemote(QStringLiteral("CancelUploading"), RemoteUploadStatus{HelperRemoteSharing::session, yes}, true, yes,
                    std::move(callback));
}

} // namespace PeerRequestSenders
