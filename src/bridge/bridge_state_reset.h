#pragma once

// Puts every process-wide value of the bridge layer back to its start (tests): Env, the session
// state, the waiting requests, the registered handlers, the link, the supervisor, the version
// check. Also points the supervisor at a folder that does not exist, so that nothing is
// launched or killed unless a test names its own folder.
namespace BridgeState {

void resetForTests();

} // namespace BridgeState
