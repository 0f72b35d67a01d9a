#pragma once

// Shared by the bridge tests: a fixture that resets the layer, puts a manual clock in place and
// connects the link to the fake bridge of tests/support.

#include "captured_output.h"
#include "clock.h"
#include "fake_bridge_server.h"
#include "qstring_print.h"
#include "test_wait.h"

#include <gtest/gtest.h>

#include <memory>

// A loopback port on which nobody listens.
quint16 closedLoopbackPort();

class BridgeTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void tick(int times = 1);
    // One tick after advancing the clock by a second, times times.
    void tickSeconds(int times);
    // Ticks count times, a second apart; the ticks (counted from 1) at which the link tried to
    // reach the bridge.
    QList<int> attemptTicks(int count);
    // Ticks until the link reaches the server's bridge, and waits for the connection and for
    // the version request to be answered when the server answers it.
    bool connectTo(FakeBridgeServer &server);
    // Waits until every frame the client sent before has reached the server: the link keeps their
    // order, so a marker sent now arrives after them. The marker is left out of server.frames.
    bool sentFramesArrived(FakeBridgeServer &server);
    // Waits until the link has handled every frame the server sent before: it takes them in order,
    // and a marker the link ignores, sent now, comes after them.
    bool serverFramesHandled(FakeBridgeServer &server);

    std::shared_ptr<ManualClock> clock;
};
