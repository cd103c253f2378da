// Recording stand-ins for the links and the sleeper, shared by the send engine and pipeline tests.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "protocol/report_transport.h"
#include "sys/clock.h"

class RecordingTransport final : public ReportTransport {
public:
    bool Send(const uint8_t* data, std::size_t length) override {
        sent.emplace_back(data, data + length);
        if (afterSend) {
            afterSend();
        }
        return result;
    }

    std::vector<std::vector<uint8_t>> sent;
    bool result = true;
    std::function<void()> afterSend;
};

class RecordingSleeper final : public Sleeper {
public:
    void SleepMs(int milliseconds) override {
        waits.push_back(milliseconds);
        if (duringWait) {
            duringWait(static_cast<int>(waits.size()));
        }
    }

    std::vector<int> waits;
    // Called with the 1-based number of the wait, as if time passed and events came in.
    std::function<void(int)> duringWait;
};
