// GATT over BlueZ on D-Bus. The interface paths it lists carry the device's vendor and product
// ids and its address ("bluez:/org/bluez/hci0/dev_E0_D4..#VID&02045E_PID&0069_e0d4e84a1b2c"),
// and its hardware ids read "BTHLE\Dev_<address>", so the link matches the mouse as it would
// anywhere else.
//
// The window's thread never waits for bluetoothd: the device lists and the objects a device is
// opened with come from BluezObjects, starting notifications and ending them are sent without
// waiting for the answer, and descriptors are not read from the device. Only a value
// written to a characteristic waits for its answer; the send engine does that on its worker.
// Without a bus or a running bluetoothd every list is empty. The mouse's battery level goes to
// BlueZ as well, which hands it to UPower.
#pragma once

#include <memory>

#include <QDBusConnection>

#include "link/gatt.h"

class BluezBatteryProvider;
class BluezObjects;

class BluezGattBackend final : public GattBackend {
public:
    // The bus BlueZ is on: the system bus, or a private one in the tests.
    explicit BluezGattBackend(const QDBusConnection& bus = QDBusConnection::systemBus());
    ~BluezGattBackend() override;

    std::vector<BluetoothDeviceInfo> Devices() override;
    std::vector<QString> InterfacePaths() override;
    std::unique_ptr<GattDevice> Open(const QString& path) override;
    // Handed to BlueZ as the device's battery (BluezBatteryProvider), so the desktop shows it.
    void ReportBatteryLevel(const QString& path, int percentage) override;

    // Whether BlueZ's objects have been read since bluetoothd last appeared.
    bool Ready() const;

    // The vendor part of a path from a BlueZ "Modalias" ("usb:v045Ep0069d0110" -> "VID&02045E").
    static QString VendorProductOf(const QString& modalias);

private:
    QDBusConnection bus_;
    std::unique_ptr<BluezObjects> objects_;
    std::unique_ptr<BluezBatteryProvider> battery_;
};
