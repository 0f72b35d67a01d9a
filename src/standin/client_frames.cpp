#include "client_frames.h"

std::optional<ClientFrame> readClientFrame(const QString &text, QString *why)
{
    const LenientJson frame = LenientJson::parse(text);
    if (!frame.isObject()) {
        *why = frame.parseFailed() ? QStringLiteral("not JSON") : QStringLiteral("not a JSON object");
        return std::nullopt;
    }
    const LenientJson msg = frame["Msg"];
    if (!msg.isObject() || !msg["Code"].isString()) {
        *why = QStringLiteral("no Msg with a Code");
        return std::nullopt;
    }
    ClientFrame result{msg["Code"].stringValue(), msg["Data"]};
    if (result.payload.isString())
        result.payload = LenientJson::parse(result.payload.stringValue());
    if (!result.payload.isObject()) {
        *why = QStringLiteral("Data of \"%1\" is not a JSON object").arg(result.code);
        return std::nullopt;
    }
    return result;
}

void FrameSink::sendControlAnswer(const QString &token, const QelJSON::Json &msg)
{
    sendFrame(QString::fromLatin1(FrameCode::P2PCLIENT),
              QelJSON::toJSONString(P2PClientReport{QString(), token, QelJSON::QelValue(msg)}));
}

void FrameSink::sendReport(const QString &type, const QelJSON::Json &msg)
{
    sendFrame(QString::fromLatin1(FrameCode::P2PCLIENT),
              QelJSON::toJSONString(P2PClientReport{type, QString(), QelJSON::QelValue(msg)}));
}

void FrameSink::sendWsdc(const WsdcDelivery &delivery)
{
    sendFrame(QString::fromLatin1(FrameCode::WSDC), QelJSON::toJSONString(delivery));
}
