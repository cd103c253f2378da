// The mouse over Bluetooth LE: characteristic 0xFEE3 of its first service takes configuration
// reports, 0xFEE4 notifies device events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include <QString>
#include <QStringList>

#include "link/ble_control.h"
#include "link/gatt.h"

class BleLink final : public BleControl {
public:
    static constexpr uint16_t kReportCharacteristic = 0xFEE3;
    static constexpr uint16_t kEventCharacteristic = 0xFEE4;
    static constexpr int kMaxAddresses = 100;
    static constexpr std::size_t kMaxReportLength = 996;

    // onEvent receives (key, value) of each notification; it is called on a Bluetooth thread and
    // must only hand the pair to the UI thread.
    BleLink(GattBackend& backend, std::function<void(uint16_t key, uint16_t value)> onEvent);
    ~BleLink() override;

    // BleControl (UI thread).
    void SetLinkUp(bool up) override;
    bool HasRegistration() const override;
    void ConnectAndRegister() override;
    void Unregister() override;

    // Rebuilds the address list of connected Bluetooth devices (UI thread).
    void RefreshAddresses();
    // Writes one report as it is; true when an interface took it (worker thread).
    bool Write(const uint8_t* report, std::size_t length);

    QStringList Addresses() const;

private:
    struct SearchKeys {
        QString vidMatch;
        QString pidMatch;
        QStringList addresses;
    };
    SearchKeys CopyKeys() const;
    // Runs step on the characteristics of the first service of every qualifying interface, in
    // order, until step returns true. Returns whether a step returned true.
    bool Search(const SearchKeys& keys,
                const std::function<bool(GattDevice&, const QString& path,
                                         const std::vector<GattCharacteristic>&)>& step,
                int* interfacesListed = nullptr);
    // A notification from the interface at `path`.
    void OnValueChanged(const QString& path, const uint8_t* data, std::size_t size);

    GattBackend& backend_;
    std::function<void(uint16_t, uint16_t)> onEvent_;

    mutable std::mutex
        mutex_;  // match strings and addresses: rebuilt on the UI thread, read by writes
    QString vidMatch_;
    QString pidMatch_;
    QStringList addresses_;

    // Every registration made since the link came up; all are released together, so none can
    // outlive the page it reports to.
    std::vector<std::unique_ptr<GattRegistration>> registrations_;
    // The interfaces registered on: their battery levels are withdrawn with the registrations.
    std::vector<QString> registeredPaths_;
};
