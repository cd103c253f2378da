// talvorectl doctor over a device tree of its own, where one node of the mouse really cannot be
// opened: a root-only file tried by an unprivileged user; and over buses of its own, where a
// desktop and BlueZ offer what they offer.
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/dbus/fake_bluez.h"
#include "tests/dbus/fake_notifications.h"
#include "tests/dbus/fake_status_notifier_watcher.h"
#include "tests/dbus/private_bus.h"
#include "tests/support/unprivileged.h"

namespace {

void AddNode(const QString& root, const char* name, const QByteArray& hidId) {
    const QString device = root + QStringLiteral("/sys/class/hidraw/") + QLatin1String(name);
    ASSERT_TRUE(QDir().mkpath(device + QStringLiteral("/device")));
    QFile uevent(device + QStringLiteral("/device/uevent"));
    ASSERT_TRUE(uevent.open(QIODevice::WriteOnly));
    uevent.write("DRIVER=hid-generic\nHID_ID=" + hidId + "\nHID_NAME=Corvane TALVORE\n");
    QFile node(root + QStringLiteral("/dev/") + QLatin1String(name));
    ASSERT_TRUE(node.open(QIODevice::WriteOnly));
}

TEST(TalvorectlDoctor, ANodeThatCannotBeOpenedNamesTheRulesTheReplugAndUdevadm) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/dev")));
    AddNode(root, "hidraw0", "0003:00001D57:00002039");
    AddNode(root, "hidraw1", "0003:00001D57:0000FA60");
    const QString open = root + QStringLiteral("/dev/hidraw0");
    const QString closed = root + QStringLiteral("/dev/hidraw1");
    // The tree readable by anyone; the receiver's node only by its owner, as without the rules.
    ASSERT_TRUE(QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadOther | QFile::ExeOther |
                                                QFile::ReadGroup | QFile::ExeGroup));
    ASSERT_TRUE(QFile::setPermissions(
        open, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther));
    ASSERT_TRUE(QFile::setPermissions(closed, QFileDevice::Permissions()));

    // A copy inside the tree: the build folder may be closed to other users.
    QString program = root + QStringLiteral("/talvorectl");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TALVORE_BIN_DIR "/talvorectl"), program));
    QStringList args = {QStringLiteral("doctor"), QStringLiteral("--sysfs"),
                        root + QStringLiteral("/sys"), QStringLiteral("--dev"),
                        root + QStringLiteral("/dev")};
    if (geteuid() == 0) {
        // Root opens anything: the diagnosis runs as nobody.
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty()) {
            GTEST_SKIP() << "running as root without setpriv (util-linux) to drop privileges";
        }
        if (!UnprivilegedCanReach(root)) {
            GTEST_SKIP() << "user 65534 cannot reach " << qPrintable(root)
                         << ": a folder above it is closed to other users";
        }
        args = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                           QStringLiteral("--clear-groups"), program} +
               args;
        program = setpriv;
    }

    QProcess doctor;
    doctor.start(program, args);
    ASSERT_TRUE(doctor.waitForFinished(30000));
    const QString out = QString::fromUtf8(doctor.readAllStandardOutput());
    const std::string shown = out.toStdString() + doctor.readAllStandardError().toStdString();

    EXPECT_EQ(doctor.exitCode(), 2) << shown;
    EXPECT_TRUE(out.contains(open + QStringLiteral("  cable     1D57:2039  opens"))) << shown;
    EXPECT_TRUE(out.contains(closed + QStringLiteral("  receiver  1D57:FA60  cannot be opened: "
                                                     "Permission denied")))
        << shown;
    // What to do: the rules file, the re-plug, and the commands for a mouse left plugged in.
    EXPECT_TRUE(out.contains(QStringLiteral("Install the device rules 70-talvore.rules")) ||
                out.contains(QStringLiteral("The device rules are installed: ")))
        << shown;
    EXPECT_TRUE(out.contains(QStringLiteral("plug it in again"))) << shown;
    EXPECT_TRUE(out.contains(QStringLiteral("sudo udevadm control --reload-rules"))) << shown;
    EXPECT_TRUE(out.contains(
        QStringLiteral("sudo udevadm trigger --subsystem-match=hidraw --action=change")))
        << shown;
    // The copy has no modules beside it: each missing one is named, and the desktop and
    // Bluetooth sections say that their checks were not made.
    EXPECT_TRUE(out.contains(QStringLiteral("talvore_layout_reader.so  ") + root +
                             QStringLiteral("/talvore_layout_reader.so: cannot open")))
        << shown;
    EXPECT_EQ(out.count(QStringLiteral(
                  "  checks           not made: talvorectl_desktop_checks.so does not load")),
              2)
        << shown;
}

void EnsureApp() {
    static int argc = 1;
    static char name[] = "talvorectl_doctor_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
}

