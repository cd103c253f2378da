// Bluetooth where the system has none: nothing is ever found.
#pragma once

#include "link/gatt.h"

class NullGattBackend final : public GattBackend {
public:
    std::vector<BluetoothDeviceInfo> Devices() override { return {}; }
    std::vector<QString> InterfacePaths() override { return {}; }
    std::unique_ptr<GattDevice> Open(const QString&) override { return nullptr; }
};
