#include "sim/simulated_mouse.h"

#include <algorithm>
#include <utility>

#include "sim/report_decoder.h"

namespace sim {

const char* LinkName(Link link) {
    switch (link) {
        case Link::Cable:
            return "cable";
        case Link::Receiver:
            return "receiver";
        case Link::Bluetooth:
            return "bluetooth";
    }
    return "?";
}

namespace {
constexpr Link kAllLinks[] = {Link::Cable, Link::Receiver, Link::Bluetooth};
constexpr uint16_t kAckAccepted = 0;
constexpr uint16_t kAckRefused = 1;
}  // namespace

SimulatedMouse::SimulatedMouse() : settings_(FactorySettings()) {}

bool SimulatedMouse::LinkUpLocked(Link link) const {
    switch (link) {
        case Link::Cable:
            return cable_;
        case Link::Receiver:
            return receiver_;
        case Link::Bluetooth:
            return bluetooth_;
    }
    return false;
}

bool SimulatedMouse::EventPathUpLocked(Link link) const {
    return link == Link::Receiver ? receiver_ && awake_ : LinkUpLocked(link);
}

void SimulatedMouse::SetLinkLocked(Link link, bool up,
                                   std::vector<std::pair<Link, bool>>& changes) {
    bool* state = link == Link::Cable ? &cable_ : link == Link::Receiver ? &receiver_ : &bluetooth_;
    if (*state == up) {
        return;
    }
    *state = up;
    if (!up && link != Link::Bluetooth) {
        // Half a macro does not survive the link going away.
        assemblers_[Index(link)].Reset();
    }
    changes.emplace_back(link, up);
}

void SimulatedMouse::AnnounceLocked(uint16_t key, uint16_t value,
                                    std::vector<Event>& events) const {
    for (Link link : kAllLinks) {
        if (EventPathUpLocked(link)) {
            events.push_back(Event{link, key, value});
        }
    }
}

void SimulatedMouse::Deliver(const std::vector<Event>& events,
                             const std::vector<std::pair<Link, bool>>& changes) {
    if (events.empty() && changes.empty()) {
        return;
    }
    EventSink eventSink;
    LinkSink linkSink;
    {
        std::lock_guard lock(mutex_);
        eventSink = eventSink_;
        linkSink = linkSink_;
    }
    if (linkSink) {
        for (const auto& [link, up] : changes) {
            linkSink(link, up);
        }
    }
    if (eventSink) {
        for (const Event& event : events) {
            eventSink(event.link, event.key, event.value);
        }
    }
}

void SimulatedMouse::SetCablePlugged(bool plugged) {
    std::vector<std::pair<Link, bool>> changes;
    {
        std::lock_guard lock(mutex_);
        SetLinkLocked(Link::Cable, plugged, changes);
    }
    Deliver({}, changes);
}

void SimulatedMouse::SetReceiverPlugged(bool plugged) {
    std::vector<std::pair<Link, bool>> changes;
    {
        std::lock_guard lock(mutex_);
        SetLinkLocked(Link::Receiver, plugged, changes);
    }
    Deliver({}, changes);
}

void SimulatedMouse::SetMouseAwake(bool awake) {
    std::lock_guard lock(mutex_);
    if (!awake) {
        assemblers_[Index(Link::Receiver)].Reset();
    }
    awake_ = awake;
}

void SimulatedMouse::SetBluetoothConnected(bool connected) {
    std::vector<std::pair<Link, bool>> changes;
    {
        std::lock_guard lock(mutex_);
        SetLinkLocked(Link::Bluetooth, connected, changes);
    }
    Deliver({}, changes);
}

bool SimulatedMouse::CablePlugged() const {
    std::lock_guard lock(mutex_);
    return cable_;
}

bool SimulatedMouse::ReceiverPlugged() const {
    std::lock_guard lock(mutex_);
    return receiver_;
}

bool SimulatedMouse::MouseAwake() const {
    std::lock_guard lock(mutex_);
    return awake_;
}

bool SimulatedMouse::BluetoothConnected() const {
    std::lock_guard lock(mutex_);
    return bluetooth_;
}

std::string SimulatedMouse::TakeLocked(Link link, const uint8_t* data, std::size_t length,
                                       MouseSettings& target, bool& complete) {
    complete = false;
    if (link != Link::Bluetooth && data != nullptr && length > 0 && data[0] == kReportMacro) {
        auto result = assemblers_[Index(link)].Feed(data, length, link == Link::Receiver);
        switch (result.step) {
            case MacroFrameAssembler::Step::Rejected:
                return result.reason;
            case MacroFrameAssembler::Step::Pending:
                return {};
            case MacroFrameAssembler::Step::Complete:
                complete = true;
                return DecodeReport(result.report.data(), result.report.size(), target);
        }
    }
    complete = true;
    return DecodeReport(data, length, target);
}

bool SimulatedMouse::Receive(Link link, const uint8_t* data, std::size_t length) {
    std::vector<Event> events;
    std::vector<std::pair<Link, bool>> changes;
    bool taken = false;
    {
        std::lock_guard lock(mutex_);
        TransferLogEntry entry{link, {}, false, {}};
        if (data != nullptr) {
            entry.bytes.assign(data, data + length);
        }
        Drop& drop = drops_[Index(link)];
        if (!LinkUpLocked(link)) {
            entry.reason = "link down";
        } else if (drop.armed && drop.remaining == 0) {
            drop.armed = false;
            SetLinkLocked(link, false, changes);
            entry.reason = "link dropped during the transfer";
        } else if (link == Link::Receiver && !awake_) {
            if (drop.armed) {
                --drop.remaining;
            }
            taken = true;
            entry.reason = "mouse asleep behind the receiver";
        } else {
            if (drop.armed) {
                --drop.remaining;
            }
            taken = true;
            const bool answers = link == Link::Receiver;
            const bool refusing = answers && ackMode_ == AckMode::Refuse;
            // A refusing mouse checks the transfer but keeps none of it.
            MouseSettings scratch;
            if (refusing) {
                scratch = settings_;
            }
            bool complete = false;
            entry.reason = TakeLocked(link, data, length, refusing ? scratch : settings_, complete);
            if (entry.reason.empty() && complete && refusing) {
                entry.reason = "refused by the mouse";
            }
            entry.accepted = entry.reason.empty();
            if (answers && ackMode_ != AckMode::Silent && (complete || !entry.accepted)) {
                events.push_back(
                    Event{Link::Receiver, kEventAck, entry.accepted ? kAckAccepted : kAckRefused});
            }
        }
        log_.push_back(std::move(entry));
    }
    Deliver(events, changes);
    return taken;
}

MouseSettings SimulatedMouse::Settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

std::vector<TransferLogEntry> SimulatedMouse::Log() const {
    std::lock_guard lock(mutex_);
    return log_;
}

void SimulatedMouse::ClearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

void SimulatedMouse::SetEventSink(EventSink sink) {
    std::lock_guard lock(mutex_);
    eventSink_ = std::move(sink);
}

void SimulatedMouse::SetLinkSink(LinkSink sink) {
    std::lock_guard lock(mutex_);
    linkSink_ = std::move(sink);
}

void SimulatedMouse::SetAckMode(AckMode mode) {
    std::lock_guard lock(mutex_);
    ackMode_ = mode;
}

void SimulatedMouse::DropLinkAfter(Link link, int transfers) {
    std::lock_guard lock(mutex_);
    drops_[Index(link)] = Drop{true, std::max(transfers, 0)};
}

void SimulatedMouse::PressDpiButton() {
    std::vector<Event> events;
    {
        std::lock_guard lock(mutex_);
        DpiSettings& dpi = settings_.dpi;
        if (dpi.stageMask == 0) {
            return;  // no stage in use: the button does nothing
        }
        const int current = dpi.currentStage;
        const int start = (current >= 1 && current <= kStageCount) ? current % kStageCount : 0;
        for (int k = 0; k < kStageCount; ++k) {
            const int index = (start + k) % kStageCount;
            if (dpi.stageMask & (1u << index)) {
                dpi.currentStage = static_cast<uint8_t>(index + 1);
                break;
            }
        }
        AnnounceLocked(kEventDpiStage, dpi.currentStage, events);
    }
    Deliver(events, {});
}

void SimulatedMouse::PressReportRateButton() {
    std::vector<Event> events;
    {
        std::lock_guard lock(mutex_);
        uint8_t& code = settings_.rateCode;
        code = code == 8 ? 4 : code == 4 ? 2 : code == 2 ? 1 : 8;
        AnnounceLocked(kEventReportRate, code, events);
    }
    Deliver(events, {});
}

uint16_t SimulatedMouse::PowerValueLocked() const {
    return static_cast<uint16_t>(batteryLevel_ << 8 | powerState_);
}

void SimulatedMouse::SetBattery(int level, bool charging, bool charged) {
    std::vector<Event> events;
    {
        std::lock_guard lock(mutex_);
        batteryLevel_ = std::clamp(level, 0, 255);
        powerState_ = charged ? kPowerCharged : charging ? kPowerCharging : kPowerOnBattery;
        AnnounceLocked(kEventPower, PowerValueLocked(), events);
    }
    Deliver(events, {});
}

int SimulatedMouse::BatteryLevel() const {
    std::lock_guard lock(mutex_);
    return batteryLevel_;
}

void SimulatedMouse::EmitStatus() {
    std::vector<Event> events;
    {
        std::lock_guard lock(mutex_);
        AnnounceLocked(kEventPower, PowerValueLocked(), events);
    }
    Deliver(events, {});
}

}  // namespace sim
