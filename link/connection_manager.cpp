#include "link/connection_manager.h"

#include <utility>

namespace {

using namespace link_controls;
using namespace page_timers;

constexpr uint32_t kStatusCodeHigh = 0x7F00;
constexpr uint32_t kArrived = 1;
constexpr uint32_t kRemoved = 2;
constexpr uint32_t kFirstEventKey = 0x1000;
constexpr uint32_t kLastEventKey = 0x9000;

}  // namespace

ConnectionManager::ConnectionManager(LinkState& links, DeviceView& view, WindowServices& window,
                                     DeviceEvents& events, BleControl& ble, DriverFunctions& wired,
                                     DriverFunctions& receiver,
                                     std::function<bool()> bluetoothPresentAtStart,
                                     std::function<void()> onLinkBack)
    : links_(links),
      view_(view),
      window_(window),
      events_(events),
      ble_(ble),
      wired_(wired),
      receiver_(receiver),
      bluetoothPresentAtStart_(std::move(bluetoothPresentAtStart)),
      onLinkBack_(std::move(onLinkBack)) {}

uint32_t ConnectionManager::FoldDataMessage(uint64_t wParam, int64_t lParam) {
    return static_cast<uint32_t>(wParam << 16) ^ static_cast<uint32_t>(lParam & 0xFFFF);
}

uint32_t ConnectionManager::FoldStatusMessage(uint64_t wParam) {
    const uint32_t low = wParam == 1 ? kArrived : wParam == 0 ? kRemoved : 0;
    return kStatusCodeHigh << 16 | low;
}

bool ConnectionManager::OpenUsb(DriverFunctions& driver, const UsbLinkIdentity& identity,
                                const TalvoreWindow& window) {
    if (!driver.Bound()) {
        return false;  // the library did not load: its link is never present
    }
    driver.Set_VIDPID(identity.vendorId, identity.productId);
    driver.Open_DevMonitor(&window, identity.dataMessage, identity.statusMessage);
    return driver.Open_FeatureDevice() != 0;
}

void ConnectionManager::StartDevices(const TalvoreWindow& window) {
    if (OpenUsb(wired_, kWiredLink, window)) {
        links_.cableState = 1;
        view_.SetVisible(kSleepLabel, false);
        view_.SetLanguageText(kPowerLabel, "charging_text");
        window_.StartChargeTimer();
        view_.SetVisible(kWired, true);
    } else {
        links_.cableState = 0;
        view_.SetVisible(kSleepLabel, true);
        view_.SetVisible(kWired, false);
    }

    if (OpenUsb(receiver_, kReceiverLink, window)) {
        links_.receiverState = 1;
        window_.SetTimer(kReceiverWatchdog, kWatchdogMs);
    } else {
        links_.receiverState = 0;
    }
    view_.SetVisible(kWireless, false);

    links_.bleConnected = bluetoothPresentAtStart_ && bluetoothPresentAtStart_() ? 1 : 0;

    if (links_.CablePresent() || links_.ReceiverPresent() || links_.bleConnected != 0) {
        AnnounceConnected(1);
        if (links_.CablePresent()) {
            ShowBatteryView(true);
        }
    } else {
        AnnounceConnected(0);
        if (view_.IsChecked(kCheckPower)) {
            ShowBatteryView(false);
        }
    }
}

void ConnectionManager::CloseDevices() {
    for (DriverFunctions* driver : {&receiver_, &wired_}) {
        if (driver->Bound()) {
            driver->Close_FeatureDevice();
            driver->Close_DevMonitor();
        }
    }
}

void ConnectionManager::OnReceiverEvent(uint32_t code) {
    OnUsbEvent(Usb::Receiver, code);
}

void ConnectionManager::OnCableEvent(uint32_t code) {
    OnUsbEvent(Usb::Cable, code);
}

void ConnectionManager::OnUsbEvent(Usb link, uint32_t code) {
    const uint32_t high = code >> 16;
    const uint32_t low = code & 0xFFFF;
    if (high == kStatusCodeHigh) {
        const int32_t current = link == Usb::Cable ? links_.cableState : links_.receiverState;
        if ((low != kArrived && low != kRemoved) || static_cast<int32_t>(low) == current) {
            return;  // a repeated report, or not a report at all
        }
        if (link == Usb::Cable) {
            low == kArrived ? CableArrived() : CableRemoved();
        } else {
            low == kArrived ? ReceiverArrived() : ReceiverRemoved();
        }
        return;
    }
    if (high >= kFirstEventKey && high <= kLastEventKey) {
        events_.Handle(static_cast<uint16_t>(high), static_cast<uint16_t>(low), EventSource::Usb);
    }
}

