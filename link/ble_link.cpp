#include "link/ble_link.h"

#include <QLoggingCategory>

#include "link/device_events.h"

Q_LOGGING_CATEGORY(lcBle, "talvore.ble")

namespace {

const QString kVidMatch = QStringLiteral("VID&02045E");
const QString kPidMatch = QStringLiteral("PID&0069");
constexpr uint16_t kMaxSubscribableHandle = 255;

// The address is the second piece of the hardware id split at "_" ("BTHLE\Dev_<address>").
QString AddressOf(const QString& hardwareId) {
    const QStringList pieces = hardwareId.split(QLatin1Char('_'));
    return pieces.size() > 1 ? pieces.at(1) : QString();
}

bool Qualifies(const QString& upperPath, const QStringList& addresses, const QString& vid,
               const QString& pid) {
    if (!upperPath.contains(vid) || !upperPath.contains(pid)) {
        return false;
    }
    for (const QString& address : addresses) {
        if (upperPath.contains(address.toUpper())) {
            return true;  // an empty entry matches every path
        }
    }
    return false;
}

}  // namespace

BleLink::BleLink(GattBackend& backend, std::function<void(uint16_t, uint16_t)> onEvent)
    : backend_(backend), onEvent_(std::move(onEvent)) {}

BleLink::~BleLink() {
    Unregister();
}

void BleLink::SetLinkUp(bool up) {
    std::lock_guard lock(mutex_);
    vidMatch_ = up ? kVidMatch : QString();
    pidMatch_ = up ? kPidMatch : QString();
}

bool BleLink::HasRegistration() const {
    return !registrations_.empty();
}

QStringList BleLink::Addresses() const {
    std::lock_guard lock(mutex_);
    return addresses_;
}

void BleLink::RefreshAddresses() {
    QStringList addresses;
    for (const BluetoothDeviceInfo& device : backend_.Devices()) {
        if (device.disconnected || !device.friendlyName || !device.hardwareId) {
            continue;
        }
        if (addresses.size() == kMaxAddresses) {
            break;
        }
        addresses.append(AddressOf(*device.hardwareId));
    }
    std::lock_guard lock(mutex_);
    addresses_ = std::move(addresses);
}

BleLink::SearchKeys BleLink::CopyKeys() const {
    std::lock_guard lock(mutex_);
    return {vidMatch_, pidMatch_, addresses_};
}

bool BleLink::Search(const SearchKeys& keys,
                     const std::function<bool(GattDevice&, const QString&,
                                              const std::vector<GattCharacteristic>&)>& step,
                     int* interfacesListed) {
    const std::vector<QString> paths = backend_.InterfacePaths();
    if (interfacesListed != nullptr) {
        *interfacesListed = static_cast<int>(paths.size());
    }
    for (const QString& path : paths) {
        if (!Qualifies(path.toUpper(), keys.addresses, keys.vidMatch, keys.pidMatch)) {
            continue;
        }
        std::unique_ptr<GattDevice> device = backend_.Open(path);
        if (!device) {
            continue;
        }
        const auto services = device->Services();
        if (!services || services->empty()) {
            qCDebug(lcBle) << "BluetoothGATTGetServices failed on" << path;
            continue;
        }
        const auto characteristics = device->Characteristics(services->front());
        if (!characteristics) {
            qCDebug(lcBle) << "BluetoothGATTGetCharacteristics failed on" << path;
            continue;
        }
        if (step(*device, path, *characteristics)) {
            return true;
        }
    }
    return false;
}

