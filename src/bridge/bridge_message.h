#pragma once

// The dispatcher of every text frame the bridge sends, by its top-level code. GUI thread only.

#include <QString>

class LoginResultHandler;
class PeerRequestHandler;

namespace BridgeMessage {

// Registered by the layers above at start-up; a frame whose handler is missing is printed.
extern LoginResultHandler *loginResultHandler;
extern PeerRequestHandler *peerRequestHandler;

// One frame as received: {"Code", "Data"}.
void DoMsg(const QString &text);

// The content of a "WSDC" frame: an answer to one of our peer requests (matched by its token),
// or a peer's request, handed to the peer request handler.
void DoWSDCMsg(const QString &text);

void resetForTests();

} // namespace BridgeMessage
