#pragma once

#include <functional>

// Processes events (deferred deletes too) until pred holds or timeoutMs passes; the result of pred.
// The deadline matters only when a check fails, so it is long enough for a machine that gives
// the test a small share of a core.
bool waitFor(const std::function<bool()> &pred, int timeoutMs = 30'000);
// Processes events until everything posted to this thread's event loop before the call has run.
bool waitForPostedEvents();
