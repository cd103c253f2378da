// The program's main window with the simulated mouse behind the real driver libraries: the demo
// folder's hiddriver_1.so and hiddriver_2.so, built on the simulated hidapi, are loaded as the
// program loads them, and Bluetooth goes through the simulated GATT backend.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "app/dpi_msg.h"
#include "app/main_wnd.h"
#include "link/bluez_gatt_backend.h"
#include "link/program_messages.h"
#include "protocol/report_builders.h"
#include "sim/hidapi/shared_mouse.h"
#include "tests/dbus/fake_bluez.h"
#include "tests/dbus/private_bus.h"
#include "tests/e2e/program_on_mouse.h"

namespace {

using namespace program_messages;
using sim::Link;

// The device's pacing at a twentieth of its length: receiver retries take a fraction of a second
// yet still leave the mouse time to answer between tries.
class QuickSleeper final : public Sleeper {
public:
    void SleepMs(int milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max(1, milliseconds / 20)));
    }
};

class ProgramWithMouse : public ProgramOnMouse {
protected:
    const PageControls& Controls() { return Page().Controls(); }
    std::vector<uint8_t> ReportIds() const {
        std::vector<uint8_t> ids;
        for (const auto& entry : sim::SharedMouse().Log()) {
            ids.push_back(entry.bytes.empty() ? 0 : entry.bytes[0]);
        }
        return ids;
    }

    // The current profile as pro.data holds it; null when the file holds none.
    std::unique_ptr<ProfileRecord> StoredCurrent() const {
        QFile file(DataFolder() + QLatin1String("ms_1/pro.data"));
        if (!file.open(QIODevice::ReadOnly)) {
            return nullptr;
        }
        const QByteArray bytes = file.readAll();
        uint32_t index = 0;
        if (bytes.size() < 4) {
            return nullptr;
        }
        std::memcpy(&index, bytes.constData(), 4);
        const qsizetype at = 4 + static_cast<qsizetype>(index) * sizeof(ProfileRecord);
        if (bytes.size() < at + static_cast<qsizetype>(sizeof(ProfileRecord))) {
            return nullptr;
        }
        auto record = std::make_unique<ProfileRecord>();
        std::memcpy(record.get(), bytes.constData() + at, sizeof(ProfileRecord));
        return record;
    }
    bool NoticeShown() {
        return window->Find<Control>(QStringLiteral("ms_1_apply_notice")).IsVisible();
    }
};

TEST_F(ProgramWithMouse, BothUsbLinksAtStartSendOverTheCableOnly) {
    auto& mouse = sim::SharedMouse();
    mouse.SetCablePlugged(true);
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    Open();
    EXPECT_EQ(Page().DeviceConnected(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->IsVisible(); }, kWaitMs));
    EXPECT_TRUE(Controls().wired.IsVisible());
    EXPECT_FALSE(Controls().wireless.IsVisible());

    ApplyAndWait();
    EXPECT_EQ(ReportIds(), (std::vector<uint8_t>{0x0C, 0x04, 0x05, 0x06, 0x08}));
    for (const auto& entry : mouse.Log()) {
        EXPECT_EQ(entry.link, Link::Cable);
        EXPECT_TRUE(entry.accepted) << entry.reason;
    }
    // The mouse now holds the profile: its current stage is the third.
    EXPECT_EQ(mouse.Settings().dpi.currentStage, 3);
}

TEST_F(ProgramWithMouse, OnlyTheReceiverWithTheMouseAsleepKeepsTheWindowButDropsApplies) {
    sim::SharedMouse().SetReceiverPlugged(true);
    Open();
    EXPECT_EQ(Page().DeviceConnected(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->DeviceShown() == 1; }, kWaitMs));
    EXPECT_FALSE(Controls().wireless.IsVisible());
    ApplyAndWait();
    EXPECT_EQ(Worker().RequestsDropped(), 1);
    EXPECT_EQ(Worker().AppliesRun(), 0);
    EXPECT_TRUE(sim::SharedMouse().Log().empty());
}

TEST_F(ProgramWithMouse, ReceiverPluggedLaterShowsItsIndicatorAtOnce) {
    sim::SharedMouse().SetCablePlugged(true);
    Open();
    ASSERT_FALSE(Controls().wireless.IsVisible());
    sim::SharedMouse().SetReceiverPlugged(true);  // the mouse behind it still sleeps
    EXPECT_TRUE(QTest::qWaitFor([&] { return Controls().wireless.IsVisible(); }, kWaitMs));
    EXPECT_EQ(Page().Links()->Links().receiverState, 1);
    EXPECT_EQ(Page().Links()->Links().wirelessAwake, 0);
}

