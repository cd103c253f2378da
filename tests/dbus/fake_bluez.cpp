#include "tests/dbus/fake_bluez.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kDevice = QStringLiteral("org.bluez.Device1");
const QString kService = QStringLiteral("org.bluez.GattService1");
const QString kCharacteristic = QStringLiteral("org.bluez.GattCharacteristic1");
const QString kDescriptor = QStringLiteral("org.bluez.GattDescriptor1");
const QString kAdapter = QStringLiteral("org.bluez.Adapter1");
const QString kProviderManager = QStringLiteral("org.bluez.BatteryProviderManager1");
const QString kProvider = QStringLiteral("org.bluez.BatteryProvider1");

QString Uuid16(uint16_t value) {
    return QStringLiteral("0000%1-0000-1000-8000-00805f9b34fb").arg(value, 4, 16, QLatin1Char('0'));
}

QString Hex4(uint16_t value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

QVariant Path(const QString& path) {
    return QVariant::fromValue(QDBusObjectPath(path));
}

struct Paths {
    QString device, service, report, event, config;
    explicit Paths(const QString& devicePath)
        : device(devicePath),
          service(devicePath + QStringLiteral("/service") + Hex4(FakeBluez::kServiceHandle)),
          report(service + QStringLiteral("/char") + Hex4(FakeBluez::kReportHandle)),
          event(service + QStringLiteral("/char") + Hex4(FakeBluez::kEventHandle)),
          config(event + QStringLiteral("/desc") + Hex4(FakeBluez::kEventConfigHandle)) {}
};

}  // namespace

// Every call to an object below "/" lands here, on the fake's own thread.
class FakeBluez::Service final : public QDBusVirtualObject {
public:
    explicit Service(FakeBluez& fake) : fake_(fake) {}
    QString introspect(const QString&) const override { return QString(); }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        fake_.Handle(message);
        return true;
    }

private:
    FakeBluez& fake_;
};

// Follows the registered battery providers' objects, on the fake's thread.
class FakeBluez::ProviderListener final : public QObject {
    Q_OBJECT
public:
    explicit ProviderListener(FakeBluez& fake) : fake_(fake) {}

    // Reads the provider's objects and follows their changes from now on.
    void Follow(const QString& provider, const QString& root) {
        QDBusConnection& bus = fake_.bus_;
        bus.connect(provider, root, kObjectManager, QStringLiteral("InterfacesAdded"), this,
                    SLOT(OnInterfacesAdded(QDBusMessage)));
        bus.connect(provider, root, kObjectManager, QStringLiteral("InterfacesRemoved"), this,
                    SLOT(OnInterfacesRemoved(QDBusMessage)));
        bus.connect(provider, QString(), kProperties, QStringLiteral("PropertiesChanged"), this,
                    SLOT(OnPropertiesChanged(QDBusMessage)));
        const QDBusMessage call = QDBusMessage::createMethodCall(
            provider, root, kObjectManager, QStringLiteral("GetManagedObjects"));
        auto* answer = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
        connect(answer, &QDBusPendingCallWatcher::finished, this,
                [this, provider, root](QDBusPendingCallWatcher* watcher) {
                    watcher->deleteLater();
                    const QDBusPendingReply<BluezManagedObjects> reply = *watcher;
                    if (!reply.isError()) {
                        fake_.ReadBatteries(provider, root, reply.value());
                    }
                });
    }

private Q_SLOTS:
    void OnInterfacesAdded(const QDBusMessage& message) {
        const QVariantList args = message.arguments();
        if (args.size() == 2) {
            const auto path = qdbus_cast<QDBusObjectPath>(args.at(0)).path();
            const auto interfaces = qdbus_cast<BluezInterfaceMap>(args.at(1));
            if (interfaces.contains(kProvider)) {
                fake_.SetBattery(message.service(), path, interfaces.value(kProvider));
            }
        }
    }
    void OnInterfacesRemoved(const QDBusMessage& message) {
        const QVariantList args = message.arguments();
        if (args.size() == 2 && args.at(1).toStringList().contains(kProvider)) {
            fake_.RemoveBattery(message.service(), qdbus_cast<QDBusObjectPath>(args.at(0)).path());
        }
    }
    void OnPropertiesChanged(const QDBusMessage& message) {
        const QVariantList args = message.arguments();
        if (args.size() >= 2 && args.at(0).toString() == kProvider) {
            fake_.SetBattery(message.service(), message.path(),
                             qdbus_cast<QVariantMap>(args.at(1)));
        }
    }

private:
    FakeBluez& fake_;
};

