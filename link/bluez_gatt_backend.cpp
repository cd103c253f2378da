#include "link/bluez_gatt_backend.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QLoggingCategory>
#include <QMap>
#include <QRegularExpression>
#include <QVariantMap>

#include <algorithm>

Q_LOGGING_CATEGORY(lcBluez, "talvore.ble.bluez")

namespace {

const QString kService = QStringLiteral("org.bluez");
const QString kDevice = QStringLiteral("org.bluez.Device1");
const QString kGattService = QStringLiteral("org.bluez.GattService1");
const QString kGattCharacteristic = QStringLiteral("org.bluez.GattCharacteristic1");
const QString kGattDescriptor = QStringLiteral("org.bluez.GattDescriptor1");
const QString kPathPrefix = QStringLiteral("bluez:");
constexpr int kCallTimeoutMs = 5000;

using InterfaceMap = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceMap>;

// BlueZ names services, characteristics and descriptors after their attribute handle in hex:
// ".../service0010/char0011/desc0013".
uint16_t HandleOf(const QString& objectPath) {
    static const QRegularExpression tail(QStringLiteral("([0-9a-fA-F]{4})$"));
    const auto match = tail.match(objectPath);
    return match.hasMatch() ? static_cast<uint16_t>(match.captured(1).toUInt(nullptr, 16)) : 0;
}

// "0000fee3-0000-1000-8000-00805f9b34fb" is the 16-bit UUID 0xFEE3.
bool ShortUuid(const QString& uuid, uint16_t* value) {
    static const QRegularExpression base(
        QStringLiteral("^0000([0-9a-fA-F]{4})-0000-1000-8000-00805f9b34fb$"));
    const auto match = base.match(uuid.toLower());
    if (!match.hasMatch()) {
        return false;
    }
    *value = static_cast<uint16_t>(match.captured(1).toUInt(nullptr, 16));
    return true;
}

QString AddressKey(const QString& address) {
    return QString(address).remove(QLatin1Char(':')).toLower();
}

// Receives the characteristic's PropertiesChanged signal and hands the new value on.
class ValueListener : public QObject {
    Q_OBJECT
public:
    explicit ValueListener(GattValueCallback callback) : callback_(std::move(callback)) {}

public Q_SLOTS:
    void OnPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList& /*invalidated*/) {
        if (interface != kGattCharacteristic || !changed.contains(QStringLiteral("Value"))) {
            return;
        }
        const QByteArray value = changed.value(QStringLiteral("Value")).toByteArray();
        callback_(reinterpret_cast<const uint8_t*>(value.constData()),
                  static_cast<std::size_t>(value.size()));
    }

private:
    GattValueCallback callback_;
};

class BluezRegistration final : public GattRegistration {
public:
    BluezRegistration(QString characteristicPath, std::unique_ptr<ValueListener> listener)
        : path_(std::move(characteristicPath)), listener_(std::move(listener)) {}
    ~BluezRegistration() override { Unregister(); }

    bool Unregister() override {
        if (!listener_) {
            return false;
        }
        QDBusConnection bus = QDBusConnection::systemBus();
        bus.disconnect(kService, path_, QStringLiteral("org.freedesktop.DBus.Properties"),
                       QStringLiteral("PropertiesChanged"), listener_.get(),
                       SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList)));
        QDBusInterface characteristic(kService, path_, kGattCharacteristic, bus);
        const QDBusMessage reply = characteristic.call(QStringLiteral("StopNotify"));
        listener_.reset();
        return reply.type() != QDBusMessage::ErrorMessage;
    }

private:
    QString path_;
    std::unique_ptr<ValueListener> listener_;
};

}  // namespace

struct BluezGattBackend::Objects {
    ManagedObjects objects;

    // Object paths below parent carrying the interface, in handle order.
    QStringList Children(const QString& parent, const QString& interface,
                         const QString& parentProperty) const {
        QStringList paths;
        for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
            const auto found = it.value().find(interface);
            if (found == it.value().cend()) {
                continue;
            }
            const QVariant owner = found.value().value(parentProperty);
            if (qvariant_cast<QDBusObjectPath>(owner).path() == parent) {
                paths.append(it.key().path());
            }
        }
        std::sort(paths.begin(), paths.end(),
                  [](const QString& a, const QString& b) { return HandleOf(a) < HandleOf(b); });
        return paths;
    }

    QVariantMap Properties(const QString& path, const QString& interface) const {
        return objects.value(QDBusObjectPath(path)).value(interface);
    }
};