TEST_F(ProgramWithMouse, UnpluggingTheCableWhileTheReceiverIsPresentKeepsTheWindowOpen) {
    auto& mouse = sim::SharedMouse();
    mouse.SetCablePlugged(true);
    mouse.SetReceiverPlugged(true);
    Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->IsVisible(); }, kWaitMs));
    mouse.SetCablePlugged(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Page().Links()->Links().cableState == 2; }, kWaitMs));
    QTest::qWait(50);
    EXPECT_EQ(Page().DeviceConnected(), 1);
    EXPECT_EQ(window->DeviceShown(), 1);
    EXPECT_TRUE(window->IsVisible());
    EXPECT_FALSE(Controls().wired.IsVisible());
}

TEST_F(ProgramWithMouse, ADpiButtonPressOnTheMouseIsShownAndNotSentBack) {
    sim::SharedMouse().SetCablePlugged(true);
    Open();
    ApplyAndWait();  // the first apply sends everything
    sim::SharedMouse().ClearLog();

    sim::SharedMouse().PressDpiButton();  // stage 3 -> 4
    ASSERT_TRUE(QTest::qWaitFor([&] { return Controls().optionDpiStep[3].IsSelected(); }, kWaitMs));
    EXPECT_EQ(Page().Store().TakeSnapshotOfCurrent()->slots[0].dpiStage, 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->DpiPopup() != nullptr; }, kWaitMs));
    EXPECT_EQ(window->DpiPopup()->DisplayText(), QStringLiteral("DPI :2400"));

    ApplyAndWait();
    EXPECT_TRUE(sim::SharedMouse().Log().empty()) << ReportIds().size() << " transfers";
}

TEST_F(ProgramWithMouse, PowerStatusOverTheReceiverDrivesTheBatteryDisplay) {
    auto& mouse = sim::SharedMouse();
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    Open();
    mouse.SetBattery(90, false, false);
    mouse.EmitStatus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Controls().progressPower.Value() == 90; }, kWaitMs));
    EXPECT_EQ(Controls().labelPower.Text(), QStringLiteral("90%"));
    EXPECT_EQ(Page().Links()->Links().wirelessAwake, 1);
    EXPECT_TRUE(Controls().wireless.IsVisible());

    mouse.SetBattery(90, true, false);  // charging: the bar runs its animation
    mouse.EmitStatus();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Controls().labelPower.TextKey() == QStringLiteral("charging_text"); },
        kWaitMs));
    const int first = Controls().progressPower.Value();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Controls().progressPower.Value() != first; }, kWaitMs));
}

TEST_F(ProgramWithMouse, PowerStatusOverBluetoothStopsTheChargeAnimation) {
    auto& mouse = sim::SharedMouse();
    mouse.SetBluetoothConnected(true);
    platform.bluetoothPresentAtStart = [] { return true; };
    Open();
    EXPECT_EQ(Page().BleConnected(), 1);
    EXPECT_TRUE(Controls().ble.IsVisible());
    window->SendMessage(ui::kMsgTimer, 517);  // the registration timer, without waiting for it
    ASSERT_TRUE(Page().Links()->Ble().HasRegistration());

    mouse.SetBattery(40, true, false);
    mouse.EmitStatus();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Controls().labelPower.TextKey() == QStringLiteral("charging_text"); },
        kWaitMs));
    mouse.SetBattery(75, false, false);
    mouse.EmitStatus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Controls().labelPower.Text() == "75%"; }, kWaitMs));
    // Stopped: the bar keeps the level.
    QTest::qWait(100);
    EXPECT_EQ(Controls().progressPower.Value(), 75);
}

TEST_F(ProgramWithMouse, ALinkDroppedDuringAMacroTransferNeitherHangsNorCrashes) {
    auto& mouse = sim::SharedMouse();
    mouse.SetCablePlugged(true);
    Open();
    Page().Store().WithLock([](ProfileStore& s) {
        ButtonEntry& entry = s.Current()->slots[0].buttons[4];
        entry.functionCode = kFunctionMacro;
        entry.macroRepeatCount = 1;
        entry.macroActionCount = 2;
        entry.macroActions[0] = {0x04, 1, 10};
        entry.macroActions[1] = {0x04, 2, 10};
        return 0;
    });
    // The cable goes away in the middle of the macro's three frames.
    mouse.DropLinkAfter(Link::Cable, 6);
    ApplyAndWait();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Page().Links()->Links().cableState == 2; }, kWaitMs));
    EXPECT_TRUE(window->IsWindow());
    // The program goes on: the cable comes back, the profile goes out in full again, and the
    // next apply reaches the mouse.
    mouse.SetCablePlugged(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Page().Links()->Links().cableState == 1; }, kWaitMs));
    window->Find<Button>(QStringLiteral("ms_1_btn_apply")).Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() == 3; }, kWaitMs));
    const auto macros = mouse.Settings().macros;
    ASSERT_EQ(macros.count(5), 1u);  // button 5's macro, cut short by the drop, is whole now
    EXPECT_EQ(macros.at(5).actions.size(), 2u);
}

