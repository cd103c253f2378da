// The shared mouse over Bluetooth LE: the simulated GATT backend under the program's BleLink.
#include "sim/simulated_gatt_backend.h"

#include <hidapi/hidapi.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

#include "link/ble_link.h"
#include "tests/sim/shared_mouse_fixture.h"

namespace sim::test {
namespace {

// The (key, value) pairs BleLink hands on, with the thread each came on.
class Events {
public:
    void Add(uint16_t key, uint16_t value) {
        {
            std::lock_guard lock(mutex_);
            events_.emplace_back(key, value);
            threads_.push_back(std::this_thread::get_id());
        }
        arrived_.notify_all();
    }
    std::optional<std::pair<uint16_t, uint16_t>> Next() {
        std::unique_lock lock(mutex_);
        if (!arrived_.wait_for(lock, kGuard, [&] { return !events_.empty(); })) {
            return std::nullopt;
        }
        auto event = events_.front();
        events_.pop_front();
        return event;
    }
    std::thread::id LastThread() {
        std::lock_guard lock(mutex_);
        return threads_.empty() ? std::thread::id() : threads_.back();
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::pair<uint16_t, uint16_t>> events_;
    std::vector<std::thread::id> threads_;
};

class SimulatedGatt : public SharedMouseTest {
protected:
    void SetUp() override {
        SharedMouseTest::SetUp();
        mouse.SetBluetoothConnected(true);
        link.SetLinkUp(true);
    }
    void TearDown() override { link.Unregister(); }

    SimulatedGattBackend backend;
    Events events;
    BleLink link{backend, [this](uint16_t key, uint16_t value) { events.Add(key, value); }};
};

bool BluetoothEnumerated() {
    hid_device_info* list = hid_enumerate(0x045E, 0x0069);
    hid_free_enumeration(list);
    return list != nullptr;
}

TEST_F(SimulatedGatt, TheMouseIsListedAndOpenedOnlyWhileConnected) {
    const auto devices = backend.Devices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_FALSE(devices[0].disconnected);
    EXPECT_EQ(devices[0].hardwareId, QStringLiteral("BTHLE\\Dev_e0d4e84a1b2c"));
    const auto paths = backend.InterfacePaths();
    ASSERT_EQ(paths.size(), 1u);
    const QString upper = paths[0].toUpper();
    EXPECT_TRUE(upper.contains(QStringLiteral("VID&02045E")));
    EXPECT_TRUE(upper.contains(QStringLiteral("PID&0069")));
    EXPECT_TRUE(upper.contains(QStringLiteral("E0D4E84A1B2C")));
    EXPECT_TRUE(BluetoothEnumerated());

    auto device = backend.Open(paths[0]);
    ASSERT_TRUE(device);
    mouse.SetBluetoothConnected(false);
    EXPECT_TRUE(backend.Devices().at(0).disconnected);
    EXPECT_TRUE(backend.InterfacePaths().empty());
    EXPECT_FALSE(backend.Open(paths[0]));
    EXPECT_FALSE(BluetoothEnumerated());
    // A device opened before the disconnection answers nothing any more.
    EXPECT_FALSE(device->Services());
    const uint8_t report[] = {0x06, 0x09, 0x01, 0x04, 0xFB, 0x00, 0x00, 0x00, 0x00};
    EXPECT_FALSE(
        device->WriteValue({0x10, 0x12, true, 0xFEE3, true, false}, report, sizeof report));
}

TEST_F(SimulatedGatt, ARegisteredLinkWritesReportsAndHearsThePowerStatusOnAThreadOfItsOwn) {
    link.ConnectAndRegister();
    ASSERT_TRUE(link.HasRegistration());

    // The macro report is written as one value.
    std::vector<uint8_t> macro(131, 0);
    macro[0] = 0x09;
    macro[1] = 0x83;
    macro[2] = 0x05;
    ASSERT_TRUE(link.Write(macro.data(), macro.size()));
    const auto log = mouse.Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].link, Link::Bluetooth);
    EXPECT_EQ(log[0].bytes, macro);

    mouse.SetBattery(80, true, false);  // level 80 (0x50), charging (3)
    const auto power = events.Next();
    ASSERT_TRUE(power);
    EXPECT_EQ(power->first, 0x4069);
    EXPECT_EQ(power->second, 0x5003);
    EXPECT_NE(events.LastThread(), std::this_thread::get_id());
}

TEST_F(SimulatedGatt, ANewConnectionStartsWithoutTheEventSubscription) {
    link.ConnectAndRegister();
    auto device = backend.Open(backend.InterfacePaths().at(0));
    ASSERT_TRUE(device);
    const GattDescriptor config{0x10, 0x15};
    EXPECT_EQ(device->ReadDescriptor(config), (std::vector<uint8_t>{0x01, 0x00}));
    // A new connection starts unsubscribed.
    mouse.SetBluetoothConnected(false);
    mouse.SetBluetoothConnected(true);
    device = backend.Open(backend.InterfacePaths().at(0));
    ASSERT_TRUE(device);
    EXPECT_EQ(device->ReadDescriptor(config), (std::vector<uint8_t>{0x00, 0x00}));
}

TEST_F(SimulatedGatt, AfterUnregisterReturnsNoCallbackRuns) {
    auto device = backend.Open(backend.InterfacePaths().at(0));
    ASSERT_TRUE(device);
    const GattCharacteristic notifying{0x10, 0x14, true, 0xFEE4, false, true};
    ASSERT_TRUE(device->SubscribeDescriptor({0x10, 0x15}));

    std::mutex mutex;
    std::condition_variable changed;
    bool inside = false;
    bool release = false;
    std::atomic<int> order{0};
    std::atomic<int> callbackEnded{0};
    auto registration = device->RegisterValueChanged(notifying, [&](const uint8_t*, std::size_t) {
        std::unique_lock lock(mutex);
        inside = true;
        changed.notify_all();
        changed.wait(lock, [&] { return release; });
        callbackEnded = ++order;
    });
    ASSERT_TRUE(registration);
    mouse.EmitStatus();
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, kGuard, [&] { return inside; }));
    }
    std::atomic<int> unregisterReturned{0};
    std::thread unregistering([&] {
        EXPECT_TRUE(registration->Unregister());
        unregisterReturned = ++order;
    });
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    changed.notify_all();
    unregistering.join();
    EXPECT_LT(callbackEnded.load(), unregisterReturned.load());
    EXPECT_FALSE(registration->Unregister());
}

TEST_F(SimulatedGatt, ALinkDroppedDuringAWriteFailsItAndTheMouseLeaves) {
    link.ConnectAndRegister();
    const uint8_t report[] = {0x0C, 0x0A, 0x01, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03};
    mouse.DropLinkAfter(Link::Bluetooth, 0);
    EXPECT_FALSE(link.Write(report, sizeof report));
    EXPECT_FALSE(mouse.BluetoothConnected());
    EXPECT_FALSE(BluetoothEnumerated());
    EXPECT_FALSE(link.Write(report, sizeof report));
}

}  // namespace
}  // namespace sim::test
