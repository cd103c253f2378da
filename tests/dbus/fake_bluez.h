// A small BlueZ of our own on a private bus: it owns "org.bluez" and exports, in BlueZ's object
// layout, the adapter hci0 (org.bluez.Adapter1, and org.bluez.BatteryProviderManager1 unless told
// otherwise) and each device (org.bluez.Device1) with one vendor service whose characteristic
// 0xFEE3 takes writes and whose characteristic 0xFEE4 notifies through its client configuration
// descriptor. A registered battery provider is read and followed as bluetoothd follows it. It
// answers on a thread of its own, as bluetoothd answers from a process of its own, so a caller
// may block on it. Calls of a method it is told to hold are answered only on Release.
#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "link/bluez_objects.h"

class FakeBluez {
public:
    struct Device {
        QString address;   // "E0:D4:E8:4A:1B:2C"
        QString modalias;  // "usb:v045Ep0069d0001"
        QString alias = QStringLiteral("TALVORE");
        bool connected = true;
    };
    static constexpr uint16_t kServiceHandle = 0x0010;
    static constexpr uint16_t kReportHandle = 0x0011;
    static constexpr uint16_t kEventHandle = 0x0013;
    static constexpr uint16_t kEventConfigHandle = 0x0015;
    static constexpr char kAdapterPath[] = "/org/bluez/hci0";

    // `name`: the connection's name in this process.
    FakeBluez(const QString& busAddress, const QString& name);
    ~FakeBluez();

    bool Registered() const { return registered_; }

    // The device's object path under hci0 ("/org/bluez/hci0/dev_E0_D4_...").
    static QString DevicePath(const QString& address);
    // Exports the device and its GATT objects and announces them (InterfacesAdded).
    void AddDevice(const Device& device);
    // Removes them and announces it (InterfacesRemoved).
    void RemoveDevice(const QString& address);
    // Connected goes false (PropertiesChanged).
    void Disconnect(const QString& address);
    // A notification of 0xFEE4 (PropertiesChanged of its Value).
    void Notify(const QString& address, const QByteArray& value);

    // What reached 0xFEE3, write by write.
    std::vector<QByteArray> Written(const QString& address) const;
    int Calls(const QString& member) const;

    // Whether the adapter offers org.bluez.BatteryProviderManager1 (bluetoothd offers it only
    // with its experimental interfaces); set before anyone looks.
    void SetBatteryProviderManager(bool offered);
    // The battery percentage a registered provider gives the device, as bluetoothd holds it.
    std::optional<int> ProvidedBattery(const QString& address) const;
    // How many providers are registered now.
    int BatteryProviders() const;
    void Hold(const QString& member);
    int Held() const;
    // Answers every held call and holds no more.
    void Release();

private:
    class Service;
    class ProviderListener;
    struct Battery {
        QString provider;  // the provider's connection
        QString device;    // the device's object path
        int percentage = 0;
    };
    BluezManagedObjects ObjectsLocked() const;
    BluezInterfaceMap DeviceObjectLocked(const Device& device) const;
    void Send(const QDBusMessage& message);
    void Handle(const QDBusMessage& message);
    QDBusMessage Answer(const QDBusMessage& message);
    // Registers or unregisters a battery provider (the fake's thread); the answer to send.
    QDBusMessage AnswerProviderManager(const QDBusMessage& message);
    void ReadBatteries(const QString& provider, const QString& root,
                       const BluezManagedObjects& objects);
    void SetBattery(const QString& provider, const QString& path, const QVariantMap& properties);
    void RemoveBattery(const QString& provider, const QString& path);
    QString name_;
    QDBusConnection bus_;
    QThread thread_;
    std::unique_ptr<Service> service_;
    std::unique_ptr<ProviderListener> listener_;
    bool registered_ = false;

    mutable std::mutex mutex_;
    std::map<QString, Device> devices_;  // by address
    std::map<QString, std::vector<QByteArray>> written_;
    std::map<QString, int> calls_;
    std::set<QString> holding_;
    std::vector<QDBusMessage> held_;
    bool batteryProviderManager_ = true;
    std::map<QString, QString> providers_;                      // root by provider connection
    std::map<std::pair<QString, QString>, Battery> batteries_;  // by provider and object path
};