// The desktop and Bluetooth part of the doctor's output, for a session set up by `environment`.
// The event loop runs meanwhile: the desktop's stand-ins answer the doctor on this thread.
QString DoctorSays(const QProcessEnvironment& environment) {
    QProcess doctor;
    doctor.setProcessEnvironment(environment);
    QEventLoop loop;
    QObject::connect(&doctor, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&doctor, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    doctor.start(QStringLiteral(TALVORE_BIN_DIR "/talvorectl"), {QStringLiteral("doctor")});
    loop.exec();
    if (doctor.state() != QProcess::NotRunning) {
        doctor.kill();
        doctor.waitForFinished();
        return QStringLiteral("timed out");
    }
    const QString out = QString::fromUtf8(doctor.readAllStandardOutput());
    return out.mid(out.indexOf(QLatin1String("Desktop:")));
}

TEST(TalvorectlDoctor, TellsWhatTheDesktopAndBluezOffer) {
    EnsureApp();
    PrivateBus system;
    PrivateBus session;
    if (!system.Running() || !session.Running()) {
        GTEST_SKIP() << system.Problem().toStdString() << session.Problem().toStdString();
    }
    const QString mouse = QStringLiteral("E0:D4:E8:4A:1B:2C");
    auto bluez = std::make_unique<FakeBluez>(system.Address(), QStringLiteral("doctor_bluez"));
    bluez->AddDevice({mouse, QStringLiteral("usb:v045Ep0069d0001")});
    const QDBusConnection desktop =
        QDBusConnection::connectToBus(session.Address(), QStringLiteral("doctor_desktop"));
    auto notifications = std::make_unique<FakeNotifications>(desktop);
    auto tray = std::make_unique<FakeStatusNotifierWatcher>(desktop);
    ASSERT_TRUE(bluez->Registered() && notifications->Start() && tray->Start());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE", "TALVORE_SESSION"}) {
        environment.remove(QLatin1String(name));
    }
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), system.Address());
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), session.Address());

    // A Wayland desktop with a tray and notifications, and a bluetoothd that takes battery levels.
    QProcessEnvironment wayland = environment;
    wayland.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-doctor"));
    QString out = DoctorSays(wayland);
    EXPECT_TRUE(out.contains(
        QStringLiteral("\n  session          Wayland (WAYLAND_DISPLAY=wayland-doctor)\n")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("tray             a StatusNotifier host")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("notifications    fake notifications 1 answers")))
        << out.toStdString();
    EXPECT_TRUE(
        out.contains(QStringLiteral("macro recording  in the macro editor's window only: "
                                    "under Wayland")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("bluetoothd       running; adapter hci0 powered\n")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("battery          BlueZ takes battery levels")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("mouse            E0:D4:E8:4A:1B:2C connected\n")))
        << out.toStdString();

    // A bare session: no tray host, no notification service, a bluetoothd without battery
    // providers that knows the mouse but is not connected to it.
    notifications.reset();
    tray.reset();
    bluez->SetBatteryProviderManager(false);
    bluez->Disconnect(mouse);
    QProcessEnvironment x11 = environment;
    x11.insert(QStringLiteral("DISPLAY"), QStringLiteral(":doctor-has-no-server"));
    out = DoctorSays(x11);
    EXPECT_TRUE(
        out.contains(QStringLiteral("session          X11 (DISPLAY=:doctor-has-no-server)")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("tray             none")));
    EXPECT_TRUE(out.contains(QStringLiteral("notifications    no notification service answers")));
    EXPECT_TRUE(
        out.contains(QStringLiteral("in the macro editor's window only: the X display "
                                    ":doctor-has-no-server cannot be reached")));
    EXPECT_TRUE(out.contains(QStringLiteral("BlueZ takes no battery levels from programs")));
    EXPECT_TRUE(out.contains(QStringLiteral("E0:D4:E8:4A:1B:2C known, not connected")));

    // No bluetoothd; and no session at all.
    bluez.reset();
    out = DoctorSays(environment);
    EXPECT_TRUE(out.contains(QStringLiteral("session          no desktop session")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("bluetoothd       not running"))) << out.toStdString();
}

// On X11 with the input hook beside the program, macros are recorded wherever the user types.
TEST(TalvorectlDoctor, OnX11TheHookRecordsEverywhere) {
    EnsureApp();
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    QProcess server;
    server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                        QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QByteArray display;
    while (!display.contains('\n') && server.waitForReadyRead(10000)) {
        display += server.readAllStandardOutput();
    }
    if (!display.contains('\n')) {
        GTEST_SKIP() << "Xvfb did not start";
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE", "TALVORE_SESSION"}) {
        environment.remove(QLatin1String(name));
    }
    environment.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + display.trimmed());
    const QString out = DoctorSays(environment);
    server.terminate();
    server.waitForFinished(5000);
    EXPECT_TRUE(
        out.contains(QStringLiteral("macro recording  global: the input hook sees keys "
                                    "and buttons in every window")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("tray             none"))) << out.toStdString();
}

}  // namespace
