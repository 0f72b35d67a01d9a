#pragma once

// Control requests: work the client asks of the bridge itself, each a WSDCMsgJson sent under the
// frame code "P2PClientControl". GUI thread; a call from another thread is handed to it.

#include "control_payloads.h"
#include "pending_requests.h"

#include <QString>

#include <vector>

namespace P2PClientMsg {

// How long a waited control request may wait for its answer, by code (and, for "CallHttp", the
// time-out the bridge applies to the call).
qint64 controlTimeoutMs(const QString &code, const QelJSON::Json &payload);

// Sends the control request. With wait, the answer (or no answer, at the deadline, when the link
// is down or when the bridge is relaunched) reaches callback once, on the GUI thread; without
// wait the callback is never called. Returns the request's token ("" when handed to the GUI
// thread).
QString sendControlRequest(const QString &code, const QelJSON::Json &payload, bool wait, AnswerCallback callback);

template <class Payload>
QString SendMsgToP2PClient(const QString &code, const Payload &payload, bool wait, AnswerCallback callback)
{
    return sendControlRequest(code, QelJSON::toJSONObject(payload), wait, std::move(callback));
}

} // namespace P2PClientMsg

namespace HelperRemoteSharing {

// "StartRemoteUpload": has the bridge send items to the peer of the current session; the answer
// (or none) reaches callback once.
void sendStartRemoteUpload(const std::vector<WorkingItem> &items, AnswerCallback callback);

} // namespace HelperRemoteSharing