bool BleLink::Write(const uint8_t* report, std::size_t length) {
    const SearchKeys keys = CopyKeys();
    if (keys.vidMatch.isEmpty() || keys.pidMatch.isEmpty() || report == nullptr || length == 0 ||
        length > kMaxReportLength) {
        return false;
    }
    return Search(keys, [&](GattDevice& device, const QString& path,
                            const std::vector<GattCharacteristic>& characteristics) {
        for (const GattCharacteristic& c : characteristics) {
            if (!c.shortUuid || c.uuid16 != kReportCharacteristic || !c.writable) {
                continue;
            }
            qCDebug(lcBle) << path;
            if (device.WriteValue(c, report, length)) {
                qCDebug(lcBle) << "Write Success";
                return true;
            }
            qCDebug(lcBle) << "Write fail";
        }
        return false;
    });
}

void BleLink::ConnectAndRegister() {
    RefreshAddresses();
    const SearchKeys keys = CopyKeys();
    if (keys.vidMatch.isEmpty() || keys.pidMatch.isEmpty()) {
        return;
    }
    int listed = 0;
    Search(
        keys,
        [&](GattDevice& device, const QString& path,
            const std::vector<GattCharacteristic>& characteristics) {
            for (const GattCharacteristic& c : characteristics) {
                if (!c.shortUuid || c.uuid16 != kEventCharacteristic || !c.notifiable) {
                    continue;
                }
                qCDebug(lcBle) << path;
                const auto descriptors = device.Descriptors(c);
                if (!descriptors) {
                    qCDebug(lcBle) << "BluetoothGATTGetDescriptors failed";
                }
                for (const GattDescriptor& d :
                     descriptors.value_or(std::vector<GattDescriptor>{})) {
                    if (!device.ReadDescriptor(d)) {
                        qCDebug(lcBle) << "BluetoothGATTGetDescriptorValue failed";
                    }
                    if (d.attributeHandle < kMaxSubscribableHandle) {
                        const bool ok = device.SubscribeDescriptor(d);
                        qCDebug(lcBle) << (ok ? "setting notification for service handle"
                                              : "subscribing failed for service handle")
                                       << d.serviceHandle;
                    }
                }
                qCDebug(lcBle) << "Setting Notification for ServiceHandle" << c.serviceHandle;
                auto registration = device.RegisterValueChanged(
                    c, [this, path](const uint8_t* data, std::size_t size) {
                        OnValueChanged(path, data, size);
                    });
                if (registration) {
                    registrations_.push_back(std::move(registration));
                    registeredPaths_.push_back(path);
                } else {
                    qCDebug(lcBle) << "BluetoothGATTRegisterEvent failed";
                }
            }
            return false;  // register on every qualifying interface
        },
        &listed);
    qCDebug(lcBle) << "iIdnex =" << listed;
}

void BleLink::Unregister() {
    for (auto& registration : registrations_) {
        if (registration->Unregister()) {
            qCDebug(lcBle) << "BluetoothGATTUnregisterEvent Success";
        }
    }
    registrations_.clear();
    // A mouse nobody listens to has no level the desktop should go on showing.
    for (const QString& path : registeredPaths_) {
        backend_.ReportBatteryLevel(path, -1);
    }
    registeredPaths_.clear();
}

void BleLink::OnValueChanged(const QString& path, const uint8_t* data, std::size_t size) {
    if (size == 0 || data == nullptr) {
        qCDebug(lcBle) << "datasize 0";
        return;
    }
    if (size < 4) {
        return;
    }
    const uint16_t key = static_cast<uint16_t>(data[0] | data[1] << 8);
    const uint16_t value = static_cast<uint16_t>(data[2] | data[3] << 8);
    qCDebug(lcBle, "HR dwLeft = %04x, dwRight = %04x", key, value);
    if (key == kPowerEventKey) {
        // While charging the mouse tells no level: the last one stays.
        const int state = value & 0xFF;
        const int level = value >> 8;
        if (state == kPowerStateCharged) {
            backend_.ReportBatteryLevel(path, 100);
        } else if (state != kPowerStateCharging && level <= 100) {
            backend_.ReportBatteryLevel(path, level);
        }
    }
    if (onEvent_) {
        onEvent_(key, value);
    }
}
