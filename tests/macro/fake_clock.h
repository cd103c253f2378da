// A clock the test moves by hand.
#pragma once

#include "sys/clock.h"

class FakeClock final : public Clock {
public:
    uint64_t NowMs() const override { return now; }
    void Advance(uint64_t milliseconds) { now += milliseconds; }
    uint64_t now = 1'000'000;
};
