#include "cli/stop_signals.h"

#include <pthread.h>

StopSignals::StopSignals(std::function<void()> onStop) : onStop_(std::move(onStop)) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals_, &previousMask_);
    waiter_ = std::thread([this] {
        int signal = 0;
        sigwait(&signals_, &signal);
        waiterDone_.store(true);
        if (!finishing_.load() && onStop_) {
            onStop_();
        }
    });
}

StopSignals::~StopSignals() {
    // Wakes the waiter with a signal meant for it alone, unless a real one already did.
    finishing_.store(true);
    if (!waiterDone_.load()) {
        pthread_kill(waiter_.native_handle(), SIGTERM);
    }
    waiter_.join();
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}
