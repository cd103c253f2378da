// The program natively on a real Wayland compositor (sway, headless): its window maps as a
// Wayland window and stays on screen without a tray or a mouse, dragging its title area moves
// it, a tray host that comes 3 s after it gets its icon, a second start focuses the covered
// window with the launcher's activation token, and a DPI change made on the mouse reaches the
// desktop's notifications, or a popup that never takes the focus.
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QGuiApplication>
#include <QJsonObject>
#include <QWidget>
#include <QWindow>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "app/dpi_msg.h"
#include "sim/hidapi/shared_mouse.h"
#include "tests/dbus/fake_notifications.h"
#include "tests/dbus/fake_status_notifier_watcher.h"
#include "tests/dbus/private_bus.h"
#include "tests/wayland/headless_compositor.h"
#include "tests/wayland/program_on_compositor.h"
#include "tests/wayland/virtual_input.h"
#include "tests/wayland/wayland_session.h"

namespace {

constexpr int kWaitMs = 20000;
const QString kMainTitle = QStringLiteral("Corvane TALVORE Mouse");

class OnCompositor : public ::testing::Test {
protected:
    void SetUp() override { TALVORE_NEED_COMPOSITOR(); }
    VirtualInput& Input() {
        VirtualInput* input = TestCompositor().Input();
        if (input == nullptr) {
            ADD_FAILURE() << TestCompositor().InputProblem().toStdString();
            static VirtualInput none{QProcessEnvironment()};
            return none;
        }
        return *input;
    }
};

// The program with no mouse and no tray: a native window (xdg-shell, the app id of its desktop
// entry) that stays on screen saying that no mouse is there.
TEST_F(OnCompositor, TheWindowMapsNativelyAndStaysWithoutATrayOrAMouse) {
    ProgramProcess program(ProgramProcess::Kind::Program);
    ASSERT_TRUE(program.Start());
    const auto window = WaitForWindow(program.Pid(), kMainTitle);
    ASSERT_TRUE(window) << program.Log().toStdString();
    EXPECT_EQ(window->value(QStringLiteral("shell")).toString(), QStringLiteral("xdg_shell"));
    EXPECT_EQ(window->value(QStringLiteral("app_id")).toString(),
              QStringLiteral("org.talvore.Talvore"));
    EXPECT_EQ(HeadlessCompositor::ContentRect(*window).size(), QSize(800, 572));
    QTest::qWait(3000);
    EXPECT_TRUE(WaitForWindow(program.Pid(), kMainTitle)) << "the window went away";
}

// Pressing in the title area and dragging moves the window with the pointer.
TEST_F(OnCompositor, DraggingTheTitleAreaMovesTheWindow) {
    ProgramProcess program(ProgramProcess::Kind::Program);
    ASSERT_TRUE(program.Start());
    const auto window = WaitForWindow(program.Pid(), kMainTitle);
    ASSERT_TRUE(window) << program.Log().toStdString();
    const QRect before = HeadlessCompositor::ContentRect(*window);
    const QPoint grab = before.topLeft() + QPoint(150, 25);  // beside the title, in the bar

    // The program asks the compositor to move the window once it has seen the press: edge the
    // pointer to the right until the window follows; from where the move began, the window
    // keeps its distance to the pointer. A press the program took before it was ready to move
    // its window is let go and made again.
    int nudge = 0;
    QRect following;
    bool follows = false;
    for (int attempt = 0; attempt < 5 && !follows; ++attempt) {
        nudge = 0;
        ASSERT_TRUE(Input().MoveTo(grab.x(), grab.y())) << Input().Problem().toStdString();
        ASSERT_TRUE(Input().Button(QStringLiteral("left"), QStringLiteral("down")));
        follows = QTest::qWaitFor(
            [&] {
                ++nudge;
                Input().MoveTo(grab.x() + nudge, grab.y());
                const auto w = WaitForWindow(program.Pid(), kMainTitle);
                following = w ? HeadlessCompositor::ContentRect(*w) : QRect();
                return following.isValid() && following.x() != before.x();
            },
            4000);
        if (!follows) {
            ASSERT_TRUE(Input().Button(QStringLiteral("left"), QStringLiteral("up")));
        }
    }
    ASSERT_TRUE(follows) << "the window never followed the pointer";
    const QPoint moveBegan = grab + QPoint(nudge - (following.x() - before.x()), 0);
    const QPoint target = grab + QPoint(-140, 90);
    for (int step = 1; step <= 10; ++step) {
        const QPoint at = moveBegan + (target - moveBegan) * step / 10;
        ASSERT_TRUE(Input().MoveTo(at.x(), at.y()));
    }
    ASSERT_TRUE(Input().Button(QStringLiteral("left"), QStringLiteral("up")));
    const QPoint expected = before.topLeft() + (target - moveBegan);
    QRect after;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const auto moved = WaitForWindow(program.Pid(), kMainTitle);
            after = moved ? HeadlessCompositor::ContentRect(*moved) : QRect();
            return after.topLeft() == expected;
        },
        kWaitMs))
        << "from " << before.x() << "," << before.y() << " to " << after.x() << "," << after.y()
        << ", expected " << expected.x() << "," << expected.y();
    EXPECT_EQ(after.size(), before.size());
}

