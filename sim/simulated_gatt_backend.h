// The shared simulated mouse as a Bluetooth LE peripheral. While it is connected over Bluetooth it
// is one connected device in the system's list and one device interface whose path carries
// "VID&02045E", "PID&0069" and its address. Its first service holds characteristic 0xFEE3, which
// takes configuration reports, and 0xFEE4, which notifies the mouse's events as four bytes
// (key low, key high, value low, value high) on a thread of the backend's own.
#pragma once

#include <memory>

#include "link/gatt.h"

namespace sim {

class SimulatedGattBackend final : public GattBackend {
public:
    static constexpr const char* kAddress = "e0d4e84a1b2c";
    static constexpr uint16_t kServiceHandle = 0x0010;
    static constexpr uint16_t kReportHandle = 0x0012;
    static constexpr uint16_t kEventHandle = 0x0014;
    static constexpr uint16_t kEventConfigHandle = 0x0015;  // the client configuration descriptor

    SimulatedGattBackend();
    ~SimulatedGattBackend() override;

    std::vector<BluetoothDeviceInfo> Devices() override;
    std::vector<QString> InterfacePaths() override;
    std::unique_ptr<GattDevice> Open(const QString& path) override;

    static QString InterfacePath();

    // What the peripheral shares with the devices and registrations made from it.
    struct Peripheral;

private:
    std::shared_ptr<Peripheral> peripheral_;
};

}  // namespace sim
