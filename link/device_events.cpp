#include "link/device_events.h"

namespace {

constexpr uint8_t kEventMarker = 0x69;

using namespace link_controls;

}  // namespace

int ReportRateIndexFromCode(uint16_t code) {
    switch (code) {
        case 8:
            return 0;
        case 4:
            return 1;
        case 2:
            return 2;
        case 1:
            return 3;
        default:
            return -1;
    }
}

DeviceEvents::DeviceEvents(LinkState& links, DeviceView& view, WindowServices& window,
                           CurrentProfileAccess& profile,
                           std::function<void(uint16_t)> onAcknowledgement,
                           std::function<void(bool)> onMouseAnswered)
    : links_(links),
      view_(view),
      window_(window),
      profile_(profile),
      onAcknowledgement_(std::move(onAcknowledgement)),
      onMouseAnswered_(std::move(onMouseAnswered)) {}

void DeviceEvents::Handle(uint16_t key, uint16_t value, EventSource source) {
    if ((key & 0xFF) != kEventMarker) {
        return;
    }
    switch (key >> 8) {
        case 0x10:
            HandleDpiStage(value);
            Answered(false);
            break;
        case 0x20:
            HandleReportRate(value);
            Answered(false);
            break;
        case 0x32:
        case 0x80:
            profile_.Synchronise();
            break;
        case 0x40: {
            bool wokeUp = false;
            if (source == EventSource::Usb) {
                wokeUp = HandlePowerOverUsb(value);
            } else {
                HandlePowerOverBluetooth(value);
            }
            Answered(wokeUp);
            break;
        }
        case 0x50:
            if (onAcknowledgement_) {
                onAcknowledgement_(value);
            }
            break;
        default:
            break;  // 0x60, 0x70 and unknown types carry nothing for us
    }
}

void DeviceEvents::Answered(bool wokeUp) {
    if (onMouseAnswered_) {
        onMouseAnswered_(wokeUp);
    }
}

void DeviceEvents::HandleDpiStage(uint16_t value) {
    if (value < 1 || value > kDpiStageCount) {
        return;
    }
    int32_t stageDpi = 0;
    const auto change = [stage = value - 1](ProfileSlot& slot) { slot.dpiStage = stage; };
    const bool loaded = profile_.EditSlot0([&](ProfileSlot& slot) {
        change(slot);
        stageDpi = slot.dpiValue[value - 1];
    });
    if (!loaded) {
        return;
    }
    view_.SelectDpiStageOption(value);
    window_.PostMessage(page_messages::kDpiPopup, 0, stageDpi);
    profile_.SynchroniseSlot0(change);
}

void DeviceEvents::HandleReportRate(uint16_t value) {
    // The mouse announces the rate code; the record keeps the index of the rate options, so any
    // value that is not a rate code is ignored and reportRate stays within 0..3.
    const int index = ReportRateIndexFromCode(value);
    if (index < 0) {
        return;
    }
    const auto change = [index](ProfileSlot& slot) { slot.reportRate = index; };
    if (profile_.EditSlot0(change)) {
        // The page shows the rate the profile now holds.
        view_.SelectReportRateOption(index);
        profile_.SynchroniseSlot0(change);
    }
}

bool DeviceEvents::HandlePowerOverUsb(uint16_t value) {
    const int state = value & 0xFF;
    const int level = value >> 8;

    // Online state first: the mouse answered, so the watchdog starts over.
    window_.SetTimer(page_timers::kReceiverWatchdog, page_timers::kWatchdogMs);
    // The mouse answered, so its reading is shown again: off the cable as the receiver link
    // has it, and on the cable always (a "does not answer" left from a time it was away must not
    // stay while it reports).
    const bool offCable = !links_.CablePresent() && links_.bleConnected == 0;
    if (!offCable || state == kPowerStateCharged || links_.wirelessAwake == 0) {
        view_.SetVisible(kNoPowerView, false);
        view_.SetVisible(kPowerView, true);
    }
    bool wokeUp = false;
    const bool asleepBehindReceiver =
        (state == kPowerStateCharged || state == kPowerStateCharging) && links_.CablePresent();
    if (asleepBehindReceiver) {
        if (links_.wirelessAwake != 0) {
            links_.wirelessAwake = 0;
            view_.SetVisible(kWireless, false);
            RefreshSettingsView();
        }
        view_.SetVisible(kWireless, false);
    } else if (links_.wirelessAwake == 0) {
        links_.wirelessAwake = 1;
        wokeUp = true;
        view_.SetVisible(kWireless, true);
        RefreshSettingsView();
    }

    if (state == kPowerStateCharged) {
        window_.StopChargeTimer();
        ShowBatteryLevel(100);
    } else if (state == kPowerStateCharging) {
        ShowCharging();
    } else if (level <= 100) {
        ShowBatteryLevel(level);
    }
    view_.SetVisible(kSleepLabel, false);
    return wokeUp;
}

void DeviceEvents::HandlePowerOverBluetooth(uint16_t value) {
    const int state = value & 0xFF;
    const int level = value >> 8;
    view_.SetVisible(kNoPowerView, false);
    view_.SetVisible(kPowerView, true);
    if (state == kPowerStateCharged) {
        ShowBatteryLevel(100);
        window_.StopChargeTimer();
    } else if (state == kPowerStateCharging) {
        ShowCharging();
    } else {
        window_.StopChargeTimer();
        if (level <= 100) {
            ShowBatteryLevel(level);
        }
    }
    view_.SetVisible(kSleepLabel, false);
}

void DeviceEvents::ShowCharging() {
    window_.StartChargeTimer();
    view_.SetLanguageText(kPowerLabel, "charging_text");
}

void DeviceEvents::ShowBatteryLevel(int level) {
    view_.SetProgress(kPowerProgress, level);
    view_.SetPlainText(kPowerLabel, QStringLiteral("%1%").arg(level));
}

void DeviceEvents::OnChargeTimer() {
    view_.SetProgress(kPowerProgress, chargeAnimStep_);
    chargeAnimStep_ += 2;
    if (chargeAnimStep_ > 100) {
        chargeAnimStep_ = 0;
    }
}

void DeviceEvents::RefreshSettingsView() {
    if (links_.CablePresent() || (links_.ReceiverPresent() && links_.wirelessAwake != 0)) {
        view_.SetVisible(kCheckReportRate, true);
        view_.SetVisible(kCheckPower, true);
        view_.UpdateLightRows();
        if (!links_.CablePresent()) {
            view_.SetVisible(kNoPowerView, false);
            view_.SetVisible(kPowerView, true);
        }
    } else if (links_.bleConnected != 0) {
        // The report rate is never sent over Bluetooth.
        view_.UpdateLightRows();
        view_.SetChecked(kCheckReportRate, false);
        view_.SetVisible(kCheckReportRate, false);
        view_.SetVisible(kReportRatePanel, false);
    }
    view_.SetVisible(kLightCombo, false);
    view_.SetVisible(kLightPanel, false);
    // The lighting section's switch follows its section, so one click shows it again.
    view_.SetChecked(kCheckLight, false);
}
