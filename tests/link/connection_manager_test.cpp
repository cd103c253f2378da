#include "link/connection_manager.h"

#include <gtest/gtest.h>

#include "tests/link/fake_page.h"

namespace {

using namespace link_controls;

// A driver library as plain C entry points over a per-link record of what was called.
struct DriverCalls {
    bool present = false;
    uint32_t vendorId = 0;
    uint32_t productId = 0;
    uint32_t dataMessage = 0;
    uint32_t statusMessage = 0;
    int opens = 0;
    int closes = 0;
    int monitorCloses = 0;
};

template <int N>
struct FakeDriver {
    static inline DriverCalls calls;
    static int SetVidPid(uint32_t v, uint32_t p) {
        calls.vendorId = v;
        calls.productId = p;
        return 1;
    }
    static int OpenMonitor(const TalvoreWindow*, uint32_t data, uint32_t status) {
        calls.dataMessage = data;
        calls.statusMessage = status;
        return 1;
    }
    static void CloseMonitor() { ++calls.monitorCloses; }
    static int Open() {
        ++calls.opens;
        return calls.present ? 1 : 0;
    }
    static void Close() { ++calls.closes; }
    static int Set(const uint8_t*, uint32_t) { return 1; }
    static int Get(uint8_t*, uint32_t) { return -1; }
    static DriverFunctions Functions() {
        calls = {};
        return {SetVidPid, OpenMonitor, CloseMonitor, Open, Close, Set, Get};
    }
};
using Wired = FakeDriver<2>;
using Receiver = FakeDriver<1>;

class FakeBle : public BleControl {
public:
    void SetLinkUp(bool up) override { linkUp = up; }
    bool HasRegistration() const override { return registered; }
    void ConnectAndRegister() override {
        ++registrations;
        registered = true;
    }
    void Unregister() override { registered = false; }
    bool linkUp = false;
    bool registered = false;
    int registrations = 0;
};

class ConnectionManagerTest : public ::testing::Test {
protected:
    void Start() { manager.StartDevices(TalvoreWindow{}); }
    uint32_t Arrived() { return ConnectionManager::FoldStatusMessage(1); }
    uint32_t Removed() { return ConnectionManager::FoldStatusMessage(0); }

