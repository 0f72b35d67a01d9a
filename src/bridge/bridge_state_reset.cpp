#include "bridge_state_reset.h"

#include "bridge_link.h"
#include "bridge_message.h"
#include "bridge_supervisor.h"
#include "clock.h"
#include "env.h"
#include "installer_handoff.h"
#include "link_status.h"
#include "p2p_client_msg.h"
#include "session_state.h"
#include "version_check.h"

void BridgeState::resetForTests()
{
    Env::resetSupervisorForTests();
    Env::setInstallerOpenerForTests({});
    Env::setQuitDelayForTests(1000);
    BridgeLink::resetForTests();
    Env::resetForTests();
    HelperRemoteSharing::resetForTests();
    P2PClientMsg::resetForTests();
    BridgeMessage::resetForTests();
    LinkStatus::resetForTests();
    VersionCheck::resetForTests();
    Clock::set(nullptr);
}
