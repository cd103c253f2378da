// SIGINT and SIGTERM as a request to stop: while an instance lives, both are blocked in every
// thread started after it (the drivers' threads included) and taken by a waiting thread of its
// own, which calls onStop. So a signal never lands in a driver thread half-way through a call.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include <signal.h>

class StopSignals {
public:
    // Construct before any thread that should not see the signals is started.
    explicit StopSignals(std::function<void()> onStop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    sigset_t signals_{};
    sigset_t previousMask_{};
    std::atomic<bool> finishing_{false};
    std::atomic<bool> waiterDone_{false};
    std::function<void()> onStop_;
    std::thread waiter_;
};
