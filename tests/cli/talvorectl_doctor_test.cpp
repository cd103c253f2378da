// talvorectl doctor over a device tree of its own, where one node of the mouse really cannot be
// opened: a root-only file tried by an unprivileged user.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
}

}  // namespace
