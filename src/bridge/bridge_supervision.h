#pragma once

// What the main window's one-second timer does for the bridge: the connection cycle while the
// link is down, and the "PingBridge" watchdog while it is up. Widget-free so that it is driven
// and tested without a window; the time comes from Clock. GUI thread only.

#include "lenient_json.h"

#include <optional>

namespace BridgeSupervision {

// Counts ticks while the link is down; connects at the third tick of every cycle of seven. The
// only connection attempts there are: after start-up and after every relaunch (counter 0) the
// first one comes at the third tick.
void connectionCycleTick();

// While the link is up: pings the bridge, once every tick whether or not the earlier pings were
// answered, and restarts it once 6 seconds have passed since the connection or the last answer,
// whichever came later.
void checkBridgeAlive();

// Answer callback of "PingBridge": any answer, however late, is a sign of life; no answer (the
// bridge was relaunched) is none.
void onBridgePong(const std::optional<LenientJson> &answer);

// One tick: requests past their deadline end, the supervisor's due work runs, then the connection
// cycle, then the watchdog.
// The main window calls the two steps itself when it has work of its own between them.
void onTimerTick();

} // namespace BridgeSupervision
