// The Bluetooth link on the BlueZ backend against a small BlueZ of our own on a private bus.
#include <QCoreApplication>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "link/ble_link.h"
#include "link/bluez_gatt_backend.h"
#include "tests/dbus/fake_bluez.h"
#include "tests/dbus/private_bus.h"

namespace {

constexpr int kWaitMs = 10000;
const QString kMouse = QStringLiteral("E0:D4:E8:4A:1B:2C");
const QString kOther = QStringLiteral("11:22:33:44:55:66");

void EnsureApp() {
    static int argc = 1;
    static char name[] = "bluez_backend_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
}

struct Event {
    uint16_t key;
    uint16_t value;
    bool operator==(const Event&) const = default;
};

class BluezBackend : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        if (!bus.Running()) {
            GTEST_SKIP() << bus.Problem().toStdString();
        }
        fake = std::make_unique<FakeBluez>(bus.Address(), QStringLiteral("fake_bluez"));
        ASSERT_TRUE(fake->Registered());
    }
    void TearDown() override {
        link.reset();
        backend.reset();
        fake.reset();
    }

    void AddMouse() { fake->AddDevice({kMouse, QStringLiteral("usb:v045Ep0069d0001")}); }
    void AddOtherDevice() {
        fake->AddDevice({kOther, QStringLiteral("usb:v046DpC52Bd0001"), QStringLiteral("Other")});
    }
    // The program's side: the backend on its own connection, the link up as on an arrival.
    void Connect() {
        backend = std::make_unique<BluezGattBackend>(bus.Connect(QStringLiteral("program")));
        link = std::make_unique<BleLink>(*backend, [this](uint16_t key, uint16_t value) {
            events.push_back({key, value});
        });
        link->SetLinkUp(true);
    }
    bool WaitForPaths(std::size_t count) {
        return QTest::qWaitFor([&] { return backend->InterfacePaths().size() == count; }, kWaitMs);
    }

    PrivateBus bus;
    std::unique_ptr<FakeBluez> fake;
    std::unique_ptr<BluezGattBackend> backend;
    std::unique_ptr<BleLink> link;
    std::vector<Event> events;
};

TEST_F(BluezBackend, FindsTheMouseByVendorAndProductAndWritesReportsByteForByte) {
    AddMouse();
    AddOtherDevice();
    Connect();
    ASSERT_TRUE(WaitForPaths(2));
    const auto paths = backend->InterfacePaths();
    EXPECT_EQ(
        std::count_if(paths.begin(), paths.end(),
                      [](const QString& p) {
                          return p.endsWith(QLatin1String("#VID&02045E_PID&0069_e0d4e84a1b2c"));
                      }),
        1);

    link->ConnectAndRegister();
    EXPECT_TRUE(link->HasRegistration());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return fake->Calls(QStringLiteral("StartNotify")) == 1; }, kWaitMs));

    // The macro report, the longest: one write, unchanged, and only to the mouse.
    QByteArray report(131, '\0');
    for (int i = 0; i < report.size(); ++i) {
        report[i] = static_cast<char>(i * 7 + 3);
    }
    report[0] = 0x09;
    ASSERT_TRUE(link->Write(reinterpret_cast<const uint8_t*>(report.constData()), 131));
    EXPECT_EQ(fake->Written(kMouse), std::vector<QByteArray>{report});
    EXPECT_TRUE(fake->Written(kOther).empty());
}

TEST_F(BluezBackend, NotificationsOfTheEventCharacteristicArriveAsDeviceEvents) {
    AddMouse();
    Connect();
    ASSERT_TRUE(WaitForPaths(1));
    link->ConnectAndRegister();

    fake->Notify(kMouse, QByteArray());                             // empty: nothing
    fake->Notify(kMouse, QByteArray::fromHex("6940"));              // too short: nothing
    fake->Notify(kMouse, QByteArray::fromHex("6940015a"));          // power: level 90, on battery
    fake->Notify(kMouse, QByteArray::fromHex("6910030000000000"));  // stage 3, with padding
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() == 2; }, kWaitMs));
    EXPECT_EQ(events, (std::vector<Event>{{0x4069, 0x5A01}, {0x1069, 0x0003}}));

    // Once the link goes down nothing more reaches the page.
    link->SetLinkUp(false);
    link->Unregister();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return fake->Calls(QStringLiteral("StopNotify")) == 1; }, kWaitMs));
    fake->Notify(kMouse, QByteArray::fromHex("6940015a"));
    // A write answered after that notification: by its answer, the notification is here too.
    link->SetLinkUp(true);
    const uint8_t report[] = {0x0C, 0x0A, 0x01, 0xFE, 0x02, 0xFD, 0, 0, 0, 0};
    ASSERT_TRUE(link->Write(report, sizeof report));
    QCoreApplication::processEvents();
    EXPECT_EQ(events.size(), 2u);
    link->ConnectAndRegister();
    fake->Notify(kMouse, QByteArray::fromHex("69400164"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() == 3; }, kWaitMs));
    EXPECT_EQ(events.back(), (Event{0x4069, 0x6401}));
}

