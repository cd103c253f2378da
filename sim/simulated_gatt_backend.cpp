#include "sim/simulated_gatt_backend.h"

#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "sim/hidapi/shared_mouse.h"

namespace sim {

namespace {

constexpr uint16_t kReportUuid = 0xFEE3;
constexpr uint16_t kEventUuid = 0xFEE4;

bool Connected() {
    return SharedMouse().BluetoothConnected();
}

}  // namespace

struct SimulatedGattBackend::Peripheral {
    std::mutex mutex;
    // The client configuration of 0xFEE4 asks for notifications; a new connection starts without.
    bool notifying = false;
    int listener = 0;

    bool Notifying() {
        std::lock_guard lock(mutex);
        return notifying;
    }
    void SetNotifying(bool on) {
        std::lock_guard lock(mutex);
        notifying = on;
    }
};

namespace {

using Peripheral = SimulatedGattBackend::Peripheral;
using Notification = std::array<uint8_t, 4>;

// The notifications of one registration, handed to its callback on a thread of its own as a
// Bluetooth stack would.
class SimulatedRegistration final : public GattRegistration {
public:
    SimulatedRegistration(std::shared_ptr<Peripheral> peripheral, GattValueCallback callback)
        : channel_(std::make_shared<Channel>()) {
        channel_->callback = std::move(callback);
        listener_ = AddSharedMouseListener(
            [channel = channel_, peripheral](Link link, uint16_t key, uint16_t value) {
                if (link != Link::Bluetooth || !peripheral->Notifying()) {
                    return;
                }
                channel->Push({static_cast<uint8_t>(key & 0xFF), static_cast<uint8_t>(key >> 8),
                               static_cast<uint8_t>(value & 0xFF),
                               static_cast<uint8_t>(value >> 8)});
            },
            {});
        thread_ = std::thread([channel = channel_] { channel->Run(); });
    }

    ~SimulatedRegistration() override { Unregister(); }

    bool Unregister() override {
        if (!registered_) {
            return false;
        }
        registered_ = false;
        RemoveSharedMouseListener(listener_);
        channel_->Stop();
        if (thread_.get_id() == std::this_thread::get_id()) {
            thread_.detach();  // called from the callback: the thread ends when it returns
        } else {
            thread_.join();
        }
        return true;
    }

private:
    struct Channel {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<Notification> pending;
        bool stop = false;
        GattValueCallback callback;

        void Push(const Notification& n) {
            {
                std::lock_guard lock(mutex);
                pending.push_back(n);
            }
            wake.notify_one();
        }
        void Stop() {
            {
                std::lock_guard lock(mutex);
                stop = true;
            }
            wake.notify_one();
        }
        void Run() {
            std::unique_lock lock(mutex);
            while (true) {
                wake.wait(lock, [&] { return stop || !pending.empty(); });
                if (stop) {
                    return;
                }
                const Notification n = pending.front();
                pending.pop_front();
                lock.unlock();
                callback(n.data(), n.size());
                lock.lock();
            }
        }
    };

    std::shared_ptr<Channel> channel_;
    int listener_ = 0;
    std::thread thread_;
    bool registered_ = true;
};

class SimulatedGattDevice final : public GattDevice {
public:
    explicit SimulatedGattDevice(std::shared_ptr<Peripheral> peripheral)
        : peripheral_(std::move(peripheral)) {}

    std::optional<std::vector<GattService>> Services() override {
        if (!Connected()) {
            return std::nullopt;
        }
        return std::vector<GattService>{{SimulatedGattBackend::kServiceHandle}};
    }

    std::optional<std::vector<GattCharacteristic>> Characteristics(
        const GattService& service) override {
        if (!Connected() || service.attributeHandle != SimulatedGattBackend::kServiceHandle) {
            return std::nullopt;
        }
        const uint16_t s = SimulatedGattBackend::kServiceHandle;
        return std::vector<GattCharacteristic>{
            {s, SimulatedGattBackend::kReportHandle, true, kReportUuid, true, false},
            {s, SimulatedGattBackend::kEventHandle, true, kEventUuid, false, true},
        };
    }

    std::optional<std::vector<GattDescriptor>> Descriptors(const GattCharacteristic& c) override {
        if (!Connected()) {
            return std::nullopt;
        }
        if (c.attributeHandle == SimulatedGattBackend::kEventHandle) {
            return std::vector<GattDescriptor>{
                {SimulatedGattBackend::kServiceHandle, SimulatedGattBackend::kEventConfigHandle}};
        }
        return std::vector<GattDescriptor>{};
    }

    std::optional<std::vector<uint8_t>> ReadDescriptor(const GattDescriptor& d) override {
        if (!Connected() || d.attributeHandle != SimulatedGattBackend::kEventConfigHandle) {
            return std::nullopt;
        }
        return std::vector<uint8_t>{static_cast<uint8_t>(peripheral_->Notifying() ? 1 : 0), 0};
    }

    bool SubscribeDescriptor(const GattDescriptor& d) override {
        if (!Connected() || d.attributeHandle != SimulatedGattBackend::kEventConfigHandle) {
            return false;
        }
        peripheral_->SetNotifying(true);
        return true;
    }

    bool WriteValue(const GattCharacteristic& c, const uint8_t* data, std::size_t size) override {
        if (c.attributeHandle != SimulatedGattBackend::kReportHandle || data == nullptr ||
            size == 0) {
            return false;
        }
        return SharedMouse().Receive(Link::Bluetooth, data, size);
    }

    std::unique_ptr<GattRegistration> RegisterValueChanged(const GattCharacteristic& c,
                                                           GattValueCallback callback) override {
        if (!Connected() || c.attributeHandle != SimulatedGattBackend::kEventHandle || !callback) {
            return nullptr;
        }
        return std::make_unique<SimulatedRegistration>(peripheral_, std::move(callback));
    }

private:
    std::shared_ptr<Peripheral> peripheral_;
};

}  // namespace

SimulatedGattBackend::SimulatedGattBackend() : peripheral_(std::make_shared<Peripheral>()) {
    peripheral_->listener =
        AddSharedMouseListener({}, [peripheral = peripheral_](Link link, bool up) {
            if (link == Link::Bluetooth && !up) {
                peripheral->SetNotifying(false);
            }
        });
}

SimulatedGattBackend::~SimulatedGattBackend() {
    RemoveSharedMouseListener(peripheral_->listener);
}

QString SimulatedGattBackend::InterfacePath() {
    return QStringLiteral(
               "\\\\?\\BTHLEDevice#{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02045e_PID&0069_"
               "REV&0001_%1#8&2c7f1d3a&0&0020#{6e3bb679-4372-40c8-9eaa-4509df260cd8}")
        .arg(QLatin1String(kAddress));
}

std::vector<BluetoothDeviceInfo> SimulatedGattBackend::Devices() {
    // A paired mouse stays in the list while it is away, marked as disconnected.
    BluetoothDeviceInfo mouse;
    mouse.disconnected = !Connected();
    mouse.friendlyName = QStringLiteral("TALVORE");
    mouse.hardwareId = QStringLiteral("BTHLE\\Dev_") + QLatin1String(kAddress);
    return {mouse};
}

std::vector<QString> SimulatedGattBackend::InterfacePaths() {
    if (!Connected()) {
        return {};
    }
    return {InterfacePath()};
}

std::unique_ptr<GattDevice> SimulatedGattBackend::Open(const QString& path) {
    if (!Connected() || path.compare(InterfacePath(), Qt::CaseInsensitive) != 0) {
        return nullptr;
    }
    return std::make_unique<SimulatedGattDevice>(peripheral_);
}

}  // namespace sim
