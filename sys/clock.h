// Time as the program sees it: a steady millisecond clock and a sleeper, both replaceable so that
// tests of the paced transfers and debounce timers do not wait for real.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a steady clock; only differences mean anything.
    virtual uint64_t NowMs() const = 0;
};

class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void SleepMs(int milliseconds) = 0;
};

class SteadyClock final : public Clock {
public:
    uint64_t NowMs() const override {
        using namespace std::chrono;
        return static_cast<uint64_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

class ThreadSleeper final : public Sleeper {
public:
    void SleepMs(int milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

// Real time that can be cut short: once Interrupt() has been called, the sleep in progress and
// every later one return at once. Shutdown uses it so that no paced wait holds up the exit.
class InterruptibleSleeper final : public Sleeper {
public:
    void SleepMs(int milliseconds) override {
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                       [this] { return interrupted_; });
    }
    void Interrupt() {
        {
            std::lock_guard lock(mutex_);
            interrupted_ = true;
        }
        wake_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool interrupted_ = false;
};
