#include "link/bluez_battery_provider.h"

#include <algorithm>

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QLoggingCategory>

#include "link/bluez_objects.h"

Q_LOGGING_CATEGORY(lcBluezBattery, "talvore.ble.battery")

namespace {

const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kProviderManager = QStringLiteral("org.bluez.BatteryProviderManager1");
const QString kProvider = QStringLiteral("org.bluez.BatteryProvider1");
const QString kSource = QStringLiteral("talvore");

QString Root() {
    return QLatin1String(BluezBatteryProvider::kRoot);
}

// "/org/bluez/hci0/dev_E0_D4_E8_4A_1B_2C" -> "<root>/hci0_dev_E0_D4_E8_4A_1B_2C".
QString BatteryPath(const QString& devicePath) {
    QString tail = devicePath.section(QLatin1Char('/'), 3);
    tail.replace(QLatin1Char('/'), QLatin1Char('_'));
    return Root() + QLatin1Char('/') + tail;
}

// "/org/bluez/hci0/dev_..." -> "/org/bluez/hci0".
QString AdapterOf(const QString& devicePath) {
    return devicePath.section(QLatin1Char('/'), 0, 3);
}

QVariantMap BatteryProperties(const QString& devicePath, int percentage) {
    return {{QStringLiteral("Device"), QVariant::fromValue(QDBusObjectPath(devicePath))},
            {QStringLiteral("Percentage"), QVariant::fromValue(static_cast<uchar>(percentage))},
            {QStringLiteral("Source"), kSource}};
}

constexpr char kIntrospection[] =
    "  <interface name=\"org.bluez.BatteryProvider1\">\n"
    "    <property name=\"Device\" type=\"o\" access=\"read\"/>\n"
    "    <property name=\"Percentage\" type=\"y\" access=\"read\"/>\n"
    "    <property name=\"Source\" type=\"s\" access=\"read\"/>\n"
    "  </interface>\n";

constexpr char kRootIntrospection[] =
    "  <interface name=\"org.freedesktop.DBus.ObjectManager\">\n"
    "    <method name=\"GetManagedObjects\">\n"
    "      <arg name=\"objects\" type=\"a{oa{sa{sv}}}\" direction=\"out\"/>\n"
    "    </method>\n"
    "    <signal name=\"InterfacesAdded\">\n"
    "      <arg name=\"object\" type=\"o\"/>\n"
    "      <arg name=\"interfaces\" type=\"a{sa{sv}}\"/>\n"
    "    </signal>\n"
    "    <signal name=\"InterfacesRemoved\">\n"
    "      <arg name=\"object\" type=\"o\"/>\n"
    "      <arg name=\"interfaces\" type=\"as\"/>\n"
    "    </signal>\n"
    "  </interface>\n";

}  // namespace

// The battery objects as bluetoothd reads them: the object manager at the root and the
// properties of each battery below it.
class BluezBatteryProvider::Objects final : public QDBusVirtualObject {
public:
    explicit Objects(BluezBatteryProvider& provider) : provider_(provider) {}

    QString introspect(const QString& path) const override {
        if (path == Root()) {
            return QLatin1String(kRootIntrospection);
        }
        std::lock_guard lock(provider_.mutex_);
        const bool battery =
            std::any_of(provider_.levels_.begin(), provider_.levels_.end(),
                        [&path](const auto& entry) { return BatteryPath(entry.first) == path; });
        return battery ? QLatin1String(kIntrospection) : QString();
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        connection.send(Answer(message));
        return true;
    }

private:
    QDBusMessage Answer(const QDBusMessage& message) const {
        std::lock_guard lock(provider_.mutex_);
        if (message.path() == Root() && message.interface() == kObjectManager &&
            message.member() == QLatin1String("GetManagedObjects")) {
            BluezManagedObjects objects;
            for (const auto& [device, level] : provider_.levels_) {
                objects.insert(QDBusObjectPath(BatteryPath(device)),
                               {{kProvider, BatteryProperties(device, level)}});
            }
            return message.createReply(QVariant::fromValue(objects));
        }
        for (const auto& [device, level] : provider_.levels_) {
            if (BatteryPath(device) != message.path() || message.interface() != kProperties) {
                continue;
            }
            const QVariantList args = message.arguments();
            const QVariantMap properties = BatteryProperties(device, level);
            if (message.member() == QLatin1String("GetAll") && args.size() == 1) {
                return message.createReply(args.at(0).toString() == kProvider ? properties
                                                                              : QVariantMap());
            }
            if (message.member() == QLatin1String("Get") && args.size() == 2 &&
                args.at(0).toString() == kProvider && properties.contains(args.at(1).toString())) {
                return message.createReply(
                    QVariant::fromValue(QDBusVariant(properties.value(args.at(1).toString()))));
            }
        }
        return message.createErrorReply(QDBusError::UnknownMethod,
                                        QStringLiteral("No such method or object"));
    }

    BluezBatteryProvider& provider_;
};