FakeBluez::FakeBluez(const QString& busAddress, const QString& name)
    : name_(name), bus_(QDBusConnection::connectToBus(busAddress, name)) {
    qDBusRegisterMetaType<BluezInterfaceMap>();
    qDBusRegisterMetaType<BluezManagedObjects>();
    service_ = std::make_unique<Service>(*this);
    listener_ = std::make_unique<ProviderListener>(*this);
    // Registered first: what the bus attaches to it moves along to its thread.
    registered_ =
        bus_.isConnected() &&
        bus_.registerVirtualObject(QStringLiteral("/"), service_.get(), QDBusConnection::SubPath);
    thread_.start();
    service_->moveToThread(&thread_);
    listener_->moveToThread(&thread_);
    registered_ = registered_ && bus_.registerService(QLatin1String(kBluezService));
}

FakeBluez::~FakeBluez() {
    bus_.unregisterService(QLatin1String(kBluezService));
    bus_.unregisterObject(QStringLiteral("/"), QDBusConnection::UnregisterTree);
    QDBusConnection::disconnectFromBus(name_);
    thread_.quit();
    thread_.wait();
    service_.reset();  // its thread has ended: nothing runs in it any more
    listener_.reset();
}

QString FakeBluez::DevicePath(const QString& address) {
    return QStringLiteral("/org/bluez/hci0/dev_") +
           QString(address).replace(QLatin1Char(':'), QLatin1Char('_'));
}

BluezInterfaceMap FakeBluez::DeviceObjectLocked(const Device& device) const {
    QVariantMap properties;
    properties.insert(QStringLiteral("Address"), device.address);
    properties.insert(QStringLiteral("Alias"), device.alias);
    properties.insert(QStringLiteral("Connected"), device.connected);
    properties.insert(QStringLiteral("Modalias"), device.modalias);
    return {{kDevice, properties}};
}

BluezManagedObjects FakeBluez::ObjectsLocked() const {
    BluezManagedObjects objects;
    BluezInterfaceMap adapter{{kAdapter,
                               {{QStringLiteral("Address"), QStringLiteral("00:1A:7D:DA:71:13")},
                                {QStringLiteral("Powered"), true}}}};
    if (batteryProviderManager_) {
        adapter.insert(kProviderManager, {});
    }
    objects.insert(QDBusObjectPath(QLatin1String(kAdapterPath)), adapter);
    for (const auto& [address, device] : devices_) {
        const Paths p(DevicePath(address));
        objects.insert(QDBusObjectPath(p.device), DeviceObjectLocked(device));
        objects.insert(QDBusObjectPath(p.service), {{kService,
                                                     {{QStringLiteral("UUID"), Uuid16(0xFEE0)},
                                                      {QStringLiteral("Device"), Path(p.device)},
                                                      {QStringLiteral("Primary"), true}}}});
        objects.insert(QDBusObjectPath(p.report),
                       {{kCharacteristic,
                         {{QStringLiteral("UUID"), Uuid16(0xFEE3)},
                          {QStringLiteral("Service"), Path(p.service)},
                          {QStringLiteral("Flags"),
                           QStringList{QStringLiteral("read"), QStringLiteral("write")}}}}});
        objects.insert(QDBusObjectPath(p.event),
                       {{kCharacteristic,
                         {{QStringLiteral("UUID"), Uuid16(0xFEE4)},
                          {QStringLiteral("Service"), Path(p.service)},
                          {QStringLiteral("Flags"), QStringList{QStringLiteral("notify")}}}}});
        objects.insert(QDBusObjectPath(p.config),
                       {{kDescriptor,
                         {{QStringLiteral("UUID"), Uuid16(0x2902)},
                          {QStringLiteral("Characteristic"), Path(p.event)}}}});
    }
    return objects;
}

void FakeBluez::Send(const QDBusMessage& message) {
    bus_.send(message);
}

