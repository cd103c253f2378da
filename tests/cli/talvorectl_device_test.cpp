// The demo folder's talvorectl sending to and listening to the simulated mouse, run as a process
// with the mouse's starting links chosen through TALVORE_SIM_LINKS.
#include <optional>

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/macro/file_bytes.h"

namespace {

constexpr int kFinishMs = 60000;  // a guard against a hang, not a timing check

struct RunResult {
    int exitCode = -1;
    QStringList out;
    QByteArray err;
};

QStringList Lines(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class TalvorectlDeviceTest : public ::testing::Test {
protected:
    // links: the simulated mouse's starting links; nothing = unset (cable, receiver, awake).
    static void Start(QProcess& process, const QStringList& args, std::optional<QString> links) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("TALVORE_SIM_LINKS"));
        if (links) {
            env.insert(QStringLiteral("TALVORE_SIM_LINKS"), *links);
        }
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TALVORE_DEMO_DIR "/talvorectl"), args);
    }

    static RunResult Run(const QStringList& args, std::optional<QString> links = std::nullopt) {
        QProcess process;
        Start(process, args, links);
        process.waitForFinished(kFinishMs);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                Lines(process.readAllStandardOutput()), process.readAllStandardError()};
    }

    // A default profile from talvorectl itself; with a macro of two actions on button index 5.
    QString Profile(const char* name, bool withMacro) const {
        const QString path = files.filePath(QLatin1String(name));
        EXPECT_EQ(Run({QStringLiteral("new"), QStringLiteral("P"), path}).exitCode, 0);
        if (withMacro) {
            QByteArray pro = ReadBytes(path);
            const int e = 104 + 2456 + 5 * 1272;
            pro[e + 1] = 0x11;
            pro.replace(e + 64, 6, QByteArray("\x01\x00\x00\x00\x02\x00", 6));
            pro.replace(e + 1088, 8, QByteArray("\x04\x01\x0A\x00\x04\x02\x0A\x00", 8));
            WriteBytes(path, pro);
        }
        return path;
    }

    QTemporaryDir files;
};

TEST_F(TalvorectlDeviceTest, ApplyGoesOverTheCableWhenBothUsbLinksArePlugged) {
    const QString path = Profile("m.pro", true);
    const RunResult run = Run({QStringLiteral("apply"), path});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
              (QStringList{QStringLiteral("sending %1 over the cable").arg(path),
                           QStringLiteral("0x0C cable 10 bytes: delivered"),
                           QStringLiteral("0x04 cable 56 bytes: delivered"),
                           QStringLiteral("0x05 cable 15 bytes: delivered"),
                           QStringLiteral("0x06 cable 9 bytes: delivered"),
                           QStringLiteral("0x08 cable 59 bytes: delivered"),
                           QStringLiteral("0x09 cable 64 bytes (button 6, piece 0): delivered"),
                           QStringLiteral("0x09 cable 64 bytes (button 6, piece 1): delivered"),
                           QStringLiteral("0x09 cable 64 bytes (button 6, piece 2): delivered"),
                           QStringLiteral("6 of 6 reports delivered")}));
}

TEST_F(TalvorectlDeviceTest, ApplyThroughTheReceiverWaitsForTheMouseAndItsAcknowledgements) {
    const QString path = Profile("d.pro", false);
    const RunResult run = Run({QStringLiteral("apply"), path}, QStringLiteral("receiver,awake"));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
              (QStringList{QStringLiteral("sending %1 over the receiver").arg(path),
                           QStringLiteral("0x0C receiver 10 bytes: delivered, acknowledged"),
                           QStringLiteral("0x04 receiver 56 bytes: delivered, acknowledged"),
                           QStringLiteral("0x05 receiver 15 bytes: delivered, acknowledged"),
                           QStringLiteral("0x06 receiver 9 bytes: delivered, acknowledged"),
                           QStringLiteral("0x08 receiver 59 bytes: delivered, acknowledged"),
                           QStringLiteral("5 of 5 reports delivered")}));
}

