// The desktop services of sys/: which session the program runs in and which Qt platform it
// starts on, notifications that replace each other, the desktop's light or dark preference, and
// the autostart entry. The bus services are stand-ins on a private bus.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "sys/autostart.h"
#include "sys/desktop_color_scheme.h"
#include "sys/desktop_notifications.h"
#include "sys/session_type.h"
#include "tests/dbus/fake_notifications.h"
#include "tests/dbus/fake_portal_settings.h"
#include "tests/dbus/private_bus.h"

namespace {

constexpr int kWaitMs = 10000;

void EnsureApp() {
    static int argc = 1;
    static char name[] = "desktop_services_test";
    static char* argv[] = {name, nullptr};
    static auto* app = new QCoreApplication(argc, argv);
    (void)app;
}

TEST(SessionType, DecidedByThePlatformThenTheEnvironmentAndOverriddenForTests) {
    struct Case {
        const char* platform;
        const char* forced;
        const char* wayland;
        const char* display;
        const char* type;
        SessionKind expected;
    };
    const Case cases[] = {
        {"xcb", "", "wayland-0", "", "wayland", SessionKind::X11},  // Xwayland: X11 for us
        {"wayland", "", "", ":0", "x11", SessionKind::Wayland},
        {"wayland-egl", "", "", "", "", SessionKind::Wayland},
        {"offscreen", "", "wayland-0", ":0", "x11", SessionKind::Other},
        {"", "", "wayland-0", ":0", "", SessionKind::Wayland},
        {"", "", "", ":1", "wayland", SessionKind::X11},
        {"", "", "", "", "wayland", SessionKind::Wayland},
        {"", "", "", "", "tty", SessionKind::Other},
        {"xcb", "Wayland", "", ":0", "", SessionKind::Wayland},
        {"wayland", "x11", "", "", "", SessionKind::X11},
        {"xcb", "other", "", "", "", SessionKind::Other},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SessionKindOf(QLatin1String(c.platform), c.forced, c.wayland, c.display, c.type),
                  c.expected)
            << c.platform << " / " << c.forced << " / " << c.wayland << " / " << c.display << " / "
            << c.type;
    }
}

TEST(SessionType, NativeWaylandInAWaylandSessionXcbElsewhereAndTheUsersChoiceKept) {
    EXPECT_EQ(PreferredQtPlatform("", "wayland-0", ":0", "wayland"), "wayland;xcb");
    EXPECT_EQ(PreferredQtPlatform("", "wayland-1", "", ""), "wayland");
    // GNOME on Wayland: Qt 6.4 alone would pick xcb.
    EXPECT_EQ(PreferredQtPlatform("", "", ":0", "wayland"), "wayland;xcb");
    EXPECT_EQ(PreferredQtPlatform("", "", ":0", "x11"), "xcb");
    EXPECT_EQ(PreferredQtPlatform("xcb", "wayland-0", ":0", "wayland"), "");
    EXPECT_EQ(PreferredQtPlatform("offscreen", "", "", ""), "");
}

class BusServices : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        if (!bus.Running()) {
            GTEST_SKIP() << bus.Problem().toStdString();
        }
    }
    PrivateBus bus;
};

TEST_F(BusServices, NotificationsOfOneChannelReplaceEachOtherAndOnlyTheNewestWaits) {
    FakeNotifications service(bus.Connect(QStringLiteral("service")));
    ASSERT_TRUE(service.Start());
    DesktopNotifications dpi(bus.Connect(QStringLiteral("program")));
    DesktopNotifications battery(bus.Connect(QStringLiteral("program")));
    EXPECT_TRUE(dpi.Available());

    dpi.Show({QStringLiteral("Mouse"), QStringLiteral("DPI :800"), {}, 2000, false});
    // Given before the first answer: these wait, and only the newest goes out.
    dpi.Show({QStringLiteral("Mouse"), QStringLiteral("DPI :1600"), {}, 2000, false});
    dpi.Show({QStringLiteral("Mouse"), QStringLiteral("DPI :3200"), {}, 2000, false});
    battery.Show({QStringLiteral("Battery"), QStringLiteral("12% left"), {}, -1, true});
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.Received().size() == 3; }, kWaitMs));
    QTest::qWait(100);
    ASSERT_EQ(service.Received().size(), 3);

    const QList<ReceivedNote>& notes = service.Received();
    const ReceivedNote& first = notes[0].body == QLatin1String("DPI :800") ? notes[0] : notes[1];
    EXPECT_EQ(first.replacesId, 0u);
    EXPECT_EQ(first.expireTimeout, 2000);
    EXPECT_EQ(first.hints.value(QStringLiteral("urgency")).toInt(), 1);
    const ReceivedNote& replacement = notes[2];
    EXPECT_EQ(replacement.body, QStringLiteral("DPI :3200"));
    EXPECT_EQ(replacement.replacesId, first.givenId);
    // The battery's channel keeps its own notification.
    const ReceivedNote& low = notes[0].body == QLatin1String("DPI :800") ? notes[1] : notes[0];
    EXPECT_EQ(low.replacesId, 0u);
    EXPECT_NE(low.givenId, first.givenId);
    EXPECT_EQ(low.hints.value(QStringLiteral("urgency")).toInt(), 2);
    EXPECT_EQ(dpi.LastId(), first.givenId);
}