TEST_F(ProgramWithMouse, ARateTheReceiverRefusedReachesTheMouseOnceItAnswersAgain) {
    QuickSleeper quick;
    platform.sleeper = &quick;
    auto& mouse = sim::SharedMouse();
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    Open();
    // The mouse wakes behind the receiver: the profile loaded at start goes out in full.
    mouse.EmitStatus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() == 1; }, kWaitMs));
    QTest::qWait(0);
    ASSERT_EQ(mouse.Settings().rateCode, 4);
    EXPECT_FALSE(NoticeShown());

    mouse.SetAckMode(sim::AckMode::Refuse);
    Option(Controls().btnReportRate[3]).Select(Notify::kYes);  // the user picks rate code 1
    ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() == 2; }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return NoticeShown(); }, kWaitMs));
    EXPECT_EQ(mouse.Settings().rateCode, 4);

    // The fault clears and the mouse sends its status: no click, yet the rate reaches it.
    mouse.SetAckMode(sim::AckMode::Accept);
    mouse.EmitStatus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() == 3; }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !NoticeShown(); }, kWaitMs));
    EXPECT_EQ(mouse.Settings().rateCode, 1);
}

TEST_F(ProgramWithMouse, AMouseThatKeepsRefusingIsRetriedThreeTimesThenLeftAlone) {
    QuickSleeper quick;
    platform.sleeper = &quick;
    auto& mouse = sim::SharedMouse();
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    Open();
    mouse.EmitStatus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() == 1; }, kWaitMs));
    mouse.SetAckMode(sim::AckMode::Refuse);
    Option(Controls().optionDpiStep[0]).Select(Notify::kYes);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() == 2; }, kWaitMs));

    for (int answer = 1; answer <= 5; ++answer) {
        mouse.SetBattery(60 + answer, false, false);
        mouse.EmitStatus();
        const QString shown = QStringLiteral("%1%").arg(60 + answer);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return Controls().labelPower.Text() == shown; }, kWaitMs));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().Idle(); }, kWaitMs));
    }
    EXPECT_EQ(Worker().AppliesRun(), 2 + 3);
    QTest::qWait(0);
    EXPECT_TRUE(NoticeShown());
}

TEST_F(ProgramWithMouse, ARateChangedOnTheMouseSelectsItsOption) {
    sim::SharedMouse().SetCablePlugged(true);
    Open();
    ASSERT_TRUE(Controls().btnReportRate[1].IsSelected());  // rate code 4
    sim::SharedMouse().PressReportRateButton();             // 4 -> 2
    ASSERT_TRUE(QTest::qWaitFor([&] { return Controls().btnReportRate[2].IsSelected(); }, kWaitMs));
    EXPECT_EQ(Page().Store().TakeSnapshotOfCurrent()->slots[0].reportRate, 2);
}

TEST_F(ProgramWithMouse, AnEditWhileTheMouseSleepsIsSavedAtOnceAndSentWhenItWakes) {
    auto& mouse = sim::SharedMouse();
    mouse.SetReceiverPlugged(true);  // the mouse behind it sleeps: no apply can run
    Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->IsVisible(); }, kWaitMs));
    Option(Controls().optionDpiStep[6]).Select(Notify::kYes);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().RequestsDropped() == 1; }, kWaitMs));
    const auto stored = StoredCurrent();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->slots[0].dpiStage, 6);
    EXPECT_TRUE(mouse.Log().empty());

    mouse.SetMouseAwake(true);
    mouse.EmitStatus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() == 1; }, kWaitMs));
    EXPECT_EQ(mouse.Settings().dpi.currentStage, 7);
}

TEST_F(ProgramWithMouse, AnEditNotYetSentIsSavedOnTheWayOut) {
    Open();                                                         // no link at all
    Slider(Controls().sliderSleepTimer).SetValue(9, Notify::kYes);  // the debounce still runs
    window.reset();
    const auto stored = StoredCurrent();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->slots[0].sleepTimer, 9);
}

