// The program on the desktop with the simulated mouse behind the demo's drivers: low-battery
// notifications and the tray's badge, the quiet start, the window that comes up when the mouse
// arrives after "No mouse found" or stays when links drop without a tray, and the DPI change that
// goes to the desktop's notifications where a window cannot place itself. The notification
// service is a stand-in on a private bus, which is this process's session bus.
#include <QStackedWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "app/dpi_msg.h"
#include "link/program_messages.h"
#include "sim/hidapi/shared_mouse.h"
#include "tests/dbus/fake_notifications.h"
#include "tests/dbus/private_bus.h"
#include "tests/e2e/program_on_mouse.h"
#include "ui/language_manager.h"
#include "ui/test_hook.h"
#include "ui/tray_icon.h"

namespace {

using namespace program_messages;

// One bus for the process: Qt connects to the session bus once.
PrivateBus& SessionBus() {
    static auto* bus = [] {
        auto* b = new PrivateBus;
        if (b->Running()) {
            qputenv("DBUS_SESSION_BUS_ADDRESS", b->Address().toUtf8());
        }
        return b;
    }();
    return *bus;
}

class DesktopOnMouse : public ProgramOnMouse {
protected:
    void SetUp() override {
        if (!SessionBus().Running()) {
            GTEST_SKIP() << SessionBus().Problem().toStdString();
        }
        ProgramOnMouse::SetUp();
        TrayIcon::OverrideHostPresent(true);
        UseLanguage(2);
        notes = std::make_unique<FakeNotifications>(
            SessionBus().Connect(QStringLiteral("notes-%1").arg(++connections_)));
    }
    void TearDown() override {
        ProgramOnMouse::TearDown();
        notes.reset();
        TrayIcon::OverrideHostPresent(std::nullopt);
        qunsetenv("TALVORE_SESSION");
    }
    // Sets the level and waits until the page shows it.
    void Battery(int level, bool charging = false) {
        sim::SharedMouse().SetBattery(level, charging, false);
        const QString shown =
            charging ? LanguageManager::Instance().Text(QStringLiteral("charging_text"))
                     : QStringLiteral("%1%").arg(level);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return window->Tray().ToolTip().endsWith(QStringLiteral(": ") + shown); },
            kWaitMs))
            << window->Tray().ToolTip().toStdString();
        QTest::qWait(50);  // a notification sent now has time to arrive
    }
    // Waits until the service holds `count` notifications, then a little more for one too many.
    bool NotesBecome(int count) {
        const bool reached =
            QTest::qWaitFor([&] { return notes->Received().size() >= count; }, kWaitMs);
        QTest::qWait(100);
        return reached && notes->Received().size() == count;
    }
    int ShownPage() const {
        auto* stack =
            window->RootWidget()->findChild<QStackedWidget*>(QStringLiteral("device_tab_switch"));
        return stack->currentWidget()->isVisibleTo(stack) ? stack->currentIndex() : -1;
    }

    std::unique_ptr<FakeNotifications> notes;
    static inline int connections_ = 0;
};

TEST_F(DesktopOnMouse, LowBatteryIsToldOnceAtFifteenAgainAtFiveAndOnlyAfterChargingOnceMore) {
    ASSERT_TRUE(notes->Start());
    auto& mouse = sim::SharedMouse();
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    Open();
    Battery(60);
    EXPECT_TRUE(notes->Received().isEmpty());
    EXPECT_FALSE(window->Tray().HasLowBatteryBadge());

    Battery(15);
    ASSERT_TRUE(NotesBecome(1));
    const ReceivedNote low = notes->Received()[0];
    EXPECT_EQ(low.summary, QStringLiteral("Mouse battery low"));
    EXPECT_EQ(low.body, QStringLiteral("15% left. Connect the cable to charge the mouse."));
    EXPECT_TRUE(low.icon.endsWith(QStringLiteral("icon_256.png")));
    EXPECT_EQ(low.replacesId, 0u);
    EXPECT_TRUE(window->Tray().HasLowBatteryBadge());

    Battery(12);
    Battery(16);  // wavering below the re-arming level: no second warning
    Battery(14);
    EXPECT_TRUE(NotesBecome(1));

    Battery(5);
    ASSERT_TRUE(NotesBecome(2));
    EXPECT_EQ(notes->Received()[1].summary, QStringLiteral("Mouse battery almost empty"));
    EXPECT_EQ(notes->Received()[1].hints.value(QStringLiteral("urgency")).toInt(), 2);
    EXPECT_EQ(notes->Received()[1].replacesId, low.givenId);  // replaces the first
    Battery(3);
    EXPECT_TRUE(NotesBecome(2));

    // Charging: no warning, no badge; falling low again after it warns again.
    Battery(3, true);
    EXPECT_FALSE(window->Tray().HasLowBatteryBadge());
    EXPECT_TRUE(NotesBecome(2));
    Battery(14);
    ASSERT_TRUE(NotesBecome(3));
    EXPECT_EQ(notes->Received()[2].summary, QStringLiteral("Mouse battery low"));
    // Above 20 % re-arms as charging does.
    Battery(21);
    Battery(15);
    EXPECT_TRUE(NotesBecome(4));
}