BluezBatteryProvider::BluezBatteryProvider(const QDBusConnection& bus)
    : bus_(bus), objects_(std::make_unique<Objects>(*this)) {
    qDBusRegisterMetaType<BluezInterfaceMap>();
    qDBusRegisterMetaType<BluezManagedObjects>();
    if (!bus_.isConnected()) {
        return;
    }
    exported_ = bus_.registerVirtualObject(Root(), objects_.get(), QDBusConnection::SubPath);
    if (!exported_) {
        qCDebug(lcBluezBattery) << "cannot export the battery objects:" << bus_.lastError().message();
        return;
    }
    daemonWatcher_ = std::make_unique<QDBusServiceWatcher>(
        QLatin1String(kBluezService), bus_,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration);
    connect(daemonWatcher_.get(), &QDBusServiceWatcher::serviceRegistered, this,
            [this] { OnBluetoothdAppeared(); });
    connect(daemonWatcher_.get(), &QDBusServiceWatcher::serviceUnregistered, this,
            [this] { OnBluetoothdGone(); });
}

BluezBatteryProvider::~BluezBatteryProvider() {
    if (!exported_) {
        return;
    }
    for (const QString& adapter : RegisteredAdapters()) {
        bus_.send(QDBusMessage::createMethodCall(QLatin1String(kBluezService), adapter,
                                                 kProviderManager,
                                                 QStringLiteral("UnregisterBatteryProvider"))
                  << QVariant::fromValue(QDBusObjectPath(Root())));
    }
    bus_.unregisterObject(Root(), QDBusConnection::UnregisterTree);
}

void BluezBatteryProvider::SetLevel(const QString& devicePath, int percentage) {
    QMetaObject::invokeMethod(
        this, [this, devicePath, percentage] { Apply(devicePath, percentage); },
        Qt::AutoConnection);
}

std::set<QString> BluezBatteryProvider::RegisteredAdapters() const {
    std::lock_guard lock(mutex_);
    return registered_;
}

void BluezBatteryProvider::Apply(const QString& devicePath, int percentage) {
    if (!exported_ || !devicePath.startsWith(QLatin1String("/org/bluez/"))) {
        return;
    }
    const QString path = BatteryPath(devicePath);
    std::unique_lock lock(mutex_);
    const auto known = levels_.find(devicePath);
    if (percentage < 0) {
        if (known == levels_.end()) {
            return;
        }
        levels_.erase(known);
        lock.unlock();
        QDBusMessage removed =
            QDBusMessage::createSignal(Root(), kObjectManager, QStringLiteral("InterfacesRemoved"));
        removed << QVariant::fromValue(QDBusObjectPath(path)) << QStringList{kProvider};
        bus_.send(removed);
        return;
    }
    percentage = std::min(percentage, 100);
    if (known == levels_.end()) {
        levels_[devicePath] = percentage;
        const bool askAdapter = asked_.insert(AdapterOf(devicePath)).second;
        lock.unlock();
        QDBusMessage added =
            QDBusMessage::createSignal(Root(), kObjectManager, QStringLiteral("InterfacesAdded"));
        added << QVariant::fromValue(QDBusObjectPath(path))
              << QVariant::fromValue(
                     BluezInterfaceMap{{kProvider, BatteryProperties(devicePath, percentage)}});
        bus_.send(added);
        if (askAdapter) {
            RegisterWith(AdapterOf(devicePath));
        }
        return;
    }
    if (known->second == percentage) {
        return;
    }
    known->second = percentage;
    lock.unlock();
    QDBusMessage changed =
        QDBusMessage::createSignal(path, kProperties, QStringLiteral("PropertiesChanged"));
    changed << kProvider
            << QVariantMap{{QStringLiteral("Percentage"),
                            QVariant::fromValue(static_cast<uchar>(percentage))}}
            << QStringList();
    bus_.send(changed);
}

void BluezBatteryProvider::RegisterWith(const QString& adapterPath) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(kBluezService), adapterPath, kProviderManager,
                                       QStringLiteral("RegisterBatteryProvider"));
    call << QVariant::fromValue(QDBusObjectPath(Root()));
    auto* answer = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [this, adapterPath](QDBusPendingCallWatcher* watcher) {
                watcher->deleteLater();
                if (watcher->isError()) {
                    // Most often a bluetoothd started without its experimental interfaces.
                    qCDebug(lcBluezBattery) << "BlueZ takes no battery levels on" << adapterPath << ":"
                                       << watcher->error().message();
                    return;
                }
                std::lock_guard lock(mutex_);
                registered_.insert(adapterPath);
            });
}

void BluezBatteryProvider::OnBluetoothdAppeared() {
    std::set<QString> adapters;
    {
        std::lock_guard lock(mutex_);
        asked_.clear();
        registered_.clear();
        for (const auto& entry : levels_) {
            asked_.insert(AdapterOf(entry.first));
        }
        adapters = asked_;
    }
    for (const QString& adapter : adapters) {
        RegisterWith(adapter);
    }
}

void BluezBatteryProvider::OnBluetoothdGone() {
    std::lock_guard lock(mutex_);
    asked_.clear();
    registered_.clear();
}