void ConnectionManager::ReceiverArrived() {
    window_.Wait(kArrivalSettleMs);
    links_.receiverState = 1;
    view_.SetVisible(kWireless, true);
    events_.RefreshSettingsView();
    if (receiver_.Bound()) {
        receiver_.Open_FeatureDevice();
    }
    window_.SetTimer(kReceiverWatchdog, kWatchdogMs);
    if (!links_.CablePresent() && links_.bleConnected == 0) {
        AnnounceConnected(1);
    }
    if (onLinkBack_) {
        onLinkBack_();
    }
}

void ConnectionManager::ReceiverRemoved() {
    links_.receiverState = 2;
    view_.SetVisible(kWireless, false);
    if (receiver_.Bound()) {
        receiver_.Close_FeatureDevice();
    }
    events_.RefreshSettingsView();
    window_.KillTimer(kReceiverWatchdog);
    if (!links_.CablePresent() && links_.bleConnected == 0) {
        AnnounceConnected(0);
    }
}

void ConnectionManager::CableArrived() {
    window_.Wait(kArrivalSettleMs);
    links_.cableState = 1;
    if (wired_.Bound()) {
        wired_.Open_FeatureDevice();
    }
    view_.SetVisible(kSleepLabel, false);
    view_.SetVisible(kWired, true);
    events_.RefreshSettingsView();
    events_.ResetChargeAnimation();
    view_.SetLanguageText(kPowerLabel, "charging_text");
    window_.StartChargeTimer();
    if (!links_.ReceiverPresent() && links_.bleConnected == 0) {
        AnnounceConnected(1);
    }
    if (onLinkBack_) {
        onLinkBack_();
    }
}

void ConnectionManager::CableRemoved() {
    links_.cableState = 2;
    if (wired_.Bound()) {
        wired_.Close_FeatureDevice();
    }
    view_.SetVisible(kSleepLabel, true);
    view_.SetVisible(kWired, false);
    events_.RefreshSettingsView();
    view_.SetPlainText(kPowerLabel, QString());
    window_.StopChargeTimer();
    if (!links_.ReceiverPresent() && links_.bleConnected == 0) {
        AnnounceConnected(0);
    }
}

void ConnectionManager::OnBleChange(int connected) {
    if (connected != 0) {
        const bool cameBack = links_.bleConnected == 0;
        links_.bleConnected = 1;
        ble_.SetLinkUp(true);
        window_.SetTimer(kBleRegistration, kBleRegistrationMs);
        view_.SetVisible(kSleepLabel, false);
        view_.SetVisible(kWireless, false);
        view_.SetVisible(kBle, true);
        events_.RefreshSettingsView();
        if (!links_.ReceiverPresent() && !links_.CablePresent()) {
            links_.deviceConnected = 1;
            ShowBatteryView(false);
            window_.PostMessage(page_messages::kDeviceConnected, 0, 0);
        }
        // Writes find the mouse only once the registration has listed its address.
        bleCameBack_ = bleCameBack_ || cameBack;
        return;
    }
    links_.bleConnected = 0;
    bleCameBack_ = false;
    window_.KillTimer(kBleRegistration);
    ble_.SetLinkUp(false);
    if (ble_.HasRegistration()) {
        ble_.Unregister();
    }
    view_.SetVisible(kBle, false);
    if (links_.wirelessAwake == 0 && !links_.CablePresent()) {
        view_.SetVisible(kSleepLabel, true);
        ShowBatteryView(false);
    }
    if (!links_.ReceiverPresent() && !links_.CablePresent()) {
        links_.deviceConnected = 0;
        ShowBatteryView(false);
        window_.PostMessage(page_messages::kDeviceConnected, 0, 0);
    }
}

void ConnectionManager::OnWatchdogExpired() {
    window_.KillTimer(kReceiverWatchdog);
    const bool offCable = links_.bleConnected == 0 && !links_.CablePresent();
    if (offCable) {
        ShowBatteryView(false);
    }
    if (links_.wirelessAwake != 0) {
        links_.wirelessAwake = 0;
        view_.SetVisible(kWireless, false);
        events_.RefreshSettingsView();
        if (offCable) {
            view_.SetVisible(kSleepLabel, true);
        }
    }
}

void ConnectionManager::OnBleRegistrationTimer() {
    window_.KillTimer(kBleRegistration);
    if (!ble_.HasRegistration()) {
        ble_.ConnectAndRegister();
    }
    if (std::exchange(bleCameBack_, false) && onLinkBack_) {
        onLinkBack_();
    }
}

void ConnectionManager::AnnounceConnected(int connected) {
    links_.deviceConnected = connected;
    window_.PostMessage(page_messages::kDeviceConnected, 0, 0);
}

void ConnectionManager::ShowBatteryView(bool batteryVisible) {
    view_.SetVisible(kNoPowerView, !batteryVisible);
    view_.SetVisible(kPowerView, batteryVisible);
}