// The first reading of a run that is already low warns: the user has not been told in this run.
// Without a notification service there is no notification and no error, only the badge.
TEST_F(DesktopOnMouse, ALevelLowAtStartWarnsOnceAndWithoutAServiceOnlyTheBadgeShows) {
    auto& mouse = sim::SharedMouse();
    mouse.SetCablePlugged(false);
    mouse.SetBattery(12, false, false);
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    Open();
    Battery(12);
    EXPECT_TRUE(window->Tray().HasLowBatteryBadge());
    EXPECT_TRUE(notes->Received().isEmpty());
    EXPECT_EQ(TestHook::ModalRuns().size(), 0u);

    ASSERT_TRUE(notes->Start());
    Battery(11);
    Battery(4);
    ASSERT_TRUE(NotesBecome(1));
    EXPECT_EQ(notes->Received()[0].summary, QStringLiteral("Mouse battery almost empty"));
}

TEST_F(DesktopOnMouse, StartedHiddenTheWindowStaysInTheTrayAndWithoutATrayItShows) {
    sim::SharedMouse().SetCablePlugged(true);
    for (const bool tray : {true, false}) {
        SCOPED_TRACE(tray ? "tray" : "no tray");
        TrayIcon::OverrideHostPresent(tray);
        window = std::make_unique<CMainWnd>(platform);
        window->SetStartHidden(true);
        ASSERT_TRUE(window->Create(nullptr, 0, QRect(0, 0, 800, 572)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->DeviceShown() == 1; }, kWaitMs));
        QTest::qWait(50);
        EXPECT_EQ(window->IsVisible(), !tray);
        // Asked for from the tray, it comes.
        window->SendMessage(kTrayIcon, 0, ui::kMouseLeftButtonUp);
        EXPECT_TRUE(window->IsVisible());
        window.reset();
    }
}

TEST_F(DesktopOnMouse, TheWindowComesUpWhenTheMouseArrivesAfterNoMouseFound) {
    Open();
    EXPECT_FALSE(window->IsVisible());
    TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1);
    window->SendMessage(kTrayIcon, 0, ui::kMouseLeftButtonUp);
    ASSERT_EQ(TestHook::ModalRuns().count(QStringLiteral("MsgWnd")), 1);
    EXPECT_FALSE(window->IsVisible());

    sim::SharedMouse().SetCablePlugged(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->IsVisible(); }, kWaitMs));
    EXPECT_EQ(ShownPage(), 0);

    // Without the user asking, a mouse that comes later leaves the program in the tray.
    sim::SharedMouse().SetCablePlugged(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->IsVisible(); }, kWaitMs));
    sim::SharedMouse().SetCablePlugged(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->DeviceShown() == 1; }, kWaitMs));
    QTest::qWait(50);
    EXPECT_FALSE(window->IsVisible());
}

TEST_F(DesktopOnMouse, WithoutATrayLinksDroppingLeaveTheWindowShownWithoutAMouse) {
    TrayIcon::OverrideHostPresent(false);
    sim::SharedMouse().SetCablePlugged(true);
    Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->IsVisible(); }, kWaitMs));
    EXPECT_EQ(ShownPage(), 0);
    sim::SharedMouse().SetCablePlugged(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->DeviceShown() == 0; }, kWaitMs));
    QTest::qWait(50);
    EXPECT_TRUE(window->IsVisible());
    EXPECT_EQ(ShownPage(), 1);
    sim::SharedMouse().SetCablePlugged(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShownPage() == 0; }, kWaitMs));
}

// Where windows cannot place themselves, a DPI change made on the mouse goes to the desktop's
// notifications, each replacing the last; without a service, the popup shows it.
TEST_F(DesktopOnMouse, OnWaylandTheDpiChangeIsADesktopNotificationThatReplacesTheLast) {
    qputenv("TALVORE_SESSION", "wayland");
    ASSERT_TRUE(notes->Start());
    auto& mouse = sim::SharedMouse();
    mouse.SetCablePlugged(true);
    Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->DeviceShown() == 1; }, kWaitMs));
    mouse.PressDpiButton();
    ASSERT_TRUE(NotesBecome(1));
    const ReceivedNote first = notes->Received()[0];
    EXPECT_EQ(first.summary, QStringLiteral("Corvane TALVORE Mouse"));
    EXPECT_TRUE(first.body.startsWith(QStringLiteral("DPI :"))) << first.body.toStdString();
    EXPECT_EQ(first.expireTimeout, 2000);
    EXPECT_EQ(window->DpiPopup(), nullptr);
    mouse.PressDpiButton();
    ASSERT_TRUE(NotesBecome(2));
    EXPECT_EQ(notes->Received()[1].replacesId, first.givenId);
    EXPECT_NE(notes->Received()[1].body, first.body);

    notes.reset();  // the service goes away
    mouse.PressDpiButton();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->DpiPopup() != nullptr; }, kWaitMs));
}

}  // namespace
