#include "link/ble_link.h"

#include <map>

#include <gtest/gtest.h>

namespace {

struct FakeInterface {
    QString path;
    bool opens = true;
    std::vector<GattCharacteristic> characteristics;
    bool acceptsWrite = true;
    std::vector<std::vector<uint8_t>> written;
    std::vector<uint16_t> subscribed;
    GattValueCallback callback;
    int registrations = 0;
    int unregistrations = 0;
};

class FakeRegistration : public GattRegistration {
public:
    explicit FakeRegistration(FakeInterface& i) : interface_(i) {}
    bool Unregister() override {
        ++interface_.unregistrations;
        interface_.callback = nullptr;
        return true;
    }

private:
    FakeInterface& interface_;
};

class FakeDevice : public GattDevice {
public:
    explicit FakeDevice(FakeInterface& i) : interface_(i) {}
    std::optional<std::vector<GattService>> Services() override {
        return std::vector<GattService>{{1}, {40}};
    }
    std::optional<std::vector<GattCharacteristic>> Characteristics(const GattService&) override {
        return interface_.characteristics;
    }
    std::optional<std::vector<GattDescriptor>> Descriptors(const GattCharacteristic& c) override {
        return std::vector<GattDescriptor>{{c.serviceHandle, uint16_t(c.attributeHandle + 1)},
                                           {c.serviceHandle, 300}};
    }
    std::optional<std::vector<uint8_t>> ReadDescriptor(const GattDescriptor&) override {
        return std::vector<uint8_t>{0, 0};
    }
    bool SubscribeDescriptor(const GattDescriptor& d) override {
        interface_.subscribed.push_back(d.attributeHandle);
        return true;
    }
    bool WriteValue(const GattCharacteristic&, const uint8_t* data, std::size_t size) override {
        if (!interface_.acceptsWrite) {
            return false;
        }
        interface_.written.emplace_back(data, data + size);
        return true;
    }
    std::unique_ptr<GattRegistration> RegisterValueChanged(const GattCharacteristic&,
                                                           GattValueCallback callback) override {
        ++interface_.registrations;
        interface_.callback = std::move(callback);
        return std::make_unique<FakeRegistration>(interface_);
    }

private:
    FakeInterface& interface_;
};

class FakeBackend : public GattBackend {
public:
    std::vector<BluetoothDeviceInfo> Devices() override {
        ++deviceListings;
        return devices;
    }
    std::vector<QString> InterfacePaths() override {
        std::vector<QString> paths;
        for (const auto& i : interfaces) {
            paths.push_back(i.path);
        }
        return paths;
    }
    std::unique_ptr<GattDevice> Open(const QString& path) override {
        ++opens;
        for (auto& i : interfaces) {
            if (i.path == path && i.opens) {
                return std::make_unique<FakeDevice>(i);
            }
        }
        return nullptr;
    }

