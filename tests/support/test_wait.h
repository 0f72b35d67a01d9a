#pragma once

#include <functional>

// Processes events (deferred deletes too) until pred holds or timeoutMs passes; the result of pred.
bool waitFor(const std::function<bool()> &pred, int timeoutMs = 5000);
// Processes events for about ms.
void spin(int ms);
// Processes events until what was queued before this call has run (a call queued now runs after
// it), or timeoutMs passes; whether it ran.
bool runQueued(int timeoutMs = 5000);
