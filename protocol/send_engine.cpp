#include "protocol/send_engine.h"

#include <algorithm>

#include "protocol/report_builders.h"

namespace {

constexpr std::size_t kFramePayload = 60;
constexpr std::size_t kReportPayloadStart = 3;

bool IsMacroReport(const uint8_t* bytes) {
    return bytes[0] == kReportIdMacro;
}

}  // namespace

MacroFrame BuildMacroFrame(const uint8_t* report, std::size_t length, int piece, bool receiver) {
    MacroFrame frame{};
    frame[0] = kReportIdMacro;
    frame[1] = receiver && piece == kMacroFrameCount - 1 ? 0x0C : 0x40;
    frame[2] = length > 2 ? report[2] : 0;
    frame[3] = static_cast<uint8_t>(piece);
    const std::size_t from = kReportPayloadStart + kFramePayload * static_cast<std::size_t>(piece);
    if (from < length) {
        const std::size_t count = std::min(kFramePayload, length - from);
        std::copy_n(report + from, count, frame.begin() + 4);
    }
    return frame;
}

SendEngine::SendEngine(const LinkState& links, SendTransports transports, Sleeper& sleeper)
    : links_(links), transports_(transports), sleeper_(sleeper) {}

void SendEngine::OnAcknowledgementEvent(uint16_t value) {
    ackReceived_.store((value & 0xFF) == 0 ? 1 : 0);
}

bool SendEngine::CanCarry(uint8_t reportId) const {
    if (reportId != kReportIdRate) {
        return true;
    }
    return (links_.CablePresent() && transports_.wired != nullptr) ||
           (links_.ReceiverUsable() && transports_.receiver != nullptr) || !links_.BleUsable();
}

int SendEngine::SendReport(const uint8_t* bytes, std::size_t length) {
    if (bytes == nullptr || length == 0 || Stopping()) {
        return 0;
    }
    // The cable never hands a report on to another link.
    if (links_.CablePresent() && transports_.wired != nullptr) {
        return SendWired(bytes, length);
    }
    if (links_.ReceiverUsable() && transports_.receiver != nullptr &&
        SendOverReceiver(bytes, length)) {
        return 1;
    }
    return SendOverBle(bytes, length);
}

int SendEngine::SendWired(const uint8_t* bytes, std::size_t length) {
    // A failed wired transfer is not retried, but the report does not count as delivered: the
    // apply keeps its group for the next one.
    bool allTaken = true;
    const auto transfer = [&](const uint8_t* data, std::size_t size) {
        if (Stopping()) {
            allTaken = false;
        } else if (transports_.wired->Send(data, size)) {
            sleeper_.SleepMs(kWiredPauseMs);
        } else {
            allTaken = false;
        }
    };
    if (IsMacroReport(bytes)) {
        for (int piece = 0; piece < kMacroFrameCount; ++piece) {
            const MacroFrame frame = BuildMacroFrame(bytes, length, piece, false);
            transfer(frame.data(), frame.size());
        }
    } else {
        transfer(bytes, length);
    }
    return allTaken ? 1 : 0;
}

bool SendEngine::SendOverReceiver(const uint8_t* bytes, std::size_t length) {
    ackReceived_.store(0);
    if (IsMacroReport(bytes)) {
        // Each pass sends all three pieces; the mouse acknowledges the whole macro.
        for (int pass = 0; pass < kReceiverTries; ++pass) {
            for (int piece = 0; piece < kMacroFrameCount; ++piece) {
                if (Stopping()) {
                    return false;
                }
                const MacroFrame frame = BuildMacroFrame(bytes, length, piece, true);
                transports_.receiver->Send(frame.data(), frame.size());
                sleeper_.SleepMs(kReceiverMacroPauseMs);
            }
            if (AckReceived()) {
                return true;
            }
        }
        return false;
    }
    for (int attempt = 0; attempt < kReceiverTries; ++attempt) {
        if (AckReceived()) {
            return true;
        }
        if (Stopping()) {
            return false;
        }
        transports_.receiver->Send(bytes, length);
        sleeper_.SleepMs(kReceiverPauseMs);
    }
    return AckReceived();
}

int SendEngine::SendOverBle(const uint8_t* bytes, std::size_t length) {
    // The mouse takes no report-rate setting over Bluetooth.
    if (!links_.BleUsable() || transports_.ble == nullptr || bytes[0] == kReportIdRate ||
        Stopping()) {
        return 0;
    }
    if (!transports_.ble->Send(bytes, length)) {
        return 0;
    }
    sleeper_.SleepMs(kBlePauseMs);
    return 1;
}
