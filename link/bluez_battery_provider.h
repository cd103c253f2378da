// Hands the mouse's battery level to BlueZ, so UPower and the desktop's power settings show the
// mouse with its level as they show any Bluetooth battery.
//
// BlueZ takes levels from battery providers: a program exports an object manager whose objects
// carry org.bluez.BatteryProvider1 (the Device they belong to and their Percentage) and registers
// its root with the adapter's org.bluez.BatteryProviderManager1. bluetoothd then reads the objects
// and follows them through InterfacesAdded, InterfacesRemoved and PropertiesChanged. We register
// with an adapter once one of its devices has a level, and again whenever bluetoothd (re)appears.
// An adapter without the manager (a bluetoothd without experimental interfaces) refuses, and
// nothing more happens. Nothing here ever waits for bluetoothd.
//
// Lives on the thread that creates it (the UI thread); SetLevel may be called from any thread.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusServiceWatcher;

class BluezBatteryProvider final : public QObject {
    Q_OBJECT
public:
    // The root of our battery objects on the bus.
    static constexpr char kRoot[] = "/org/talvore/Talvore/battery";

    explicit BluezBatteryProvider(const QDBusConnection& bus);
    ~BluezBatteryProvider() override;

    // The level (0..100) of the BlueZ device at devicePath ("/org/bluez/hci0/dev_..."); -1: the
    // level is no longer known and the device's battery goes away.
    void SetLevel(const QString& devicePath, int percentage);

    // The adapters that accepted our registration.
    std::set<QString> RegisteredAdapters() const;

    // For the battery objects on the bus (called by the bus's object handler).
    class Objects;

private:
    void Apply(const QString& devicePath, int percentage);
    void RegisterWith(const QString& adapterPath);
    void OnBluetoothdAppeared();
    void OnBluetoothdGone();

    QDBusConnection bus_;
    std::unique_ptr<Objects> objects_;
    std::unique_ptr<QDBusServiceWatcher> daemonWatcher_;
    bool exported_ = false;

    mutable std::mutex mutex_;
    std::map<QString, int> levels_;  // by device path
    std::set<QString> asked_;        // adapters asked to register us (answered or not)
    std::set<QString> registered_;   // adapters that accepted
};
