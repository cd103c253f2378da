// Which links reach the mouse: the cable, the 2.4 GHz receiver (and whether the mouse behind it is
// awake) and Bluetooth LE. Follows arrivals and removals, keeps the receiver watchdog, and decides
// the one connected state the main window shows (message 1128). Runs on the UI thread.
#pragma once

#include <cstdint>
#include <functional>

#include "link/ble_control.h"
#include "link/device_events.h"
#include "link/device_view.h"
#include "link/driver_functions.h"
#include "protocol/link_state.h"

struct UsbLinkIdentity {
    uint32_t vendorId;
    uint32_t productId;
    uint32_t dataMessage;
    uint32_t statusMessage;
};

inline constexpr UsbLinkIdentity kWiredLink{0x1D57, 0x2039, 1327, 1328};
inline constexpr UsbLinkIdentity kReceiverLink{0x1D57, 0xFA60, 1325, 1326};
inline constexpr uint16_t kBluetoothVendorId = 0x045E;
inline constexpr uint16_t kBluetoothProductId = 0x0069;

class ConnectionManager {
public:
    ConnectionManager(LinkState& links, DeviceView& view, WindowServices& window,
                      DeviceEvents& events, BleControl& ble, DriverFunctions& wired,
                      DriverFunctions& receiver, std::function<bool()> bluetoothPresentAtStart,
                      std::function<void()> onLinkBack = {});

    // Opens both USB links (cable first), looks for the mouse on Bluetooth, and announces the
    // connected state once, whatever it is. window receives the drivers' messages.
    void StartDevices(const TalvoreWindow& window);
    // Closes the devices and monitors (receiver first); the owner unloads the libraries after.
    void CloseDevices();

    // Messages 1325/1326 and 1327/1328, folded into one code each.
    void OnReceiverEvent(uint32_t code);
    void OnCableEvent(uint32_t code);
    void OnBleChange(int connected);
    void OnWatchdogExpired();       // timer 100
    void OnBleRegistrationTimer();  // timer 517; tells a Bluetooth link that came back

    // Data message: key in the high 16 bits, XOR the low 16 bits of lParam.
    static uint32_t FoldDataMessage(uint64_t wParam, int64_t lParam);
    // Status message: 0x7F00 in the high 16 bits, 1 arrived (wParam 1), 2 removed (wParam 0),
    // 0 for any other wParam.
    static uint32_t FoldStatusMessage(uint64_t wParam);

private:
    enum class Usb { Cable, Receiver };
    void OnUsbEvent(Usb link, uint32_t code);
    void ReceiverArrived();
    void ReceiverRemoved();
    void CableArrived();
    void CableRemoved();
    bool OpenUsb(DriverFunctions& driver, const UsbLinkIdentity& identity,
                 const TalvoreWindow& window);
    void AnnounceConnected(int connected);
    void ShowBatteryView(bool batteryVisible);

    LinkState& links_;
    DeviceView& view_;
    WindowServices& window_;
    DeviceEvents& events_;
    BleControl& ble_;
    DriverFunctions& wired_;
    DriverFunctions& receiver_;
    std::function<bool()> bluetoothPresentAtStart_;
    // A link to the mouse arrived after start-up: the cable, the receiver or Bluetooth.
    std::function<void()> onLinkBack_;
    bool bleCameBack_ = false;  // Bluetooth came up; told once its registration has run
};
