#pragma once

// Replies to a peer's "WSDC" requests: the reply record, its payload records and the one sender.
// A reply goes back under the request's own Code, Token and Session.

#include "lenient_json.h"
#include "qel_json.h"

#include <QString>

#include <optional>

// One request of a peer, as the handler's branches read it.
struct PeerRequest {
    QString code;
    QString token;
    QString session;
    LenientJson msg;
};

// The reply record; the peer receives Data as the "Msg" of its answer.
struct MsgBack {
    QelJSON::Json Data;
    QString Token;
    QString ClientID1;
    QString ClientID2;
    QString ClientIDRemote;
    QString Session;
    QString Code;
    QEL_JSON_FIELDS(MsgBack, Data, Token, ClientID1, ClientID2, ClientIDRemote, Session, Code)
};

// The general wrapper {"data": value}; no value is written as null.
struct MsgBackData {
    std::optional<QelJSON::Json> data;
    QEL_JSON_FIELDS(MsgBackData, data)
};

// "ClientTouch": the peer's limit of clients, the clients it serves, where it saves, its system.
struct MsgBackDataClientTouch {
    int UPC = 0;
    int SC = 0;
    QString Local;
    QString OS;
    QEL_JSON_FIELDS(MsgBackDataClientTouch, UPC, SC, Local, OS)
};

// "HostHandShake", sent unwrapped.
struct MsgBackData_Handshake {
    std::optional<QelJSON::Json> data;
    QString os;
    QString device;
    QEL_JSON_FIELDS(MsgBackData_Handshake, data, os, device)
};

// "getFileList", sent unwrapped: a count (index) or one page (sPageInfo "total|pages", data).
struct MsgBackData_FileList {
    std::optional<QelJSON::Json> data;
    QString sResult;
    QString sPageInfo;
    QString index;
    qint64 iProbeCount = 0;
    QEL_JSON_FIELDS(MsgBackData_FileList, data, sResult, sPageInfo, index, iProbeCount)
};

namespace BridgeMessage {

// The reply's JSON text. ownClientId decides which id of the session is the peer's. Any thread.
QString makeMsgBackText(const QString &code, const QString &token, const QString &session,
                        const QString &ownClientId, const QelJSON::Json &data);

// Sends a reply to the bridge with frame code "WSDC"; dropped while the link is down. GUI thread.
void SendWSDCBack(const QString &code, const QString &token, const QString &session,
                  const QelJSON::Json &data);
inline void SendWSDCBack(const PeerRequest &request, const QelJSON::Json &data)
{
    SendWSDCBack(request.code, request.token, request.session, data);
}

// {"data": value} as MsgBackData writes it.
QelJSON::Json wrapData(const QelJSON::Json &value);

} // namespace BridgeMessage
