#pragma once

#include "bridge_frames.h"
#include "lenient_json.h"

#include <QString>

#include <optional>

// One frame from the client: the envelope's Msg.Code and its Msg.Data as a JSON value, whether
// it came as a nested object (object form) or as JSON text inside a string (text form).
struct ClientFrame
{
    QString code;
    LenientJson payload;
};

// Nothing, and why, when the text is not a frame of the protocol.
std::optional<ClientFrame> readClientFrame(const QString &text, QString *why);

// A "WSDC" frame's content as the bridge delivers it: a peer's request (Msg its payload) or the
// answer to one of the client's own requests (Msg the answer), with the asker's Token.
struct WsdcDelivery
{
    QString Token;
    QString Session;
    QString Code;
    QString ClientID1;
    QString ClientID2;
    QelJSON::QelValue Msg = QelJSON::QelValue(QelJSON::Json(nullptr));
    QEL_JSON_FIELDS(WsdcDelivery, Token, Session, Code, ClientID1, ClientID2, Msg)
};

// Where the bridge's frames to the client go.
class FrameSink
{
public:
    virtual ~FrameSink() = default;
    // One frame {"Code": code, "Data": dataText}.
    virtual void sendFrame(const QString &code, const QString &dataText) = 0;

    // A "P2PCLIENT" answer to the control request with this token.
    void sendControlAnswer(const QString &token, const QelJSON::Json &msg);
    // A "P2PCLIENT" report about a peer connection.
    void sendReport(const QString &type, const QelJSON::Json &msg);
    void sendWsdc(const WsdcDelivery &delivery);
};