// At login the program may start before the panel that holds the tray: its icon registers with
// the StatusNotifierItem host as soon as one comes.
TEST_F(OnCompositor, ATrayHostThatComesThreeSecondsLaterGetsTheIcon) {
    if (!TestSessionBus().Running()) {
        GTEST_SKIP() << TestSessionBus().Problem().toStdString();
    }
    ProgramProcess program(ProgramProcess::Kind::Program);
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForLine("running"))
        << program.Log().toStdString() << " state " << program.Process().state() << " "
        << program.Process().readAllStandardOutput().toStdString();
    QTest::qWait(3000);
    QDBusConnection bus = TestSessionBus().Connect(QStringLiteral("late-tray"));
    FakeStatusNotifierWatcher tray(bus);
    ASSERT_TRUE(tray.Start());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !tray.RegisteredStatusNotifierItems().isEmpty(); }, kWaitMs))
        << program.Log().toStdString();
    // The item is the program's, and shows the mouse's name.
    const QString item = tray.RegisteredStatusNotifierItems().constFirst();
    const QString service = item.left(item.indexOf(QLatin1Char('/')));
    EXPECT_EQ(bus.interface()->servicePid(service).value(), static_cast<uint>(program.Pid()));
    QDBusInterface properties(service, item.mid(service.size()),
                              QStringLiteral("org.kde.StatusNotifierItem"), bus);
    EXPECT_EQ(properties.property("Category").toString(), QStringLiteral("ApplicationStatus"));
}

// The window of a running program lies under another one; starting the program again brings it
// forward with the focus, as the launcher's activation token allows. Without a token the
// compositor keeps the focus where it is.
TEST_F(OnCompositor, ASecondStartWithTheLaunchersTokenFocusesTheCoveredWindow) {
    ProgramProcess first(ProgramProcess::Kind::Demo);
    first.Environment().insert(QStringLiteral("TALVORE_SIM_LINKS"), QStringLiteral("cable"));
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(WaitForWindow(first.Pid(), kMainTitle)) << first.Log().toStdString();

    ProgramProcess cover(ProgramProcess::Kind::Program);
    ASSERT_TRUE(cover.Start());
    ASSERT_TRUE(WaitForWindow(cover.Pid(), kMainTitle));
    ASSERT_TRUE(WaitForFocus(cover.Pid(), kMainTitle));

    const auto startAgain = [&](const QString& token) {
        ProgramProcess second(ProgramProcess::Kind::Demo);
        second.Environment().insert(QStringLiteral("XDG_RUNTIME_DIR"),
                                    first.Environment().value(QStringLiteral("XDG_RUNTIME_DIR")));
        second.Environment().remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
        if (!token.isEmpty()) {
            second.Environment().insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), token);
        }
        ASSERT_TRUE(second.Start());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return second.Process().state() == QProcess::NotRunning; }, kWaitMs));
        EXPECT_EQ(second.Process().exitCode(), 1);
        ASSERT_TRUE(first.WaitForLine("asked this instance to come forward"));
    };
    startAgain(QString());
    QTest::qWait(1500);
    EXPECT_TRUE(WaitForFocus(cover.Pid(), kMainTitle));

    const QString token = Input().Token();
    ASSERT_FALSE(token.isEmpty()) << Input().Problem().toStdString();
    startAgain(token);
    EXPECT_TRUE(WaitForFocus(first.Pid(), kMainTitle)) << first.Log().toStdString();
}

