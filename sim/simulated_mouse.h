// The simulated mouse: its links, the reports it takes, the settings they leave and the events it
// sends back. The hidapi and GATT faces hand transfers to Receive and pass its events on; tests
// drive it directly. Safe to call from several threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "sim/macro_frame_assembler.h"
#include "sim/mouse_settings.h"

namespace sim {

enum class Link { Cable, Receiver, Bluetooth };

const char* LinkName(Link link);

// How the mouse answers accepted reports over the receiver.
enum class AckMode {
    Accept,  // takes the report and answers 0x5069 value 0
    Refuse,  // drops the report and answers 0x5069 value 1
    Silent,  // takes the report but the answer is lost
};

inline constexpr uint16_t kEventDpiStage = 0x1069;
inline constexpr uint16_t kEventReportRate = 0x2069;
inline constexpr uint16_t kEventPower = 0x4069;
inline constexpr uint16_t kEventAck = 0x5069;

inline constexpr uint8_t kPowerOnBattery = 1;
inline constexpr uint8_t kPowerCharged = 2;
inline constexpr uint8_t kPowerCharging = 3;

struct TransferLogEntry {
    Link link;
    std::vector<uint8_t> bytes;
    bool accepted = false;
    std::string reason;  // why it was rejected; empty when accepted
};

// Called outside the mouse's lock, so it may call back into the mouse.
using EventSink = std::function<void(Link link, uint16_t key, uint16_t value)>;
using LinkSink = std::function<void(Link link, bool up)>;

class SimulatedMouse {
public:
    SimulatedMouse();

    // Link state. Over the receiver the mouse answers only while awake; a receiver without an
    // awake mouse still takes transfers, but nothing reaches the mouse and nothing answers.
    void SetCablePlugged(bool plugged);
    void SetReceiverPlugged(bool plugged);
    void SetMouseAwake(bool awake);
    void SetBluetoothConnected(bool connected);
    bool CablePlugged() const;
    bool ReceiverPlugged() const;
    bool MouseAwake() const;
    bool BluetoothConnected() const;

    // One transfer as a link hands it over: a feature report (a whole report, or one 64-byte macro
    // frame) on the cable and the receiver, a whole report written to 0xFEE3 over Bluetooth.
    // Returns whether the link took the transfer; false only when the link is down.
    bool Receive(Link link, const uint8_t* data, std::size_t length);

    MouseSettings Settings() const;
    std::vector<TransferLogEntry> Log() const;
    void ClearLog();

    void SetEventSink(EventSink sink);
    void SetLinkSink(LinkSink sink);

    // Faults on demand.
    void SetAckMode(AckMode mode);
    // The next `transfers` transfers on `link` go through; the one after fails and takes the link
    // down, as a cable pulled in the middle of a send would.
    void DropLinkAfter(Link link, int transfers);

    // The mouse's own buttons and power.
    void PressDpiButton();         // next enabled stage, announced as 0x1069 with the stage 1..8
    void PressReportRateButton();  // rate code 8 -> 4 -> 2 -> 1 -> 8, announced as 0x2069
    // charged wins over charging; the level is sent as it is given (0..255).
    void SetBattery(int level, bool charging, bool charged);
    int BatteryLevel() const;
    void EmitStatus();  // the periodic power status, 0x4069 with level << 8 | state

private:
    struct Event {
        Link link;
        uint16_t key;
        uint16_t value;
    };
    struct Drop {
        bool armed = false;
        int remaining = 0;
    };

    static int Index(Link link) { return static_cast<int>(link); }
    bool LinkUpLocked(Link link) const;
    bool EventPathUpLocked(Link link) const;
    void SetLinkLocked(Link link, bool up, std::vector<std::pair<Link, bool>>& changes);
    void AnnounceLocked(uint16_t key, uint16_t value, std::vector<Event>& events) const;
    uint16_t PowerValueLocked() const;
    // Checks and applies one transfer the link took; returns the rejection reason or "".
    std::string TakeLocked(Link link, const uint8_t* data, std::size_t length,
                           MouseSettings& target, bool& complete);
    void Deliver(const std::vector<Event>& events,
                 const std::vector<std::pair<Link, bool>>& changes);

    mutable std::mutex mutex_;
    bool cable_ = false;
    bool receiver_ = false;
    bool awake_ = false;
    bool bluetooth_ = false;
    MouseSettings settings_;
    std::vector<TransferLogEntry> log_;
    AckMode ackMode_ = AckMode::Accept;
    Drop drops_[3];
    MacroFrameAssembler assemblers_[2];  // cable and receiver
    int batteryLevel_ = 100;
    uint8_t powerState_ = kPowerOnBattery;
    EventSink eventSink_;
    LinkSink linkSink_;
};

}  // namespace sim
