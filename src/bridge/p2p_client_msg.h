#pragma once

// Requests to the bridge and to the peer: per-run token prefixes, the table of requests waiting
// for answers, the request record filled from the current session, the object-form send, the
// bridge's "P2PCLIENT" traffic and the delivery of peer-connection states. GUI thread only.

#include "bridge_frames.h"
#include "bridge_interfaces.h"
#include "pending_requests.h"

#include <QString>

namespace P2PClientMsg {

// A peer connection has been set up in this run; peer requests are refused while false.
extern bool isRemoteConnected;

PendingRequestTable &taskTable();

// base + the decimal text of a hash of a fresh UUID (may begin with "-").
QString makeRunPrefix(const QString &base);
// Made once per run: "ClientWSDC…" for requests to peers, "P2PClient…" for control requests.
const QString &clientWSDCPrefix();
const QString &p2pClientPrefix();
// prefix + a fresh upper-case UUID text.
QString makeToken(const QString &prefix);
bool hasPrefix(const QString &token, const QString &prefix);

// The client id of the other side: id2 when id1 is this client's own id, else id1.
QString remoteClientId(const QString &id1, const QString &id2);

// A request addressed through the current session (its session text and client ids).
WSDCMsgJson makeRequest(const QString &code, const QString &token, const QString &isProcessOnBridge,
                        const QelJSON::QelValue &data);

// Writes the request as one frame in object form (nothing while the link is down).
void sendWSDCMsgJson(const QString &frameCode, const WSDCMsgJson &request);

// Registers the request under its token with its callback and a deadline timeoutMs from now, then
// sends it in object form. While the link is down nothing is sent and the request ends without
// an answer on a later turn of the event loop, so the callback never runs before this returns.
void sendAndWait(const QString &frameCode, const WSDCMsgJson &request, RemoteWSDCTask::Kind kind,
                 qint64 timeoutMs, AnswerCallback callback);

// An answer callback for senders that need none.
inline void ignoreReply(const std::optional<LenientJson> &) {}

// The content of a "P2PCLIENT" frame: an answer to a control request, or a report about a peer
// connection.
void DoMsg(const QString &text);

// Answer callback of "GetLanHttp".
void storeLanHttp(const std::optional<LenientJson> &answer);

// Hands the state to the view that owns the peer connection; dropped when there is none.
void setConStatus(ConStatus status);

// Forgets waiting requests (without calling back) and the connection flag (tests).
void resetForTests();

} // namespace P2PClientMsg
