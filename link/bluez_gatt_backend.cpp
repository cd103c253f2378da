#include "link/bluez_gatt_backend.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QLoggingCategory>
#include <QMap>
#include <QRegularExpression>
#include <QVariantMap>

#include <algorithm>

#include "link/bluez_battery_provider.h"
#include "link/bluez_objects.h"

Q_LOGGING_CATEGORY(lcBluez, "talvore.ble.bluez")

namespace {

const QString kDevice = QStringLiteral("org.bluez.Device1");
const QString kGattService = QStringLiteral("org.bluez.GattService1");
const QString kGattCharacteristic = QStringLiteral("org.bluez.GattCharacteristic1");
const QString kGattDescriptor = QStringLiteral("org.bluez.GattDescriptor1");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kPathPrefix = QStringLiteral("bluez:");
constexpr int kWriteTimeoutMs = 5000;

QString Service() {
    return QLatin1String(kBluezService);
}

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

// Object paths below parent carrying the interface, in handle order.
QStringList Children(const BluezManagedObjects& objects, const QString& parent,
                     const QString& interface, const QString& parentProperty) {
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

QVariantMap Properties(const BluezManagedObjects& objects, const QString& path,
                       const QString& interface) {
    return objects.value(QDBusObjectPath(path)).value(interface);
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
    BluezRegistration(QDBusConnection bus, QString characteristicPath,
                      std::unique_ptr<ValueListener> listener)
        : bus_(std::move(bus)),
          path_(std::move(characteristicPath)),
          listener_(std::move(listener)) {}
    ~BluezRegistration() override { Unregister(); }

    bool Unregister() override {
        if (!listener_) {
            return false;
        }
        bus_.disconnect(Service(), path_, kProperties, QStringLiteral("PropertiesChanged"),
                        listener_.get(),
                        SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList)));
        listener_.reset();
        // Not waited for: BlueZ also ends our notifications when we leave the bus.
        bus_.send(QDBusMessage::createMethodCall(Service(), path_, kGattCharacteristic,
                                                 QStringLiteral("StopNotify")));
        return true;
    }

private:
    QDBusConnection bus_;
    QString path_;
    std::unique_ptr<ValueListener> listener_;
};

class BluezDevice final : public GattDevice {
public:
    BluezDevice(QDBusConnection bus, QString devicePath,
                std::shared_ptr<const BluezManagedObjects> objects)
        : bus_(std::move(bus)), devicePath_(std::move(devicePath)), objects_(std::move(objects)) {}

    std::optional<std::vector<GattService>> Services() override {
        std::vector<GattService> services;
        for (const QString& path :
             Children(*objects_, devicePath_, kGattService, QStringLiteral("Device"))) {
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
             Children(*objects_, servicePath, kGattCharacteristic, QStringLiteral("Service"))) {
            const QVariantMap properties = Properties(*objects_, path, kGattCharacteristic);
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
             Children(*objects_, parent, kGattDescriptor, QStringLiteral("Characteristic"))) {
            result.push_back({characteristic.serviceHandle, HandleOf(path)});
            descriptorPaths_.insert(HandleOf(path), path);
        }
        return result;
    }

    // The link reads descriptors only to go through them and has no use for their values, so
    // bluetoothd is not asked: a descriptor that exists reads as empty.
    std::optional<std::vector<uint8_t>> ReadDescriptor(const GattDescriptor& descriptor) override {
        if (!descriptorPaths_.contains(descriptor.attributeHandle)) {
            return std::nullopt;
        }
        return std::vector<uint8_t>();
    }

    // BlueZ writes the client configuration itself when notifications start.
    bool SubscribeDescriptor(const GattDescriptor& descriptor) override {
        return descriptorPaths_.contains(descriptor.attributeHandle);
    }

    // Runs on the send engine's worker, which waits for the answer.
    bool WriteValue(const GattCharacteristic& characteristic, const uint8_t* data,
                    std::size_t size) override {
        const QString path = characteristicPaths_.value(characteristic.attributeHandle);
        if (path.isEmpty()) {
            return false;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(Service(), path, kGattCharacteristic,
                                                           QStringLiteral("WriteValue"));
        QVariantMap options;
        options.insert(QStringLiteral("type"), QStringLiteral("request"));
        call << QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))
             << options;
        const QDBusMessage reply = bus_.call(call, QDBus::Block, kWriteTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            qCDebug(lcBluez) << "WriteValue failed:" << reply.errorMessage();
            return false;
        }
        return true;
    }

    std::unique_ptr<GattRegistration> RegisterValueChanged(const GattCharacteristic& characteristic,
                                                           GattValueCallback callback) override {
        const QString path = characteristicPaths_.value(characteristic.attributeHandle);
        auto listener = std::make_unique<ValueListener>(std::move(callback));
        if (path.isEmpty() ||
            !bus_.connect(Service(), path, kProperties, QStringLiteral("PropertiesChanged"),
                          listener.get(),
                          SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList)))) {
            return nullptr;
        }
        // Not waited for: a refusal only means no notification will come.
        const QDBusMessage start = QDBusMessage::createMethodCall(
            Service(), path, kGattCharacteristic, QStringLiteral("StartNotify"));
        auto* answer = new QDBusPendingCallWatcher(bus_.asyncCall(start), listener.get());
        QObject::connect(
            answer, &QDBusPendingCallWatcher::finished, [path](QDBusPendingCallWatcher* call) {
                if (call->isError()) {
                    qCDebug(lcBluez)
                        << "StartNotify failed on" << path << ":" << call->error().message();
                }
                call->deleteLater();
            });
        return std::make_unique<BluezRegistration>(bus_, path, std::move(listener));
    }

private:
    QDBusConnection bus_;
    QString devicePath_;
    std::shared_ptr<const BluezManagedObjects> objects_;
    QMap<uint16_t, QString> servicePaths_;
    QMap<uint16_t, QString> characteristicPaths_;
    QMap<uint16_t, QString> descriptorPaths_;
};

}  // namespace

BluezGattBackend::BluezGattBackend(const QDBusConnection& bus)
    : bus_(bus),
      objects_(std::make_unique<BluezObjects>(bus)),
      battery_(std::make_unique<BluezBatteryProvider>(bus)) {}

BluezGattBackend::~BluezGattBackend() = default;

bool BluezGattBackend::Ready() const {
    return objects_->Ready();
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
    const auto objects = objects_->Snapshot();
    for (auto it = objects->cbegin(); it != objects->cend(); ++it) {
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
    const auto objects = objects_->Snapshot();
    for (auto it = objects->cbegin(); it != objects->cend(); ++it) {
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

void BluezGattBackend::ReportBatteryLevel(const QString& path, int percentage) {
    if (path.startsWith(kPathPrefix)) {
        battery_->SetLevel(path.mid(kPathPrefix.size()).section(QLatin1Char('#'), 0, 0),
                           percentage);
    }
}

std::unique_ptr<GattDevice> BluezGattBackend::Open(const QString& path) {
    if (!path.startsWith(kPathPrefix)) {
        return nullptr;
    }
    const QString devicePath = path.mid(kPathPrefix.size()).section(QLatin1Char('#'), 0, 0);
    auto objects = objects_->Snapshot();
    const auto device = objects->find(QDBusObjectPath(devicePath));
    if (device == objects->cend() ||
        !device.value().value(kDevice).value(QStringLiteral("Connected")).toBool()) {
        return nullptr;  // gone, or no longer connected
    }
    return std::make_unique<BluezDevice>(bus_, devicePath, std::move(objects));
}

#include "bluez_gatt_backend.moc"