// The demo as a user starts it: TALVORE_SIM_BATTERY sets the simulated mouse's level. At 12 %
// exactly one notification comes, however many readings follow; at 60 % none.
TEST_F(OnCompositor, TheDemoAtTwelvePercentSendsOneNotificationAndAtSixtyNone) {
    if (!TestSessionBus().Running()) {
        GTEST_SKIP() << TestSessionBus().Problem().toStdString();
    }
    for (const int level : {12, 60}) {
        SCOPED_TRACE(level);
        FakeNotifications notes(TestSessionBus().Connect(QStringLiteral("notes-%1").arg(level)));
        ASSERT_TRUE(notes.Start());
        ProgramProcess demo(ProgramProcess::Kind::Demo);
        demo.Environment().insert(QStringLiteral("TALVORE_SIM_LINKS"),
                                  QStringLiteral("receiver,awake"));
        demo.Environment().insert(QStringLiteral("TALVORE_SIM_BATTERY"), QString::number(level));
        demo.Environment().insert(
            QStringLiteral("QT_LOGGING_RULES"),
            QStringLiteral("talvore.program.info=true;talvore.battery.debug=true"));
        ASSERT_TRUE(demo.Start());
        const QByteArray reading = "battery reading: " + QByteArray::number(level);
        ASSERT_TRUE(demo.WaitForLine(reading)) << demo.Log().toStdString();
        // The mouse reports its level again every few seconds: wait for two more readings.
        const auto readings = [&] { return demo.Log().count(reading); };
        const qsizetype seen = readings();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                demo.ReadOutput();
                return readings() >= seen + 2;
            },
            kWaitMs))
            << demo.Log().toStdString();
        if (level == 12) {
            ASSERT_EQ(notes.Received().size(), 1);
            EXPECT_EQ(notes.Received().constFirst().summary, QStringLiteral("Mouse battery low"));
            EXPECT_EQ(notes.Received().constFirst().body,
                      QStringLiteral("12% left. Connect the cable to charge the mouse."));
        } else {
            EXPECT_TRUE(notes.Received().isEmpty());
        }
    }
}

// Started in the tray (as the autostart entry starts it): with a tray no window maps at all;
// without one the window comes, as there would be no other way to it.
TEST_F(OnCompositor, StartedHiddenWithATrayNoWindowMapsAndWithoutOneTheWindowShows) {
    if (!TestSessionBus().Running()) {
        GTEST_SKIP() << TestSessionBus().Problem().toStdString();
    }
    {
        FakeStatusNotifierWatcher tray(TestSessionBus().Connect(QStringLiteral("tray-at-start")));
        ASSERT_TRUE(tray.Start());
        ProgramProcess demo(ProgramProcess::Kind::Demo);
        ASSERT_TRUE(demo.Start({QStringLiteral("--hidden")}));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !tray.RegisteredStatusNotifierItems().isEmpty(); },
                                    kWaitMs))
            << demo.Log().toStdString();
        QTest::qWait(3000);
        EXPECT_FALSE(TestCompositor().FindWindow([&](const QJsonObject& w) {
            return w.value(QStringLiteral("pid")).toInteger() == demo.Pid();
        })) << "a window of the demo mapped";
    }
    ProgramProcess demo(ProgramProcess::Kind::Demo);
    ASSERT_TRUE(demo.Start({QStringLiteral("--hidden")}));
    EXPECT_TRUE(WaitForWindow(demo.Pid(), kMainTitle)) << demo.Log().toStdString();
}

TEST_F(ProgramOnCompositor, ADpiChangeReachesTheNotificationsOrAPopupThatTakesNoFocus) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
    auto notes = std::make_unique<FakeNotifications>(
        TestSessionBus().Connect(QStringLiteral("notifications")));
    ASSERT_TRUE(notes->Start());
    UseLanguage(2);
    sim::SharedMouse().SetCablePlugged(true);
    Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return MainWindowActive(); }, kWaitMs));

    sim::SharedMouse().PressDpiButton();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notes->Received().isEmpty(); }, kWaitMs));
    EXPECT_TRUE(notes->Received().constFirst().body.startsWith(QStringLiteral("DPI :")));
    EXPECT_EQ(window->DpiPopup(), nullptr);

    // No notification service: the popup, centred on the window, and the focus stays.
    notes.reset();
    sim::SharedMouse().PressDpiButton();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->DpiPopup() != nullptr; }, kWaitMs));
    QWidget* popup = window->DpiPopup()->RootWidget();
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup->isVisible(); }, kWaitMs));
    QTest::qWait(500);
    EXPECT_FALSE(popup->isActiveWindow());
    EXPECT_TRUE(MainWindowActive());
    EXPECT_TRUE(WaitForFocus(QCoreApplication::applicationPid(), kMainTitle));
}

}  // namespace