TEST_F(BusServices, WithoutAServiceNothingIsShownAndNothingFails) {
    DesktopNotifications notes(bus.Connect(QStringLiteral("program")));
    EXPECT_FALSE(notes.Available());
    bool shown = false;
    QObject::connect(&notes, &DesktopNotifications::Shown, [&] { shown = true; });
    notes.Show({QStringLiteral("Battery"), QStringLiteral("12% left"), {}, -1, false});
    notes.Show({QStringLiteral("Battery"), QStringLiteral("5% left"), {}, -1, true});
    // The calls are answered with an error; the channel is ready for a service that comes later.
    FakeNotifications late(bus.Connect(QStringLiteral("late")));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QCoreApplication::processEvents();
            return late.Start();
        },
        kWaitMs));
    notes.Show({QStringLiteral("Battery"), QStringLiteral("4% left"), {}, -1, true});
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown; }, kWaitMs));
    ASSERT_EQ(late.Received().size(), 1);
    EXPECT_EQ(late.Received().constFirst().body, QStringLiteral("4% left"));
}

TEST_F(BusServices, TheDesktopsColourSchemeIsReadAndFollowed) {
    {
        DesktopColorScheme none(bus.Connect(QStringLiteral("no-portal")));
        EXPECT_FALSE(none.PortalAnswered());
        EXPECT_EQ(none.Current(), ColorScheme::NoPreference);
    }
    // The portal answers from a thread of its own, as from a process of its own: the program
    // waits for its answer at start-up.
    QThread portalThread;
    FakePortalSettings portal(bus.Connect(QStringLiteral("portal")), 2);
    // Registered before it moves: the bus's adaptor becomes its child, in its thread.
    ASSERT_TRUE(portal.Start());
    portal.moveToThread(&portalThread);
    portalThread.start();
    DesktopColorScheme scheme(bus.Connect(QStringLiteral("program")));
    EXPECT_TRUE(scheme.PortalAnswered());
    EXPECT_EQ(scheme.Current(), ColorScheme::Light);

    QList<ColorScheme> changes;
    QObject::connect(&scheme, &DesktopColorScheme::Changed,
                     [&](ColorScheme s) { changes.append(s); });
    // Announced from the portal's own thread, as the bus relays only signals emitted there.
    QMetaObject::invokeMethod(&portal, [&portal] { portal.SetScheme(1); },
                              Qt::BlockingQueuedConnection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !changes.isEmpty(); }, kWaitMs));
    EXPECT_EQ(changes, QList<ColorScheme>{ColorScheme::Dark});
    EXPECT_EQ(scheme.Current(), ColorScheme::Dark);
    EXPECT_EQ(DesktopColorScheme::FromPortalValue(QVariant::fromValue(7u)),
              ColorScheme::NoPreference);
    EXPECT_EQ(DesktopColorScheme::FromPortalValue(QStringLiteral("dark")),
              ColorScheme::NoPreference);
    portalThread.quit();
    portalThread.wait();
}

// $XDG_CONFIG_HOME/autostart/org.talvore.Talvore.desktop, written whole and removed again.
TEST(Autostart, TheEntryStartsTheProgramHiddenAndIsRemovedAgain) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));

    for (const char* configHome : {"", "relative/is/ignored", "CONFIG"}) {
        SCOPED_TRACE(configHome);
        const QString expectedFolder = QLatin1String(configHome) == QLatin1String("CONFIG")
                                           ? home.filePath(QStringLiteral("cfg"))
                                           : home.filePath(QStringLiteral(".config"));
        if (QLatin1String(configHome) == QLatin1String("CONFIG")) {
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(expectedFolder));
        } else {
            qputenv("XDG_CONFIG_HOME", configHome);
        }
        const QString entry =
            expectedFolder + QStringLiteral("/autostart/org.talvore.Talvore.desktop");
        EXPECT_EQ(autostart::EntryPath(), entry);
        EXPECT_FALSE(autostart::IsEnabled());

        // A program folder with a space, not on $PATH: the absolute path, quoted.
        const QString program = home.filePath(QStringLiteral("my programs/talvore"));
        ASSERT_EQ(autostart::Enable(program), FileError::None);
        EXPECT_TRUE(autostart::IsEnabled());
        QFile file(entry);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        EXPECT_TRUE(text.startsWith("[Desktop Entry]\n")) << text.toStdString();
        EXPECT_TRUE(text.contains("\nType=Application\n"));
        EXPECT_TRUE(text.contains("\nExec=\"" + QFile::encodeName(program) + "\" --hidden\n"))
            << text.toStdString();
        file.close();

        ASSERT_EQ(autostart::Disable(), FileError::None);
        EXPECT_FALSE(QFileInfo::exists(entry));
        EXPECT_EQ(autostart::Disable(), FileError::None);  // already gone
    }
    // Turned off in the desktop's own settings: not enabled.
    ASSERT_EQ(autostart::Enable(QStringLiteral("/usr/bin/talvore")), FileError::None);
    {
        QFile entry(autostart::EntryPath());
        ASSERT_TRUE(entry.open(QIODevice::Append));
        entry.write("Hidden=true\n");
    }
    EXPECT_FALSE(autostart::IsEnabled());
    // A program found on $PATH under its name is started by that name.
    EXPECT_EQ(autostart::ExecCommand(QStringLiteral("/bin/sh")), QStringLiteral("sh --hidden"));

    qputenv("XDG_CONFIG_HOME", savedConfig);
    qputenv("HOME", savedHome);
    if (savedConfig.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
