// BlueZ's object tree as it is now: read once whenever bluetoothd appears on the bus, then kept
// current from its InterfacesAdded, InterfacesRemoved and PropertiesChanged signals. Nothing
// that needs the tree ever waits for bluetoothd, so a daemon that does not answer cannot freeze
// the window: the tree is simply empty (or a little old) until it does.
//
// Lives on the thread that creates it (the UI thread), whose event loop receives the signals;
// snapshots can be taken from any thread.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariantMap>

class QDBusMessage;
class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

using BluezInterfaceMap = QMap<QString, QVariantMap>;
using BluezManagedObjects = QMap<QDBusObjectPath, BluezInterfaceMap>;

inline constexpr char kBluezService[] = "org.bluez";

class BluezObjects final : public QObject {
    Q_OBJECT
public:
    explicit BluezObjects(const QDBusConnection& bus);
    ~BluezObjects() override;

    // The whole tree at one moment; never changes once handed out.
    std::shared_ptr<const BluezManagedObjects> Snapshot() const;
    // Whether a read of the whole tree has arrived since bluetoothd last appeared.
    bool Ready() const { return ready_.load(); }

private Q_SLOTS:
    void OnInterfacesAdded(const QDBusMessage& message);
    void OnInterfacesRemoved(const QDBusMessage& message);
    void OnPropertiesChanged(const QDBusMessage& message);

private:
    void Fetch();
    void OnFetched(QDBusPendingCallWatcher* call, quint64 generation);
    void Forget();
    template <class Edit>
    void Update(Edit&& edit);

    QDBusConnection bus_;
    std::unique_ptr<QDBusServiceWatcher> daemonWatcher_;
    mutable std::mutex mutex_;
    std::shared_ptr<const BluezManagedObjects> objects_;
    std::atomic<bool> ready_{false};
    quint64 generation_ = 0;  // a read answered after bluetoothd went away is dropped
};