TEST_F(BluezBackend, AMouseThatGoesAwayTakesNoWritesUntilItIsBack) {
    AddMouse();
    Connect();
    ASSERT_TRUE(WaitForPaths(1));
    link->ConnectAndRegister();
    const uint8_t report[] = {0x0C, 0x0A, 0x01, 0xFE, 0x02, 0xFD, 0, 0, 0, 0};
    ASSERT_TRUE(link->Write(report, sizeof report));

    fake->Disconnect(kMouse);
    ASSERT_TRUE(WaitForPaths(0));
    EXPECT_FALSE(link->Write(report, sizeof report));

    fake->RemoveDevice(kMouse);
    ASSERT_TRUE(QTest::qWaitFor([&] { return backend->Devices().empty(); }, kWaitMs));
    EXPECT_FALSE(link->Write(report, sizeof report));

    AddMouse();
    ASSERT_TRUE(WaitForPaths(1));
    link->ConnectAndRegister();
    EXPECT_TRUE(link->Write(report, sizeof report));
    EXPECT_EQ(fake->Written(kMouse).size(), 2u);
}

// A bluetoothd that does not answer must not freeze the window: the device list is read and
// notifications are started without the window's thread waiting for the answers.
TEST_F(BluezBackend, AStuckBluetoothdNeverHoldsUpTheWindow) {
    AddMouse();
    fake->Hold(QStringLiteral("GetManagedObjects"));
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(1);

    Connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake->Held() == 1; }, kWaitMs));
    link->ConnectAndRegister();  // finds nothing yet, and does not wait
    EXPECT_FALSE(link->HasRegistration());
    const int before = ticks;
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks > before + 3; }, kWaitMs));
    EXPECT_EQ(fake->Held(), 1);

    fake->Release();
    ASSERT_TRUE(WaitForPaths(1));
    fake->Hold(QStringLiteral("StartNotify"));
    link->ConnectAndRegister();
    // Back before bluetoothd answered, with the registration in place.
    EXPECT_TRUE(link->HasRegistration());
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake->Held() == 1; }, kWaitMs));
    fake->Release();
    fake->Notify(kMouse, QByteArray::fromHex("6940015a"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() == 1; }, kWaitMs));
}

// The desktop's power panel learns the mouse's level through BlueZ: the level goes to bluetoothd
// as a battery provider's, follows the mouse, and goes away with the link.
TEST_F(BluezBackend, TheMouseBatteryReachesBluezAndFollowsTheMouse) {
    AddMouse();
    AddOtherDevice();
    Connect();
    ASSERT_TRUE(WaitForPaths(2));
    link->ConnectAndRegister();
    const auto provided = [&] { return fake->ProvidedBattery(kMouse); };

    fake->Notify(kMouse, QByteArray::fromHex("69400139"));  // level 57, on battery
    ASSERT_TRUE(QTest::qWaitFor([&] { return provided() == 57; }, kWaitMs));
    EXPECT_EQ(fake->BatteryProviders(), 1);
    EXPECT_FALSE(fake->ProvidedBattery(kOther));

    fake->Notify(kMouse, QByteArray::fromHex("69400128"));  // 40
    ASSERT_TRUE(QTest::qWaitFor([&] { return provided() == 40; }, kWaitMs));
    fake->Notify(kMouse, QByteArray::fromHex("69400300"));  // charging: no level, 40 stays
    fake->Notify(kMouse, QByteArray::fromHex("6940011e"));  // 30
    ASSERT_TRUE(QTest::qWaitFor([&] { return provided() == 30; }, kWaitMs));
    fake->Notify(kMouse, QByteArray::fromHex("69400200"));  // charged
    ASSERT_TRUE(QTest::qWaitFor([&] { return provided() == 100; }, kWaitMs));
    EXPECT_EQ(events.size(), 5u) << "the page hears every power event as before";

    // bluetoothd restarts: the level is handed to the new one.
    fake.reset();
    fake = std::make_unique<FakeBluez>(bus.Address(), QStringLiteral("fake_bluez_again"));
    ASSERT_TRUE(fake->Registered());
    AddMouse();
    ASSERT_TRUE(QTest::qWaitFor([&] { return provided() == 100; }, kWaitMs));

    // The link goes down: no level is left behind for the desktop to show.
    link->SetLinkUp(false);
    link->Unregister();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !provided().has_value(); }, kWaitMs));
    EXPECT_EQ(fake->BatteryProviders(), 1);
    backend.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake->BatteryProviders() == 0; }, kWaitMs));
}

TEST_F(BluezBackend, ABluetoothdWithoutBatteryProvidersChangesNothingElse) {
    fake->SetBatteryProviderManager(false);
    AddMouse();
    Connect();
    ASSERT_TRUE(WaitForPaths(1));
    link->ConnectAndRegister();
    fake->Notify(kMouse, QByteArray::fromHex("69400139"));
    fake->Notify(kMouse, QByteArray::fromHex("6910030000000000"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() == 2; }, kWaitMs));
    const uint8_t report[] = {0x0C, 0x0A, 0x01, 0xFE, 0x02, 0xFD, 0, 0, 0, 0};
    EXPECT_TRUE(link->Write(report, sizeof report));
    EXPECT_EQ(fake->BatteryProviders(), 0);
    EXPECT_FALSE(fake->ProvidedBattery(kMouse));
}

}  // namespace
