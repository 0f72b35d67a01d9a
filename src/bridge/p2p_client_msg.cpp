#include "p2p_client_msg.h"

#include "bridge_link.h"
#include "clock.h"
#include "env.h"
#include "session_state.h"

#include <QCoreApplication>
#include <QHash>
#include <QRandomGenerator>
#include <QTimer>
#include <QUuid>

namespace P2PClientMsg {

bool isRemoteConnected = false;

PendingRequestTable &taskTable()
{
    // Parented to the application so that it goes away with it, before Qt's statics.
    static PendingRequestTable *table = new PendingRequestTable(QCoreApplication::instance());
    return *table;
}

QString makeRunPrefix(const QString &base)
{
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const auto hash = qint64(qHash(uuid, size_t(QRandomGenerator::system()->generate64())));
    return base + QString::number(hash);
}

const QString &clientWSDCPrefix()
{
    static const QString prefix = makeRunPrefix(QStringLiteral("ClientWSDC"));
    return prefix;
}

const QString &p2pClientPrefix()
{
    static const QString prefix = makeRunPrefix(QStringLiteral("P2PClient"));
    return prefix;
}

QString makeToken(const QString &prefix)
{
    return prefix + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

bool hasPrefix(const QString &token, const QString &prefix)
{
    return token.startsWith(prefix);
}

QString remoteClientId(const QString &id1, const QString &id2)
{
    return id1 == Env::userInfo.ClientID ? id2 : id1;
}

WSDCMsgJson makeRequest(const QString &code, const QString &token, const QString &isProcessOnBridge,
                        const QelJSON::QelValue &data)
{
    WSDCMsgJson request;
    request.Session = HelperRemoteSharing::session;
    request.Code = code;
    request.Token = token;
    request.ClientID1 = HelperRemoteSharing::sessionClientID1;
    request.ClientID2 = HelperRemoteSharing::sessionClientID2;
    request.ClientIDRemote = remoteClientId(request.ClientID1, request.ClientID2);
    request.IsProcessOnBridge = isProcessOnBridge;
    request.Data = data;
    return request;
}

void sendWSDCMsgJson(const QString &frameCode, const WSDCMsgJson &request)
{
    BridgeLink::sendFrame(BridgeLink::makeJsonMsg(frameCode, request));
}

void sendAndWait(const QString &frameCode, const WSDCMsgJson &request, RemoteWSDCTask::Kind kind,
                 qint64 timeoutMs, AnswerCallback callback)
{
    const QString token = request.Token;
    taskTable().add(token,
                    RemoteWSDCTask{request.Code, kind, Clock::nowMs() + timeoutMs, std::move(callback), timeoutMs});
    if (!Env::isBridgeConnected) {
        // Nobody will answer a frame that is never sent.
        QTimer::singleShot(0, &taskTable(), [token] { taskTable().fail(token); });
        return;
    }
    sendWSDCMsgJson(frameCode, request);
}

void storeLanHttp(const std::optional<LenientJson> &answer)
{
    if (answer)
        HelperRemoteSharing::lanHttp = answer->stringValue();
}

void setConStatus(ConStatus status)
{
    switch (HelperRemoteSharing::linkOwner) {
    case 1:
        if (HelperRemoteSharing::globalFileListView)
            HelperRemoteSharing::globalFileListView->onConStatusChanged(status);
        break;
    case 3:
        if (HelperRemoteSharing::globalContactView)
            HelperRemoteSharing::globalContactView->onClientInitResult(status);
        break;
    default:
        break;
    }
}

void resetForTests()
{
    taskTable().clear();
    isRemoteConnected = false;
}

} // namespace P2PClientMsg
