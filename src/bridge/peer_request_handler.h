#pragma once

// The peer side of this client: serves the "WSDC" requests of remote peers by their Code, each
// answered at most once under the request's own Code, Token and Session, and asks a newly
// connected peer whether it has room for this client. Registered as
// BridgeMessage::peerRequestHandler at start-up. GUI thread.

#include "bridge_interfaces.h"
#include "peer_access.h"

class PeerRequests final : public PeerRequestHandler
{
public:
    PeerRequests() = default;
    Q_DISABLE_COPY_MOVE(PeerRequests)

    void DoWSDCRequest(const LenientJson &message, const QString &text) override;
    void onPeerConnected() override;

    // The shares each peer session may reach.
    PeerAccess &access() { return m_access; }

private:
    PeerAccess m_access;
};

namespace PeerState {
// Forgets the peer sessions and what they were granted (tests).
void resetForTests(PeerRequests *handler = nullptr);
} // namespace PeerState