    std::vector<BluetoothDeviceInfo> devices;
    std::vector<FakeInterface> interfaces;
    int deviceListings = 0;
    int opens = 0;
};

FakeInterface Interface(const QString& path, std::vector<GattCharacteristic> characteristics,
                        bool acceptsWrite = true) {
    FakeInterface i;
    i.path = path;
    i.characteristics = std::move(characteristics);
    i.acceptsWrite = acceptsWrite;
    return i;
}

const std::vector<GattCharacteristic> kMouseCharacteristics = {
    {1, 10, true, 0xFEE3, true, false},
    {1, 12, true, 0xFEE4, false, true},
};

QString MousePath(const QString& address) {
    return QStringLiteral(
               "\\\\?\\bthledevice#{00001812-0000-1000-8000-00805f9b34fb}_dev_vid&02045e_"
               "pid&0069_rev&0001_%1#8&1a2b3c&0&0020#{6e3bb679}")
        .arg(address);
}

BluetoothDeviceInfo Connected(const QString& address) {
    return {false, QStringLiteral("TALVORE"), QStringLiteral("BTHLE\\Dev_%1").arg(address)};
}

class BleLinkTest : public ::testing::Test {
protected:
    FakeBackend backend;
    std::vector<std::pair<uint16_t, uint16_t>> events;
    BleLink link{backend, [this](uint16_t k, uint16_t v) { events.emplace_back(k, v); }};
    const uint8_t report[9] = {0x06, 0x09, 0x01, 0x04, 0xFB, 0, 0, 0, 0};
};

TEST_F(BleLinkTest, NothingIsFoundWhileTheLinkIsDown) {
    backend.devices = {Connected("e0d4e84a1b2c")};
    backend.interfaces = {Interface(MousePath("e0d4e84a1b2c"), kMouseCharacteristics)};
    link.ConnectAndRegister();
    EXPECT_FALSE(link.Write(report, sizeof report));
    EXPECT_FALSE(link.HasRegistration());
    EXPECT_EQ(backend.opens, 0);
}

TEST_F(BleLinkTest, WritesFindNothingUntilTheAddressListIsBuiltAndMatches) {
    link.SetLinkUp(true);
    backend.interfaces = {Interface(MousePath("e0d4e84a1b2c"), kMouseCharacteristics)};
    // Writes use the list of the last registration: none yet.
    EXPECT_FALSE(link.Write(report, sizeof report));

    // A connected device whose address is not in the mouse's path: still nothing.
    backend.devices = {Connected("001122334455")};
    link.ConnectAndRegister();
    EXPECT_FALSE(link.HasRegistration());
    EXPECT_FALSE(link.Write(report, sizeof report));

    backend.devices.push_back(Connected("E0D4E84A1B2C"));
    link.ConnectAndRegister();
    EXPECT_TRUE(link.HasRegistration());
    ASSERT_TRUE(link.Write(report, sizeof report));
    ASSERT_EQ(backend.interfaces[0].written.size(), 1u);
    EXPECT_EQ(backend.interfaces[0].written[0], std::vector<uint8_t>(report, report + 9));
    // Only descriptors below handle 255 are subscribed.
    EXPECT_EQ(backend.interfaces[0].subscribed, std::vector<uint16_t>{13});
}

TEST_F(BleLinkTest, AddressListSkipsDisconnectedAndUnreadableDevicesAndHoldsAtMostHundred) {
    backend.devices = {{true, QStringLiteral("off"), QStringLiteral("BTHLE\\Dev_aa")},
                       {false, std::nullopt, QStringLiteral("BTHLE\\Dev_bb")},
                       {false, QStringLiteral("x"), std::nullopt},
                       {false, QStringLiteral("plain"), QStringLiteral("NOPIECES")},
                       Connected("cc")};
    link.RefreshAddresses();
    EXPECT_EQ(link.Addresses(), (QStringList{QString(), QStringLiteral("cc")}));

    backend.devices.assign(150, Connected("dd"));
    link.RefreshAddresses();
    EXPECT_EQ(link.Addresses().size(), 100);
}

TEST_F(BleLinkTest, TwoMiceRegisterBothAndAWriteStopsAtTheFirstThatTakesIt) {
    link.SetLinkUp(true);
    backend.devices = {Connected("aaaaaaaaaaaa"), Connected("bbbbbbbbbbbb")};
    backend.interfaces = {Interface(MousePath("aaaaaaaaaaaa"), kMouseCharacteristics, false),
                          Interface(MousePath("bbbbbbbbbbbb"), kMouseCharacteristics),
                          Interface(MousePath("cccccccccccc"), kMouseCharacteristics)};
    link.ConnectAndRegister();
    EXPECT_EQ(backend.interfaces[0].registrations, 1);
    EXPECT_EQ(backend.interfaces[1].registrations, 1);
    EXPECT_EQ(backend.interfaces[2].registrations, 0);

    uint8_t macro[131] = {0x09, 0x83, 0x03};
    ASSERT_TRUE(link.Write(macro, sizeof macro));
    EXPECT_TRUE(backend.interfaces[0].written.empty());  // refused, so the next one is tried
    ASSERT_EQ(backend.interfaces[1].written.size(), 1u);
    EXPECT_EQ(backend.interfaces[1].written[0].size(), 131u);  // one value, no chunks

    // Both registrations are released together when the link goes down.
    link.Unregister();
    EXPECT_FALSE(link.HasRegistration());
    EXPECT_EQ(backend.interfaces[0].unregistrations, 1);
    EXPECT_EQ(backend.interfaces[1].unregistrations, 1);
}

TEST_F(BleLinkTest, OnlyShortWritableReportCharacteristicsAreWritten) {
    link.SetLinkUp(true);
    backend.devices = {Connected("e0d4e84a1b2c")};
    backend.interfaces = {
        Interface(MousePath("e0d4e84a1b2c"),
                  {{1, 10, false, 0xFEE3, true, false}, {1, 11, true, 0xFEE3, false, true}})};
    link.ConnectAndRegister();
    EXPECT_FALSE(link.Write(report, sizeof report));
    EXPECT_FALSE(link.HasRegistration());
    std::vector<uint8_t> huge(997, 0);
    EXPECT_FALSE(link.Write(huge.data(), huge.size()));
}

TEST_F(BleLinkTest, NotificationsBecomeKeyAndValueAndShortOnesAreDropped) {
    link.SetLinkUp(true);
    backend.devices = {Connected("e0d4e84a1b2c")};
    backend.interfaces = {Interface(MousePath("e0d4e84a1b2c"), kMouseCharacteristics)};
    link.ConnectAndRegister();
    auto& notify = backend.interfaces[0].callback;
    ASSERT_TRUE(notify);
    const uint8_t power[] = {0x69, 0x40, 0x01, 0x5A};
    const uint8_t shortOne[] = {0x69, 0x40, 0x01};
    notify(power, 0);
    notify(shortOne, 3);
    notify(power, 4);
    EXPECT_EQ(events, (std::vector<std::pair<uint16_t, uint16_t>>{{0x4069, 0x5A01}}));
}

}  // namespace
