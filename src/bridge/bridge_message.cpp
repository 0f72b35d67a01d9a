#include "bridge_message.h"

#include "bridge_frames.h"
#include "bridge_interfaces.h"
#include "console.h"
#include "lenient_json.h"
#include "p2p_client_msg.h"

namespace BridgeMessage {

LoginResultHandler *loginResultHandler = nullptr;
PeerRequestHandler *peerRequestHandler = nullptr;

void DoMsg(const QString &text)
{
    const LenientJson frame = LenientJson::parse(text);
    if (frame.parseFailed()) {
        Console::printLine(QStringLiteral("Json error!"));
        return;
    }
    const QString code = frame["Code"].stringValue();
    const QString data = frame["Data"].stringValue();

    if (code == QLatin1String(FrameCode::Pong) || code == QLatin1String(FrameCode::LoginResultAnonymous))
        return;
    if (code == QLatin1String(FrameCode::LoginResult)) {
        if (loginResultHandler)
            loginResultHandler->DoLoginResult(data);
        else
            Console::printLine(QStringLiteral("BridgeMessage - DoMsg - Msg Not Process - ") + code);
        return;
    }
    if (code == QLatin1String(FrameCode::WSDC)) {
        DoWSDCMsg(data);
        return;
    }
    if (code == QLatin1String(FrameCode::P2PCLIENT)) {
        P2PClientMsg::DoMsg(data);
        return;
    }
    Console::printLine(QStringLiteral("BridgeMessage - DoMsg - Msg Not Process - ") + code);
}

void DoWSDCMsg(const QString &text)
{
    const LenientJson message = LenientJson::parse(text);
    if (message.parseFailed()) {
        Console::printLine(QStringLiteral("Json error!"));
        return;
    }
    const QString token = message["Token"].stringValue();
    if (P2PClientMsg::hasPrefix(token, P2PClientMsg::clientWSDCPrefix())) {
        // Our own token that nobody waits for any more: an answer that came too late. Served as a
        // request it would be answered, and the answer served again on the other side.
        if (!P2PClientMsg::taskTable().deliver(token, message["Msg"]))
            Console::printLine(QStringLiteral("WSDC Back Data Too Late, Dropped - ") + message["Code"].stringValue());
        return;
    }
    if (peerRequestHandler) {
        peerRequestHandler->DoWSDCRequest(message, text);
        return;
    }
    Console::printLine(QStringLiteral("WSDC Not Process - ") + message["Code"].stringValue());
    Console::printLine(text);
}

void resetForTests()
{
    loginResultHandler = nullptr;
    peerRequestHandler = nullptr;
}

} // namespace BridgeMessage
