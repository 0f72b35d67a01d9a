#pragma once

#include "qel_json.h"
#include "recent_tokens.h"

#include <QElapsedTimer>
#include <QHash>
#include <QQueue>
#include <QSet>
#include <QString>

class FrameSink;
class LenientJson;
class TransferManager;

// The loopback peer: "WSDC" requests of the client go back to the same client as requests from
// its peer, and the peer's replies go back to the asker.
//
// Asker and peer share one socket, so the relay swaps tokens: the request reaches the peer under a
// token of the bridge's own (the asker's token would look like an answer to itself), and the reply
// returns under the asker's token. A token is relayed once: a message that carries a token the
// bridge already relayed, answered or delivered is dropped, which breaks the loop a late reply
// would otherwise start (served as a request, relayed, answered, served again ...).
//
// Requests marked "IsProcessOnBridge" "YES" are answered here: "RemoteUploadTaskInfo" (the
// upload slot's status) and "CancelUploading" (cancels it). A request for a session that no
// "ClientInit" set up, or for an unknown bridge code, is answered with {"Result":0,"Info":why}.
class PeerRelay final
{
public:
    PeerRelay(FrameSink &sink, TransferManager &transfers);
    Q_DISABLE_COPY_MOVE(PeerRelay)

    void openSession(const QString &session) { m_sessions.insert(session); }
    bool hasSession(const QString &session) const { return m_sessions.contains(session); }

    // The content of one "WSDC" frame from the client.
    void handle(const LenientJson &message);

    static bool isRelayToken(const QString &token);

private:
    struct Pending
    {
        QString askerToken;
        QString session;
        QString code;
        QString clientId1;
        QString clientId2;
        qint64 sentAtMs = 0;
    };

    void relay(const LenientJson &request);
    void returnReply(const QString &relayToken, const LenientJson &reply);
    void answerOnBridge(const LenientJson &request);
    void answer(const LenientJson &request, const QelJSON::Json &msg);
    void forgetStale();

    FrameSink &m_sink;
    TransferManager &m_transfers;
    QSet<QString> m_sessions;
    QHash<QString, Pending> m_pending;
    QQueue<QString> m_pendingOrder;
    RecentTokens m_usedTokens;
    QElapsedTimer m_clock;
};
