// Tests of the shared simulated mouse start from the same state: cable and receiver plugged, the
// mouse awake, Bluetooth away, acknowledgements on, no status ticker, no read faults, an empty log.
#pragma once

#include <chrono>

#include <gtest/gtest.h>

#include "sim/hidapi/shared_mouse.h"
#include "sim/hidapi/simulated_hidapi.h"

namespace sim::test {

// How long a test waits for something that should come at once before it calls it a failure.
inline constexpr std::chrono::milliseconds kGuard{10000};

class SharedMouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSharedMouseStatusPeriod(std::chrono::milliseconds(0));
        mouse.SetAckMode(AckMode::Accept);
        mouse.SetCablePlugged(true);
        mouse.SetReceiverPlugged(true);
        mouse.SetMouseAwake(true);
        mouse.SetBluetoothConnected(false);
        FailNextReads(Link::Cable, 0);
        FailNextReads(Link::Receiver, 0);
        mouse.ClearLog();
    }

    SimulatedMouse& mouse = SharedMouse();
};

}  // namespace sim::test