    LinkState links;
    FakeView view;
    FakeWindow window;
    FakeProfile profile;
    FakeBle ble;
    DriverFunctions wired = Wired::Functions();
    DriverFunctions receiver = Receiver::Functions();
    bool bluetoothAtStart = false;
    DeviceEvents events{links, view, window, profile, [](uint16_t) {}};
    int linksBack = 0;
    ConnectionManager manager{links,
                              view,
                              window,
                              events,
                              ble,
                              wired,
                              receiver,
                              [this] { return bluetoothAtStart; },
                              [this] { ++linksBack; }};
};

TEST_F(ConnectionManagerTest, FoldsDriverMessagesIntoOneCode) {
    EXPECT_EQ(ConnectionManager::FoldDataMessage(0x1069, 3), 0x10690003u);
    EXPECT_EQ(ConnectionManager::FoldDataMessage(0x4069, 0x12345A01), 0x40695A01u);
    EXPECT_EQ(ConnectionManager::FoldStatusMessage(1), 0x7F000001u);
    EXPECT_EQ(ConnectionManager::FoldStatusMessage(0), 0x7F000002u);
    EXPECT_EQ(ConnectionManager::FoldStatusMessage(7), 0x7F000000u);
}

TEST_F(ConnectionManagerTest, BothUsbLinksAtStartShowTheCableAndAnnounceOnce) {
    Wired::calls.present = true;
    Receiver::calls.present = true;
    Start();
    EXPECT_EQ(Wired::calls.vendorId, 0x1D57u);
    EXPECT_EQ(Wired::calls.productId, 0x2039u);
    EXPECT_EQ(Wired::calls.dataMessage, 1327u);
    EXPECT_EQ(Wired::calls.statusMessage, 1328u);
    EXPECT_EQ(Receiver::calls.productId, 0xFA60u);
    EXPECT_EQ(Receiver::calls.dataMessage, 1325u);
    EXPECT_EQ(links.cableState, 1);
    EXPECT_EQ(links.receiverState, 1);
    EXPECT_EQ(links.deviceConnected, 1);
    EXPECT_EQ(window.CountPosted(1128), 1);
    EXPECT_EQ(view.Visible(kWired), 1);
    EXPECT_EQ(view.Visible(kWireless), 0);
    EXPECT_EQ(view.Visible(kPowerView), 1);
    EXPECT_TRUE(window.chargeTimerRunning);
    EXPECT_EQ(window.timers.at(100), 6000);
}

TEST_F(ConnectionManagerTest, OnlyTheReceiverWithTheMouseAsleepKeepsTheWindowOpenable) {
    Receiver::calls.present = true;
    Start();
    EXPECT_EQ(links.deviceConnected, 1);
    EXPECT_EQ(view.Visible(kWireless), 0);
    EXPECT_EQ(view.Visible(kSleepLabel), 1);
    EXPECT_FALSE(links.AnyLinkUsable());

    // The watchdog changes nothing visible but the battery view: the mouse never woke.
    manager.OnWatchdogExpired();
    EXPECT_EQ(view.Visible(kNoPowerView), 1);
    EXPECT_EQ(view.Visible(kPowerView), 0);
    EXPECT_EQ(view.Visible(kWireless), 0);
    EXPECT_EQ(links.deviceConnected, 1);
    EXPECT_FALSE(window.TimerRunning(100));
}

TEST_F(ConnectionManagerTest, NoLinkAtStartAnnouncesDisconnected) {
    view.SetChecked(kCheckPower, true);
    Start();
    EXPECT_EQ(links.deviceConnected, 0);
    EXPECT_EQ(window.CountPosted(1128), 1);
    EXPECT_EQ(view.Visible(kNoPowerView), 1);
    EXPECT_EQ(view.Visible(kWired), 0);
}

TEST_F(ConnectionManagerTest, ReceiverPluggedLaterShowsItsIndicatorAtOnce) {
    Start();
    window.posted.clear();
    manager.OnReceiverEvent(Arrived());
    EXPECT_EQ(window.waits, std::vector<int>{1000});
    EXPECT_EQ(links.receiverState, 1);
    EXPECT_EQ(view.Visible(kWireless), 1);
    EXPECT_EQ(Receiver::calls.opens, 2);  // at start and on arrival
    EXPECT_EQ(window.timers.at(100), 6000);
    EXPECT_EQ(links.deviceConnected, 1);
    EXPECT_EQ(window.CountPosted(1128), 1);
}

TEST_F(ConnectionManagerTest, RepeatedReportsAreIgnoredAndAFirstRemovalStillRuns) {
    Start();
    // A removal for a link never reported does the removal steps.
    manager.OnCableEvent(Removed());
    EXPECT_EQ(links.cableState, 2);
    EXPECT_EQ(Wired::calls.closes, 1);
    // A second removal does nothing.
    manager.OnCableEvent(Removed());
    EXPECT_EQ(Wired::calls.closes, 1);
    // Neither does an arrival while present, nor a status word that is not a report.
    manager.OnCableEvent(Arrived());
    manager.OnCableEvent(Arrived());
    manager.OnCableEvent(ConnectionManager::FoldStatusMessage(5));
    EXPECT_EQ(window.waits.size(), 1u);
    EXPECT_EQ(links.cableState, 1);
}

TEST_F(ConnectionManagerTest, UnpluggingTheCableWhileTheReceiverIsPresentKeepsTheWindow) {
    Wired::calls.present = true;
    Receiver::calls.present = true;
    Start();
    window.posted.clear();
    manager.OnCableEvent(Removed());
    EXPECT_EQ(links.deviceConnected, 1);
    EXPECT_EQ(window.CountPosted(1128), 0);
    EXPECT_EQ(view.Visible(kWired), 0);
    EXPECT_EQ(view.Visible(kSleepLabel), 1);
    EXPECT_FALSE(window.chargeTimerRunning);
    EXPECT_EQ(view.Text(kPowerLabel), "");

    manager.OnReceiverEvent(Removed());
    EXPECT_EQ(links.deviceConnected, 0);
    EXPECT_EQ(window.CountPosted(1128), 1);
    EXPECT_FALSE(window.TimerRunning(100));
}

TEST_F(ConnectionManagerTest, DeviceEventsArePassedOnAndOtherKeysDropped) {
    Receiver::calls.present = true;
    Start();
    manager.OnReceiverEvent(ConnectionManager::FoldDataMessage(0x4069, 0x5A01));
    EXPECT_EQ(links.wirelessAwake, 1);
    EXPECT_TRUE(links.AnyLinkUsable());
    manager.OnReceiverEvent(ConnectionManager::FoldDataMessage(0x0969, 3));
    manager.OnReceiverEvent(ConnectionManager::FoldDataMessage(0x9169, 3));
    EXPECT_EQ(profile.synchronised, 0);

    // The watchdog puts the mouse back to sleep when no status came in time.
    manager.OnWatchdogExpired();
    EXPECT_EQ(links.wirelessAwake, 0);
    EXPECT_EQ(view.Visible(kWireless), 0);
    EXPECT_EQ(view.Visible(kSleepLabel), 1);
}

TEST_F(ConnectionManagerTest, LibrariesThatDidNotLoadAreNeverCalled) {
    wired = DriverFunctions{};
    receiver = DriverFunctions{};
    Wired::calls.present = true;
    Start();
    manager.OnCableEvent(Arrived());
    manager.OnCableEvent(Removed());
    manager.CloseDevices();
    EXPECT_EQ(Wired::calls.opens, 0);
    EXPECT_EQ(Wired::calls.closes, 0);
    EXPECT_EQ(Wired::calls.monitorCloses, 0);
    EXPECT_EQ(Wired::calls.vendorId, 0u);
}

TEST_F(ConnectionManagerTest, BluetoothComesAndGoes) {
    Start();
    window.posted.clear();
    manager.OnBleChange(1);
    EXPECT_TRUE(ble.linkUp);
    EXPECT_EQ(links.deviceConnected, 1);
    EXPECT_EQ(window.CountPosted(1128), 1);
    EXPECT_EQ(window.timers.at(517), 2000);
    EXPECT_EQ(view.Visible(kBle), 1);

    manager.OnBleRegistrationTimer();
    manager.OnBleRegistrationTimer();  // already registered: not again
    EXPECT_EQ(ble.registrations, 1);
    EXPECT_FALSE(window.TimerRunning(517));

    manager.OnBleChange(0);
    EXPECT_FALSE(ble.linkUp);
    EXPECT_FALSE(ble.registered);
    EXPECT_EQ(links.deviceConnected, 0);
    EXPECT_EQ(window.CountPosted(1128), 2);
    EXPECT_EQ(view.Visible(kBle), 0);
}

TEST_F(ConnectionManagerTest, BluetoothFoundAtStartOnlyMarksTheLink) {
    bluetoothAtStart = true;
    Start();
    EXPECT_EQ(links.bleConnected, 1);
    EXPECT_EQ(links.deviceConnected, 1);
    EXPECT_FALSE(ble.linkUp);
    EXPECT_FALSE(window.TimerRunning(517));
}

TEST_F(ConnectionManagerTest, EachLinkThatComesBackIsToldOnceAndNoneAtStart) {
    Wired::calls.present = true;
    bluetoothAtStart = true;
    Start();
    manager.OnBleChange(1);  // the page's load repeats the state found at start
    manager.OnBleRegistrationTimer();
    EXPECT_EQ(linksBack, 0);

    manager.OnReceiverEvent(Arrived());
    EXPECT_EQ(linksBack, 1);
    manager.OnCableEvent(Removed());
    manager.OnCableEvent(Arrived());
    manager.OnCableEvent(Arrived());  // repeated: nothing new
    EXPECT_EQ(linksBack, 2);

    // Bluetooth tells once its registration has run: before it, writes find no device.
    manager.OnBleChange(0);
    manager.OnBleChange(1);
    EXPECT_EQ(linksBack, 2);
    manager.OnBleRegistrationTimer();
    manager.OnBleRegistrationTimer();
    EXPECT_EQ(linksBack, 3);
    // Gone again before its timer: nothing to tell.
    manager.OnBleChange(0);
    manager.OnBleChange(1);
    manager.OnBleChange(0);
    manager.OnBleRegistrationTimer();
    EXPECT_EQ(linksBack, 3);
}

TEST_F(ConnectionManagerTest, TeardownClosesBothDevicesAndMonitors) {
    Wired::calls.present = true;
    Receiver::calls.present = true;
    Start();
    manager.CloseDevices();
    EXPECT_EQ(Receiver::calls.closes, 1);
    EXPECT_EQ(Receiver::calls.monitorCloses, 1);
    EXPECT_EQ(Wired::calls.closes, 1);
    EXPECT_EQ(Wired::calls.monitorCloses, 1);
}

}  // namespace