TEST_F(TalvorectlDeviceTest, ApplyWithoutAUsableLinkSendsNothing) {
    const QString path = Profile("d.pro", false);
    const RunResult none = Run({QStringLiteral("apply"), path}, QString());
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_TRUE(none.err.contains("neither the cable nor the receiver")) << none.err.toStdString();

    // The receiver is plugged but the mouse behind it sleeps and never answers.
    const RunResult asleep = Run({QStringLiteral("apply"), path}, QStringLiteral("receiver"));
    EXPECT_EQ(asleep.exitCode, 2);
    EXPECT_TRUE(asleep.out.isEmpty());
    EXPECT_TRUE(asleep.err.contains("does not answer")) << asleep.err.toStdString();
}

TEST_F(TalvorectlDeviceTest, BadProfilesAndArgumentsAreRefusedBeforeTheMouseIsTouched) {
    WriteBytes(files.filePath(QStringLiteral("short.pro")), QByteArray(165023, '\0'));
    const RunResult shortFile =
        Run({QStringLiteral("apply"), files.filePath(QStringLiteral("short.pro"))});
    EXPECT_EQ(shortFile.exitCode, 2);
    EXPECT_TRUE(shortFile.out.isEmpty());
    EXPECT_TRUE(shortFile.err.contains("shorter than 165024 bytes")) << shortFile.err.toStdString();

    const RunResult missing =
        Run({QStringLiteral("apply"), files.filePath(QStringLiteral("missing.pro"))});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains("cannot read"));

    EXPECT_EQ(Run({QStringLiteral("apply")}).exitCode, 1);
    EXPECT_EQ(
        Run({QStringLiteral("apply"), QStringLiteral("a.pro"), QStringLiteral("b.pro")}).exitCode,
        1);
    EXPECT_EQ(
        Run({QStringLiteral("monitor"), QStringLiteral("--count"), QStringLiteral("0")}).exitCode,
        1);
    EXPECT_EQ(Run({QStringLiteral("monitor"), QStringLiteral("--seconds")}).exitCode, 1);
}

TEST_F(TalvorectlDeviceTest, MonitorShowsThePeriodicPowerStatus) {
    const RunResult run =
        Run({QStringLiteral("monitor"), QStringLiteral("--count"), QStringLiteral("3")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.out.size(), 5);
    EXPECT_EQ(run.out[0], QStringLiteral("cable present"));
    EXPECT_EQ(run.out[1], QStringLiteral("receiver present"));
    for (int i = 2; i < 5; ++i) {
        // Both links hear the status; which of the two comes first is up to the drivers' threads.
        EXPECT_TRUE(
            run.out[i] == QStringLiteral("cable 0x4069 0x6401 power: level 100, on battery") ||
            run.out[i] == QStringLiteral("receiver 0x4069 0x6401 power: level 100, on battery"))
            << run.out[i].toStdString();
    }
}

TEST_F(TalvorectlDeviceTest, MonitorEndsCleanlyWhenTerminated) {
    QProcess process;
    Start(process, {QStringLiteral("monitor")}, QStringLiteral("receiver,awake"));
    QByteArray out;
    while (!out.contains("receiver 0x4069") && process.waitForReadyRead(kFinishMs)) {
        out += process.readAllStandardOutput();
    }
    ASSERT_TRUE(out.startsWith("receiver present\n")) << out.toStdString();
    process.terminate();  // SIGTERM
    ASSERT_TRUE(process.waitForFinished(kFinishMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

TEST_F(TalvorectlDeviceTest, MonitorWithoutAnyLinkExits2) {
    const RunResult run =
        Run({QStringLiteral("monitor"), QStringLiteral("--count"), QStringLiteral("1")}, QString());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains("neither the cable nor the receiver"));
}

}  // namespace
