#include "peer_relay.h"

#include "client_frames.h"
#include "lenient_json.h"
#include "standin_log.h"
#include "transfer_manager.h"

#include <QUuid>

namespace {

constexpr char relayPrefix[] = "StandinRelay-";
constexpr qint64 pendingLifetimeMs = 10 * 60 * 1000;
constexpr qsizetype maxPending = 4096;

// Codes the peer's bridge serves itself.
constexpr char RemoteUploadTaskInfo[] = "RemoteUploadTaskInfo";
constexpr char CancelUploading[] = "CancelUploading";
// The receiver's decision on a delivery offer passes through the relay as the answer to this.
constexpr char WaitRemoteReceiveFilesPressButton[] = "WaitRemoteReceiveFilesPressButton";

ControlResult failure(const QString &why)
{
    return ControlResult{0, why};
}

} // namespace

PeerRelay::PeerRelay(FrameSink &sink, TransferManager &transfers) : m_sink(sink), m_transfers(transfers)
{
    m_clock.start();
}

bool PeerRelay::isRelayToken(const QString &token)
{
    return token.startsWith(QLatin1String(relayPrefix));
}

void PeerRelay::handle(const LenientJson &message)
{
    const QString token = message["Token"].stringValue();
    const QString code = message["Code"].stringValue();
    if (isRelayToken(token)) {
        returnReply(token, message);
        return;
    }
    if (token.isEmpty()) {
        StandinLog::print(QStringLiteral("WSDC without a token dropped - ") + code);
        return;
    }
    if (m_usedTokens.contains(token)) {
        StandinLog::print(QStringLiteral("WSDC with a token already handled dropped - ") + code);
        return;
    }
    if (message["IsProcessOnBridge"].stringValue() == QStringLiteral("YES")) {
        answerOnBridge(message);
        return;
    }
    if (!hasSession(message["Session"].stringValue())) {
        StandinLog::print(QStringLiteral("WSDC for a session without a peer - ") + code);
        answer(message, QelJSON::toJSONObject(failure(QStringLiteral("No peer connection in this session"))));
        return;
    }
    relay(message);
}

void PeerRelay::relay(const LenientJson &request)
{
    forgetStale();
    const QString relayToken = QLatin1String(relayPrefix) + QUuid::createUuid().toString(QUuid::WithoutBraces);
    Pending pending{request["Token"].stringValue(), request["Session"].stringValue(), request["Code"].stringValue(),
                    request["ClientID1"].stringValue(), request["ClientID2"].stringValue(), m_clock.elapsed()};
    m_usedTokens.insert(pending.askerToken);
    m_pending.insert(relayToken, pending);
    m_pendingOrder.enqueue(relayToken);
    m_sink.sendWsdc(WsdcDelivery{relayToken, pending.session, pending.code, pending.clientId1, pending.clientId2,
                                 QelJSON::QelValue(request["Data"].json())});
}

void PeerRelay::returnReply(const QString &relayToken, const LenientJson &reply)
{
    const auto it = m_pending.find(relayToken);
    if (it == m_pending.end()) {
        StandinLog::print(QStringLiteral("Reply to nothing pending dropped - ") + reply["Code"].stringValue());
        return;
    }
    const Pending pending = it.value();
    m_pending.erase(it);
    const LenientJson data = reply["Data"];
    if (pending.code == QLatin1String(WaitRemoteReceiveFilesPressButton))
        m_transfers.noteReceiverDecision(pending.session, data["data"].stringValue());
    m_sink.sendWsdc(WsdcDelivery{pending.askerToken, pending.session, pending.code, pending.clientId1,
                                 pending.clientId2, QelJSON::QelValue(data.json())});
}

void PeerRelay::answerOnBridge(const LenientJson &request)
{
    const QString code = request["Code"].stringValue();
    QString session = request["Data"]["Session"].stringValue();
    if (session.isEmpty())
        session = request["Session"].stringValue();
    if (code == QLatin1String(RemoteUploadTaskInfo))
        answer(request, QelJSON::toJSONObject(m_transfers.uploadStatus(session)));
    else if (code == QLatin1String(CancelUploading))
        answer(request, QelJSON::toJSONObject(m_transfers.cancelUpload(session)));
    else
        answer(request, QelJSON::toJSONObject(failure(QStringLiteral("Unknown bridge code: ") + code)));
}

void PeerRelay::answer(const LenientJson &request, const QelJSON::Json &msg)
{
    const QString token = request["Token"].stringValue();
    m_usedTokens.insert(token);
    m_sink.sendWsdc(WsdcDelivery{token, request["Session"].stringValue(), request["Code"].stringValue(),
                                 request["ClientID1"].stringValue(), request["ClientID2"].stringValue(),
                                 QelJSON::QelValue(msg)});
}

void PeerRelay::forgetStale()
{
    // Tokens answered out of order stay queued behind an older one; drop them now and then.
    if (m_pendingOrder.size() > 4 * maxPending)
        m_pendingOrder.removeIf([this](const QString &token) { return !m_pending.contains(token); });
    const qint64 now = m_clock.elapsed();
    while (!m_pendingOrder.isEmpty()) {
        const auto it = m_pending.constFind(m_pendingOrder.head());
        if (it != m_pending.constEnd() && now - it->sentAtMs < pendingLifetimeMs && m_pending.size() < maxPending)
            break;
        if (it != m_pending.constEnd())
            m_pending.erase(it);
        m_pendingOrder.dequeue();
    }
}
