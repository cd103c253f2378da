// Delivers configuration reports over whichever link reaches the mouse, with the pacing,
// splitting and retries each link needs. Runs on the worker thread and blocks it while it waits.
//
// Link choice per report: the cable when present; else the receiver while the mouse behind it is
// awake, retried until the mouse acknowledges; else (or when the receiver got no acknowledgement)
// Bluetooth, which never carries the report-rate report.
//
// A report counts as delivered only when the mouse took it: every wired transfer succeeded, the
// receiver's transfer was acknowledged, or the Bluetooth write succeeded. Stop() ends the retries
// and waits of a send in progress, so a quit never waits for a mouse that does not answer.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "protocol/link_state.h"
#include "protocol/report_sender.h"
#include "protocol/report_transport.h"
#include "sys/clock.h"

inline constexpr std::size_t kMacroFrameSize = 64;
inline constexpr int kMacroFrameCount = 3;
inline constexpr int kWiredPauseMs = 200;
inline constexpr int kReceiverPauseMs = 500;
inline constexpr int kReceiverMacroPauseMs = 1000;
inline constexpr int kBlePauseMs = 500;
inline constexpr int kReceiverTries = 10;

using MacroFrame = std::array<uint8_t, kMacroFrameSize>;

// Piece 0..2 of a macro report for a USB link: 09, 40 (0x0C in the receiver's last piece), the
// button number, the piece index, then 60 report bytes from byte 3 + 60 x piece; bytes past the
// report's length are 0.
MacroFrame BuildMacroFrame(const uint8_t* report, std::size_t length, int piece, bool receiver);

// The links' transports; a null transport is a link whose library is not loaded.
struct SendTransports {
    ReportTransport* wired = nullptr;
    ReportTransport* receiver = nullptr;
    ReportTransport* ble = nullptr;
};

class SendEngine final : public ReportSender {
public:
    SendEngine(const LinkState& links, SendTransports transports, Sleeper& sleeper);

    int SendReport(const uint8_t* bytes, std::size_t length) override;

    // Whether the link a report would take now can carry it at all: only the report-rate report
    // over Bluetooth alone cannot.
    bool CanCarry(uint8_t reportId) const override;

    // From any thread: the send in progress gives up at its next try or wait, and every later one
    // sends nothing. The sleeper is not woken; pass one that Stop's caller can interrupt.
    void Stop() { stopping_.store(true); }
    bool Stopping() const { return stopping_.load(); }

    // The mouse's acknowledgement event (0x5069): accepted when the value's low byte is 0.
    // Called on the UI thread while the worker may be waiting for it.
    void OnAcknowledgementEvent(uint16_t value);
    bool AckReceived() const { return ackReceived_.load() != 0; }

private:
    int SendWired(const uint8_t* bytes, std::size_t length);
    bool SendOverReceiver(const uint8_t* bytes, std::size_t length);
    int SendOverBle(const uint8_t* bytes, std::size_t length);

    const LinkState& links_;
    SendTransports transports_;
    Sleeper& sleeper_;
    std::atomic<int32_t> ackReceived_{0};
    std::atomic<bool> stopping_{false};
};