namespace {

class BluezDevice final : public GattDevice {
public:
    BluezDevice(QString devicePath, std::unique_ptr<BluezGattBackend::Objects> objects)
        : devicePath_(std::move(devicePath)), objects_(std::move(objects)) {}

    std::optional<std::vector<GattService>> Services() override {
        std::vector<GattService> services;
        for (const QString& path :
             objects_->Children(devicePath_, kGattService, QStringLiteral("Device"))) {
            services.push_back({HandleOf(path)});
            servicePaths_.insert(HandleOf(path), path);
        }
        return services;
    }

    std::optional<std::vector<GattCharacteristic>> Characteristics(
        const GattService& service) override {
        std::vector<GattCharacteristic> result;
        const QString servicePath = servicePaths_.value(service.attributeHandle);
        for (const QString& path :
             objects_->Children(servicePath, kGattCharacteristic, QStringLiteral("Service"))) {
            const QVariantMap properties = objects_->Properties(path, kGattCharacteristic);
            const QStringList flags = properties.value(QStringLiteral("Flags")).toStringList();
            GattCharacteristic c;
            c.serviceHandle = service.attributeHandle;
            c.attributeHandle = HandleOf(path);
            c.shortUuid = ShortUuid(properties.value(QStringLiteral("UUID")).toString(), &c.uuid16);
            c.writable = flags.contains(QStringLiteral("write")) ||
                         flags.contains(QStringLiteral("write-without-response"));
            c.notifiable = flags.contains(QStringLiteral("notify")) ||
                           flags.contains(QStringLiteral("indicate"));
            characteristicPaths_.insert(c.attributeHandle, path);
            result.push_back(c);
        }
        return result;
    }

    std::optional<std::vector<GattDescriptor>> Descriptors(
        const GattCharacteristic& characteristic) override {
        std::vector<GattDescriptor> result;
        const QString parent = characteristicPaths_.value(characteristic.attributeHandle);
        for (const QString& path :
             objects_->Children(parent, kGattDescriptor, QStringLiteral("Characteristic"))) {
            result.push_back({characteristic.serviceHandle, HandleOf(path)});
            descriptorPaths_.insert(HandleOf(path), path);
        }
        return result;
    }

    std::optional<std::vector<uint8_t>> ReadDescriptor(const GattDescriptor& descriptor) override {
        QDBusInterface d(kService, descriptorPaths_.value(descriptor.attributeHandle),
                         kGattDescriptor, QDBusConnection::systemBus());
        d.setTimeout(kCallTimeoutMs);
        QDBusReply<QByteArray> reply = d.call(QStringLiteral("ReadValue"), QVariantMap());
        if (!reply.isValid()) {
            return std::nullopt;
        }
        return std::vector<uint8_t>(reply.value().begin(), reply.value().end());
    }

    // BlueZ writes the client configuration itself when notifications start.
    bool SubscribeDescriptor(const GattDescriptor& descriptor) override {
        return descriptorPaths_.contains(descriptor.attributeHandle);
    }

    bool WriteValue(const GattCharacteristic& characteristic, const uint8_t* data,
                    std::size_t size) override {
        QDBusInterface c(kService, characteristicPaths_.value(characteristic.attributeHandle),
                         kGattCharacteristic, QDBusConnection::systemBus());
        c.setTimeout(kCallTimeoutMs);
        const QByteArray value(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
        QVariantMap options;
        options.insert(QStringLiteral("type"), QStringLiteral("request"));
        const QDBusMessage reply = c.call(QStringLiteral("WriteValue"), value, options);
        if (reply.type() == QDBusMessage::ErrorMessage) {
            qCDebug(lcBluez) << "WriteValue failed:" << reply.errorMessage();
            return false;
        }
        return true;
    }

    std::unique_ptr<GattRegistration> RegisterValueChanged(const GattCharacteristic& characteristic,
                                                           GattValueCallback callback) override {
        const QString path = characteristicPaths_.value(characteristic.attributeHandle);
        QDBusConnection bus = QDBusConnection::systemBus();
        auto listener = std::make_unique<ValueListener>(std::move(callback));
        if (!bus.connect(kService, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                         QStringLiteral("PropertiesChanged"), listener.get(),
                         SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList)))) {
            return nullptr;
        }
        QDBusInterface c(kService, path, kGattCharacteristic, bus);
        c.setTimeout(kCallTimeoutMs);
        const QDBusMessage reply = c.call(QStringLiteral("StartNotify"));
        if (reply.type() == QDBusMessage::ErrorMessage) {
            qCDebug(lcBluez) << "StartNotify failed:" << reply.errorMessage();
            return nullptr;
        }
        return std::make_unique<BluezRegistration>(path, std::move(listener));
    }

private:
    QString devicePath_;
    std::unique_ptr<BluezGattBackend::Objects> objects_;
    QMap<uint16_t, QString> servicePaths_;
    QMap<uint16_t, QString> characteristicPaths_;
    QMap<uint16_t, QString> descriptorPaths_;
};

}  // namespace