void FakeBluez::AddDevice(const Device& device) {
    BluezManagedObjects added;
    {
        std::lock_guard lock(mutex_);
        devices_[device.address] = device;
        const BluezManagedObjects all = ObjectsLocked();
        const QString prefix = DevicePath(device.address);
        for (auto it = all.cbegin(); it != all.cend(); ++it) {
            if (it.key().path().startsWith(prefix)) {
                added.insert(it.key(), it.value());
            }
        }
    }
    // The device's GATT objects first and the device itself last, as bluetoothd announces a
    // device once its services are resolved: whoever sees the device can already open it.
    const auto announce = [this](const QDBusObjectPath& path, const BluezInterfaceMap& interfaces) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/"), kObjectManager,
                                                         QStringLiteral("InterfacesAdded"));
        signal << QVariant::fromValue(path) << QVariant::fromValue(interfaces);
        Send(signal);
    };
    const QDBusObjectPath devicePath(DevicePath(device.address));
    for (auto it = added.cbegin(); it != added.cend(); ++it) {
        if (it.key() != devicePath) {
            announce(it.key(), it.value());
        }
    }
    if (added.contains(devicePath)) {
        announce(devicePath, added.value(devicePath));
    }
}

void FakeBluez::RemoveDevice(const QString& address) {
    BluezManagedObjects removed;
    {
        std::lock_guard lock(mutex_);
        const BluezManagedObjects all = ObjectsLocked();
        for (auto it = all.cbegin(); it != all.cend(); ++it) {
            if (it.key().path().startsWith(DevicePath(address))) {
                removed.insert(it.key(), it.value());
            }
        }
        devices_.erase(address);
    }
    for (auto it = removed.cbegin(); it != removed.cend(); ++it) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/"), kObjectManager,
                                                         QStringLiteral("InterfacesRemoved"));
        signal << QVariant::fromValue(it.key()) << QStringList(it.value().keys());
        Send(signal);
    }
}

void FakeBluez::Disconnect(const QString& address) {
    {
        std::lock_guard lock(mutex_);
        devices_[address].connected = false;
    }
    QDBusMessage signal = QDBusMessage::createSignal(DevicePath(address), kProperties,
                                                     QStringLiteral("PropertiesChanged"));
    signal << kDevice << QVariantMap{{QStringLiteral("Connected"), false}} << QStringList();
    Send(signal);
}

void FakeBluez::Notify(const QString& address, const QByteArray& value) {
    QDBusMessage signal = QDBusMessage::createSignal(Paths(DevicePath(address)).event, kProperties,
                                                     QStringLiteral("PropertiesChanged"));
    signal << kCharacteristic << QVariantMap{{QStringLiteral("Value"), value}} << QStringList();
    Send(signal);
}

std::vector<QByteArray> FakeBluez::Written(const QString& address) const {
    std::lock_guard lock(mutex_);
    const auto found = written_.find(address);
    return found == written_.end() ? std::vector<QByteArray>() : found->second;
}

int FakeBluez::Calls(const QString& member) const {
    std::lock_guard lock(mutex_);
    const auto found = calls_.find(member);
    return found == calls_.end() ? 0 : found->second;
}

void FakeBluez::Hold(const QString& member) {
    std::lock_guard lock(mutex_);
    holding_.insert(member);
}

int FakeBluez::Held() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(held_.size());
}

void FakeBluez::Release() {
    std::vector<QDBusMessage> held;
    {
        std::lock_guard lock(mutex_);
        holding_.clear();
        held.swap(held_);
    }
    for (const QDBusMessage& call : held) {
        Send(Answer(call));
    }
}

void FakeBluez::SetBatteryProviderManager(bool offered) {
    std::lock_guard lock(mutex_);
    batteryProviderManager_ = offered;
}

std::optional<int> FakeBluez::ProvidedBattery(const QString& address) const {
    std::lock_guard lock(mutex_);
    for (const auto& entry : batteries_) {
        if (entry.second.device == DevicePath(address)) {
            return entry.second.percentage;
        }
    }
    return std::nullopt;
}

int FakeBluez::BatteryProviders() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(providers_.size());
}

