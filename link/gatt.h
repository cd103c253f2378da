// Bluetooth LE GATT, reduced to exactly what the mouse's Bluetooth link uses. Backends: BlueZ over
// D-Bus for the real mouse, and the simulated mouse.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QString>

// A Bluetooth device the system knows, as the address list is built from it.
struct BluetoothDeviceInfo {
    bool disconnected = false;
    std::optional<QString> friendlyName;  // empty optional: the property could not be read
    std::optional<QString> hardwareId;    // "BTHLE\Dev_<address>" form
};

struct GattService {
    uint16_t attributeHandle = 0;
};

struct GattCharacteristic {
    uint16_t serviceHandle = 0;
    uint16_t attributeHandle = 0;
    bool shortUuid = false;  // a 16-bit UUID; a long UUID never matches the mouse's
    uint16_t uuid16 = 0;
    bool writable = false;
    bool notifiable = false;
};

struct GattDescriptor {
    uint16_t serviceHandle = 0;
    uint16_t attributeHandle = 0;
};

using GattValueCallback = std::function<void(const uint8_t* data, std::size_t size)>;

// A value-changed registration; Unregister() ends it (the destructor does too). Once it has
// returned, the callback is not called again.
class GattRegistration {
public:
    virtual ~GattRegistration() = default;
    virtual bool Unregister() = 0;
};

// One opened device interface.
class GattDevice {
public:
    virtual ~GattDevice() = default;
    virtual std::optional<std::vector<GattService>> Services() = 0;
    virtual std::optional<std::vector<GattCharacteristic>> Characteristics(
        const GattService& service) = 0;
    virtual std::optional<std::vector<GattDescriptor>> Descriptors(
        const GattCharacteristic& characteristic) = 0;
    virtual std::optional<std::vector<uint8_t>> ReadDescriptor(
        const GattDescriptor& descriptor) = 0;
    // Writes a client characteristic configuration with notifications on.
    virtual bool SubscribeDescriptor(const GattDescriptor& descriptor) = 0;
    virtual bool WriteValue(const GattCharacteristic& characteristic, const uint8_t* data,
                            std::size_t size) = 0;
    // The callback may run on any thread.
    virtual std::unique_ptr<GattRegistration> RegisterValueChanged(
        const GattCharacteristic& characteristic, GattValueCallback callback) = 0;
};

class GattBackend {
public:
    virtual ~GattBackend() = default;
    // Devices of the system's Bluetooth device list.
    virtual std::vector<BluetoothDeviceInfo> Devices() = 0;
    // Paths of the present Bluetooth LE device interfaces; each path carries the device's vendor
    // ("VID&02045E"), product ("PID&0069") and address.
    virtual std::vector<QString> InterfacePaths() = 0;
    // Null when the interface cannot be opened.
    virtual std::unique_ptr<GattDevice> Open(const QString& path) = 0;
    // The battery level (0..100) of the device behind the interface, for the system to show;
    // -1 when it is no longer known. Any thread. A backend with no one to tell does nothing.
    virtual void ReportBatteryLevel(const QString& /*path*/, int /*percentage*/) {}
};