BluezGattBackend::BluezGattBackend() {
    qDBusRegisterMetaType<InterfaceMap>();
    qDBusRegisterMetaType<ManagedObjects>();
}

BluezGattBackend::~BluezGattBackend() = default;

std::unique_ptr<BluezGattBackend::Objects> BluezGattBackend::Fetch() const {
    auto result = std::make_unique<Objects>();
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return result;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.ObjectManager"),
        QStringLiteral("GetManagedObjects"));
    QDBusReply<ManagedObjects> reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.isValid()) {
        result->objects = reply.value();
    } else {
        qCDebug(lcBluez) << "no BlueZ objects:" << reply.error().message();
    }
    return result;
}

QString BluezGattBackend::VendorProductOf(const QString& modalias) {
    static const QRegularExpression pattern(
        QStringLiteral("^(usb|bluetooth):v([0-9A-Fa-f]{4})p([0-9A-Fa-f]{4})"));
    const auto match = pattern.match(modalias);
    if (!match.hasMatch()) {
        return QString();
    }
    const QString source =
        match.captured(1) == QLatin1String("usb") ? QStringLiteral("02") : QStringLiteral("01");
    return QStringLiteral("VID&%1%2_PID&%3")
        .arg(source, match.captured(2).toUpper(), match.captured(3).toUpper());
}

std::vector<BluetoothDeviceInfo> BluezGattBackend::Devices() {
    std::vector<BluetoothDeviceInfo> devices;
    const auto objects = Fetch();
    for (auto it = objects->objects.cbegin(); it != objects->objects.cend(); ++it) {
        if (!it.value().contains(kDevice)) {
            continue;
        }
        const QVariantMap p = it.value().value(kDevice);
        BluetoothDeviceInfo info;
        info.disconnected = !p.value(QStringLiteral("Connected")).toBool();
        if (p.contains(QStringLiteral("Alias"))) {
            info.friendlyName = p.value(QStringLiteral("Alias")).toString();
        }
        if (p.contains(QStringLiteral("Address"))) {
            info.hardwareId = QStringLiteral("BTHLE\\Dev_") +
                              AddressKey(p.value(QStringLiteral("Address")).toString());
        }
        devices.push_back(info);
    }
    return devices;
}

std::vector<QString> BluezGattBackend::InterfacePaths() {
    std::vector<QString> paths;
    const auto objects = Fetch();
    for (auto it = objects->objects.cbegin(); it != objects->objects.cend(); ++it) {
        if (!it.value().contains(kDevice)) {
            continue;
        }
        const QVariantMap p = it.value().value(kDevice);
        if (!p.value(QStringLiteral("Connected")).toBool()) {
            continue;
        }
        paths.push_back(kPathPrefix + it.key().path() + QLatin1Char('#') +
                        VendorProductOf(p.value(QStringLiteral("Modalias")).toString()) +
                        QLatin1Char('_') +
                        AddressKey(p.value(QStringLiteral("Address")).toString()));
    }
    return paths;
}

std::unique_ptr<GattDevice> BluezGattBackend::Open(const QString& path) {
    if (!path.startsWith(kPathPrefix)) {
        return nullptr;
    }
    const QString devicePath = path.mid(kPathPrefix.size()).section(QLatin1Char('#'), 0, 0);
    auto objects = Fetch();
    if (!objects->objects.contains(QDBusObjectPath(devicePath))) {
        return nullptr;
    }
    return std::make_unique<BluezDevice>(devicePath, std::move(objects));
}

#include "bluez_gatt_backend.moc"
