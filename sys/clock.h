// Time as the program sees it: a steady millisecond clock and a sleeper, both replaceable so that
// tests of the paced transfers and debounce timers do not wait for real.
#pragma once

#include <chrono>
#include <cstdint>
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