QDBusMessage FakeBluez::AnswerProviderManager(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (args.size() != 1) {
        return message.createErrorReply(QStringLiteral("org.bluez.Error.InvalidArguments"),
                                        QStringLiteral("Invalid arguments"));
    }
    const QString root = qdbus_cast<QDBusObjectPath>(args.at(0)).path();
    const QString provider = message.service();
    std::unique_lock lock(mutex_);
    if (message.member() == QLatin1String("RegisterBatteryProvider")) {
        if (providers_.count(provider) != 0) {
            return message.createErrorReply(QStringLiteral("org.bluez.Error.AlreadyExists"),
                                            QStringLiteral("Provider already exists"));
        }
        providers_[provider] = root;
        lock.unlock();
        QMetaObject::invokeMethod(
            listener_.get(), [this, provider, root] { listener_->Follow(provider, root); },
            Qt::AutoConnection);
        return message.createReply();
    }
    if (message.member() == QLatin1String("UnregisterBatteryProvider")) {
        if (providers_.erase(provider) == 0) {
            return message.createErrorReply(QStringLiteral("org.bluez.Error.DoesNotExist"),
                                            QStringLiteral("Provider does not exist"));
        }
        for (auto it = batteries_.begin(); it != batteries_.end();) {
            it = it->first.first == provider ? batteries_.erase(it) : std::next(it);
        }
        return message.createReply();
    }
    return message.createErrorReply(QDBusError::UnknownMethod, message.member());
}

void FakeBluez::ReadBatteries(const QString& provider, const QString& root,
                              const BluezManagedObjects& objects) {
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        if (it.key().path().startsWith(root + QLatin1Char('/')) && it.value().contains(kProvider)) {
            SetBattery(provider, it.key().path(), it.value().value(kProvider));
        }
    }
}

void FakeBluez::SetBattery(const QString& provider, const QString& path,
                           const QVariantMap& properties) {
    std::lock_guard lock(mutex_);
    const auto root = providers_.find(provider);
    if (root == providers_.end() || !path.startsWith(root->second + QLatin1Char('/'))) {
        return;  // bluetoothd listens to registered providers only
    }
    Battery& battery = batteries_[{provider, path}];
    battery.provider = provider;
    if (properties.contains(QStringLiteral("Device"))) {
        battery.device =
            qdbus_cast<QDBusObjectPath>(properties.value(QStringLiteral("Device"))).path();
    }
    if (properties.contains(QStringLiteral("Percentage"))) {
        battery.percentage = properties.value(QStringLiteral("Percentage")).toInt();
    }
}

void FakeBluez::RemoveBattery(const QString& provider, const QString& path) {
    std::lock_guard lock(mutex_);
    batteries_.erase({provider, path});
}

void FakeBluez::Handle(const QDBusMessage& message) {
    {
        std::lock_guard lock(mutex_);
        ++calls_[message.member()];
        if (holding_.count(message.member()) != 0) {
            held_.push_back(message);
            return;
        }
    }
    Send(Answer(message));
}

QDBusMessage FakeBluez::Answer(const QDBusMessage& message) {
    if (message.interface() == kProviderManager) {
        bool offered = false;
        {
            std::lock_guard lock(mutex_);
            offered = batteryProviderManager_;
        }
        if (offered && message.path() == QLatin1String(kAdapterPath)) {
            return AnswerProviderManager(message);
        }
        return message.createErrorReply(QDBusError::UnknownMethod, message.member());
    }
    std::lock_guard lock(mutex_);
    const QString member = message.member();
    if (message.interface() == kObjectManager && member == QLatin1String("GetManagedObjects")) {
        return message.createReply(QVariant::fromValue(ObjectsLocked()));
    }
    if (message.interface() == kCharacteristic) {
        // Only the characteristics of a connected device answer.
        for (const auto& [address, device] : devices_) {
            const Paths p(DevicePath(address));
            if (!device.connected || (message.path() != p.report && message.path() != p.event)) {
                continue;
            }
            if (member == QLatin1String("WriteValue") && message.path() == p.report &&
                !message.arguments().isEmpty()) {
                written_[address].push_back(message.arguments().at(0).toByteArray());
                return message.createReply();
            }
            if ((member == QLatin1String("StartNotify") || member == QLatin1String("StopNotify")) &&
                message.path() == p.event) {
                return message.createReply();
            }
        }
        return message.createErrorReply(QStringLiteral("org.bluez.Error.Failed"),
                                        QStringLiteral("Not connected"));
    }
    return message.createErrorReply(QDBusError::UnknownMethod, member);
}

#include "fake_bluez.moc"