TEST_F(ProgramWithMouse, QuittingWhileTheReceiverRetriesEndsTheRetriesAndSaves) {
    auto& mouse = sim::SharedMouse();
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    mouse.SetAckMode(sim::AckMode::Silent);  // the answers never come back
    Open();
    mouse.EmitStatus();  // awake: the full apply starts, paced at 500 ms a try
    ASSERT_TRUE(QTest::qWaitFor([&] { return !mouse.Log().empty(); }, kWaitMs));
    Page().Store().WithLock([](ProfileStore& s) { return s.Current()->slots[0].lightSpeed = 2; });

    window.reset();  // the teardown joins the worker
    // Ten tries for each of five reports would follow without the stop.
    EXPECT_LT(mouse.Log().size(), 10u);
    const auto stored = StoredCurrent();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->slots[0].lightSpeed, 2);
}

TEST_F(ProgramWithMouse, ACableThatComesBackGetsTheWholeProfileOnce) {
    auto& mouse = sim::SharedMouse();
    Open();
    mouse.SetCablePlugged(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() == 1; }, kWaitMs));
    // An apply of our own after it: had the arrival asked twice, a second full set would show.
    window->Find<Button>(QStringLiteral("ms_1_btn_apply")).Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() == 2; }, kWaitMs));
    EXPECT_EQ(ReportIds(), (std::vector<uint8_t>{0x0C, 0x04, 0x05, 0x06, 0x08}));
}

TEST_F(ProgramWithMouse, ASystemResumeSendsTheWholeProfileOnce) {
    PrivateBus bus;
    if (!bus.Running()) {
        GTEST_SKIP() << bus.Problem().toStdString();
    }
    QDBusConnection logind = bus.Connect(QStringLiteral("fake_logind"));
    ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));
    platform.watchResume = [&bus](std::function<void()> onResume) {
        return std::make_unique<ResumeWatcher>(bus.Connect(QStringLiteral("program")),
                                               std::move(onResume));
    };
    const auto announce = [&](bool sleeping) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << sleeping;
        ASSERT_TRUE(logind.send(signal));
    };
    sim::SharedMouse().SetCablePlugged(true);
    Open();

    announce(true);
    announce(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() == 1; }, kWaitMs));
    // An apply of our own after it: a second full set would show had the sleep asked as well.
    window->Find<Button>(QStringLiteral("ms_1_btn_apply")).Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() == 2; }, kWaitMs));
    EXPECT_EQ(ReportIds(), (std::vector<uint8_t>{0x0C, 0x04, 0x05, 0x06, 0x08}));
    window.reset();
}

// Bluetooth through BlueZ, here a small BlueZ of ours on a private bus: the mouse coming back over
// Bluetooth gets the profile written to 0xFEE3 byte for byte, and its notifications reach the
// page.
TEST_F(ProgramWithMouse, TheMouseOverBluezTakesTheProfileAndItsEventsReachThePage) {
    PrivateBus bus;
    if (!bus.Running()) {
        GTEST_SKIP() << bus.Problem().toStdString();
    }
    FakeBluez bluez(bus.Address(), QStringLiteral("fake_bluez"));
    ASSERT_TRUE(bluez.Registered());
    const QString mouse = QStringLiteral("E0:D4:E8:4A:1B:2C");
    bluez.AddDevice({mouse, QStringLiteral("usb:v045Ep0069d0001")});
    BluezGattBackend* backend = nullptr;
    platform.makeGattBackend = [&] {
        auto made = std::make_unique<BluezGattBackend>(bus.Connect(QStringLiteral("program")));
        backend = made.get();
        return std::unique_ptr<GattBackend>(std::move(made));
    };
    QuickSleeper quick;
    platform.sleeper = &quick;
    Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return backend->InterfacePaths().size() == 1; }, kWaitMs));

    Page().OnBleChange(1);                    // the mouse's Bluetooth interface arrived
    window->SendMessage(ui::kMsgTimer, 517);  // its registration, without waiting for the timer
    ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() == 1; }, kWaitMs));
    const auto record = Page().Store().TakeSnapshotOfCurrent();
    const auto bytes = [](const auto& report) {
        return QByteArray(reinterpret_cast<const char*>(report.data()),
                          static_cast<qsizetype>(report.size()));
    };
    // Everything but the report rate, which the mouse never takes over Bluetooth.
    EXPECT_EQ(bluez.Written(mouse),
              (std::vector<QByteArray>{bytes(BuildReport0C()), bytes(BuildDpiReport(*record)),
                                       bytes(BuildLightingReport(*record)),
                                       bytes(BuildButtonReport(*record))}));
    QTest::qWait(0);
    EXPECT_FALSE(NoticeShown());

    bluez.Notify(mouse, QByteArray::fromHex("6940014b"));  // on battery at 75 %
    EXPECT_TRUE(QTest::qWaitFor([&] { return Controls().labelPower.Text() == "75%"; }, kWaitMs));
    window.reset();
}

}  // namespace
