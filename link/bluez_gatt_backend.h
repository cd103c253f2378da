// GATT over BlueZ on the system D-Bus. The interface paths it lists carry the device's vendor and
// product ids and its address
// ("bluez:/org/bluez/hci0/dev_E0_D4..#VID&02045E_PID&0069_e0d4e84a1b2c"), and its hardware ids read
// "BTHLE\Dev_<address>", so the link matches the mouse as it would anywhere else. Without a system
// bus or a running bluetoothd every list is empty.
#pragma once

#include <memory>

#include "link/gatt.h"

class BluezGattBackend final : public GattBackend {
public:
    BluezGattBackend();
    ~BluezGattBackend() override;

    std::vector<BluetoothDeviceInfo> Devices() override;
    std::vector<QString> InterfacePaths() override;
    std::unique_ptr<GattDevice> Open(const QString& path) override;

    // The vendor part of a path from a BlueZ "Modalias" ("usb:v045Ep0069d0110" -> "VID&02045E").
    static QString VendorProductOf(const QString& modalias);

    // A snapshot of BlueZ's objects, shared with the devices opened from it.
    struct Objects;

private:
    std::unique_ptr<Objects> Fetch() const;
};
