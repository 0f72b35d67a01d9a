#pragma once

// The frames that pass over the bridge WebSocket, shared by the client and the stand-in bridge.
// Every frame is one text message holding one JSON object.
//
// Client to bridge: an Envolope whose Msg.Data is either the payload's JSON text inside a JSON
// string (text form: everything sent without waiting for an answer) or a WSDCMsgJson as a nested
// object (object form: requests whose sender waits for the answer).
//
// Bridge to client: {"Code": ..., "Data": "<JSON text>"}; the content of a "P2PCLIENT" frame is
// {"Type", "Token", "Msg"}.

#include "qel_json.h"

#include <QString>

// Top-level codes of frames, both ways.
namespace FrameCode {
// client to bridge
inline constexpr char Login[] = "Login";
inline constexpr char LoginAnonymous[] = "LoginAnonymous";
inline constexpr char ClientInit[] = "ClientInit";
inline constexpr char WSDC[] = "WSDC";
inline constexpr char P2PClientControl[] = "P2PClientControl";
// bridge to client
inline constexpr char Pong[] = "Pong";
inline constexpr char LoginResult[] = "LoginResult";
inline constexpr char LoginResultAnonymous[] = "LoginResultAnonymous";
inline constexpr char P2PCLIENT[] = "P2PCLIENT";
} // namespace FrameCode

// Report types of "P2PCLIENT" frames that are not answers to control requests.
namespace P2PReportType {
inline constexpr char GetShareHost6Client[] = "GetShareHost6Client";
inline constexpr char P2PConFailed[] = "P2PConFailed";
} // namespace P2PReportType

// The empty payload of requests that carry no data ("PingBridge", "GetLanHttp", "ClientTouch").
struct BlankMsg {
    QString m;
    QEL_JSON_FIELDS(BlankMsg, m)
};

// The message inside an outgoing frame.
struct JsonMsg {
    QString Code;
    // Payload: a JSON string holding JSON text (text form) or a nested object (object form).
    QelJSON::QelValue Data = QelJSON::QelValue(QString());
    QEL_JSON_FIELDS(JsonMsg, Code, Data)
};

// The outgoing frame; the four header texts never change.
struct Envolope {
    QString VType = QStringLiteral("WinContrlSet->");
    QString UUID;
    QString Id_user1;
    QString Id_user2;
    JsonMsg Msg;
    QEL_JSON_FIELDS(Envolope, VType, UUID, Id_user1, Id_user2, Msg)
};

// A request to the peer of the current session (frame code "WSDC") or to the bridge itself
// (frame code "P2PClientControl").
struct WSDCMsgJson {
    QString Session;
    QString Code;
    QString Token;
    QString ClientID1;
    QString ClientID2;
    QString ClientIDRemote;
    // "-" for control requests; "YES" or "NO" for requests to a peer.
    QString IsProcessOnBridge;
    QelJSON::QelValue Data = QelJSON::QelValue(BlankMsg{});
    QEL_JSON_FIELDS(WSDCMsgJson, Session, Code, Token, ClientID1, ClientID2, ClientIDRemote, IsProcessOnBridge, Data)
};

// Payload of the top-level frame "Login".
struct LoginAccount {
    QString Id_acc;
    QString Password;
    QString Device;
    QString isCheckAccOnly;
    bool Relogin = false;
    QString Version;
    QString Source;
    QEL_JSON_FIELDS(LoginAccount, Id_acc, Password, Device, isCheckAccOnly, Relogin, Version, Source)
};

// Payload of the top-level frame "ClientInit": asks the bridge for a peer connection to a host.
struct ClientInitJson {
    QString Id_user;
    QString Hostname;
    QString Hosttag;
    QString Hostpassword;
    QEL_JSON_FIELDS(ClientInitJson, Id_user, Hostname, Hosttag, Hostpassword)
};

// ---- Bridge to client ------------------------------------------------------------------------

// A frame the bridge sends; Data is JSON text for "LoginResult", "WSDC" and "P2PCLIENT".
struct BridgeToClientFrame {
    QString Code;
    QString Data;
    QEL_JSON_FIELDS(BridgeToClientFrame, Code, Data)
};

// Content of a "P2PCLIENT" frame: an answer to a control request (Token set, Type not read) or a
// report about a peer connection (Type set).
struct P2PClientReport {
    QString Type;
    QString Token;
    QelJSON::QelValue Msg;
    QEL_JSON_FIELDS(P2PClientReport, Type, Token, Msg)
};

// "Msg" of a "GetShareHost6Client" report: Result 1 means the peer connection stands.
struct ShareHost6ClientInfo {
    int Result = 0;
    QString ulocal;
    QString uremote;
    QString ClientID1;
    QString ClientID2;
    QString uname;
    QString source;
    QEL_JSON_FIELDS(ShareHost6ClientInfo, Result, ulocal, uremote, ClientID1, ClientID2, uname, source)
};

namespace BridgeFrames {

// Text form: Msg.Data is dataText as a JSON string.
Envolope makeTextFrame(const QString &code, const QString &dataText);

// Object form: Msg.Data is the request as a nested object.
Envolope makeObjectFrame(const QString &code, const WSDCMsgJson &request);

// The compact JSON text that goes over the socket.
QString frameText(const Envolope &frame);

// A frame the bridge sends, as its JSON text.
QString bridgeFrameText(const QString &code, const QString &dataText);

} // namespace BridgeFrames
