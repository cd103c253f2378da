#include "link/bluez_objects.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcBluezObjects, "talvore.ble.bluez")

namespace {

const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
// A characteristic's value changes with every notification; the tree has no use for it.
const QString kValue = QStringLiteral("Value");

}  // namespace

BluezObjects::BluezObjects(const QDBusConnection& bus)
    : bus_(bus), objects_(std::make_shared<const BluezManagedObjects>()) {
    qDBusRegisterMetaType<BluezInterfaceMap>();
    qDBusRegisterMetaType<BluezManagedObjects>();
    if (!bus_.isConnected()) {
        qCDebug(lcBluezObjects) << "no bus: Bluetooth stays empty";
        return;
    }
    const QString service = QLatin1String(kBluezService);
    bus_.connect(service, QStringLiteral("/"), kObjectManager, QStringLiteral("InterfacesAdded"),
                 this, SLOT(OnInterfacesAdded(QDBusMessage)));
    bus_.connect(service, QStringLiteral("/"), kObjectManager, QStringLiteral("InterfacesRemoved"),
                 this, SLOT(OnInterfacesRemoved(QDBusMessage)));
    // Every object's properties: a device connects or goes away through its Connected property.
    bus_.connect(service, QString(), kProperties, QStringLiteral("PropertiesChanged"), this,
                 SLOT(OnPropertiesChanged(QDBusMessage)));
    daemonWatcher_ = std::make_unique<QDBusServiceWatcher>(
        service, bus_,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration);
    connect(daemonWatcher_.get(), &QDBusServiceWatcher::serviceRegistered, this,
            [this] { Fetch(); });
    connect(daemonWatcher_.get(), &QDBusServiceWatcher::serviceUnregistered, this,
            [this] { Forget(); });
    Fetch();
}

BluezObjects::~BluezObjects() = default;

std::shared_ptr<const BluezManagedObjects> BluezObjects::Snapshot() const {
    std::lock_guard lock(mutex_);
    return objects_;
}

template <class Edit>
void BluezObjects::Update(Edit&& edit) {
    auto next = std::make_shared<BluezManagedObjects>(*Snapshot());
    edit(*next);
    std::lock_guard lock(mutex_);
    objects_ = std::move(next);
}

void BluezObjects::Fetch() {
    const quint64 generation = ++generation_;
    const QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(kBluezService), QStringLiteral("/"),
                                       kObjectManager, QStringLiteral("GetManagedObjects"));
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* w) { OnFetched(w, generation); });
}

void BluezObjects::OnFetched(QDBusPendingCallWatcher* call, quint64 generation) {
    call->deleteLater();
    if (generation != generation_) {
        return;
    }
    const QDBusPendingReply<BluezManagedObjects> reply = *call;
    if (reply.isError()) {
        qCDebug(lcBluezObjects) << "no BlueZ objects:" << reply.error().message();
        return;
    }
    BluezManagedObjects objects = reply.value();
    for (auto& interfaces : objects) {
        for (auto& properties : interfaces) {
            properties.remove(kValue);
        }
    }
    {
        std::lock_guard lock(mutex_);
        objects_ = std::make_shared<const BluezManagedObjects>(std::move(objects));
    }
    ready_ = true;
}

void BluezObjects::Forget() {
    ++generation_;
    ready_ = false;
    std::lock_guard lock(mutex_);
    objects_ = std::make_shared<const BluezManagedObjects>();
}

void BluezObjects::OnInterfacesAdded(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2) {
        return;
    }
    const QDBusObjectPath path = qvariant_cast<QDBusObjectPath>(args.at(0));
    BluezInterfaceMap added = qdbus_cast<BluezInterfaceMap>(args.at(1));
    Update([&](BluezManagedObjects& objects) {
        BluezInterfaceMap& interfaces = objects[path];
        for (auto it = added.begin(); it != added.end(); ++it) {
            it.value().remove(kValue);
            interfaces.insert(it.key(), it.value());
        }
    });
}

void BluezObjects::OnInterfacesRemoved(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2) {
        return;
    }
    const QDBusObjectPath path = qvariant_cast<QDBusObjectPath>(args.at(0));
    const QStringList removed = args.at(1).toStringList();
    Update([&](BluezManagedObjects& objects) {
        auto found = objects.find(path);
        if (found == objects.end()) {
            return;
        }
        for (const QString& interface : removed) {
            found.value().remove(interface);
        }
        if (found.value().isEmpty()) {
            objects.erase(found);
        }
    });
}

void BluezObjects::OnPropertiesChanged(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2) {
        return;
    }
    const QString interface = args.at(0).toString();
    QVariantMap changed = qdbus_cast<QVariantMap>(args.at(1));
    changed.remove(kValue);
    const QStringList invalidated = args.size() > 2 ? args.at(2).toStringList() : QStringList();
    if (changed.isEmpty() && invalidated.isEmpty()) {
        return;
    }
    const QDBusObjectPath path(message.path());
    Update([&](BluezManagedObjects& objects) {
        auto found = objects.find(path);
        if (found == objects.end() || !found.value().contains(interface)) {
            return;  // an object the tree does not hold yet; InterfacesAdded brings it whole
        }
        QVariantMap& properties = found.value()[interface];
        for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
            properties.insert(it.key(), it.value());
        }
        for (const QString& name : invalidated) {
            properties.remove(name);
        }
    });
}
