#include "sys/single_instance.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUuid>

#include <memory>

#include <gtest/gtest.h>

namespace {

// Generous bounds for a loaded machine; nothing is asserted about how long a step takes.
constexpr int kWaitMs = 20000;

class SingleInstanceTest : public ::testing::Test {
protected:
    // A name of its own for each test, so tests never meet each other or a running program.
    const QString name_ =
        QStringLiteral("talvore-test-") + QUuid::createUuid().toString(QUuid::Id128);

    void TearDown() override {
        for (auto& process : processes_) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(kWaitMs);
            }
        }
    }

    QProcess& Start() {
        processes_.push_back(std::make_unique<QProcess>());
        QProcess& process = *processes_.back();
        process.start(QStringLiteral(TALVORE_PROBE), {name_});
        EXPECT_TRUE(process.waitForStarted(kWaitMs));
        return process;
    }

    // Starts a probe that must become the first instance.
    QProcess& StartFirst() {
        QProcess& process = Start();
        EXPECT_TRUE(process.waitForReadyRead(kWaitMs));
        EXPECT_EQ(process.readLine().trimmed(), QByteArray("first"));
        return process;
    }

    // Starts a probe that must find the first and exit with code 1.
    void StartSecond() {
        QProcess& process = Start();
        ASSERT_TRUE(process.waitForFinished(kWaitMs));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 1);
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
    }

    static void ExpectSignalledAndDone(QProcess& first) {
        ASSERT_TRUE(first.waitForFinished(kWaitMs));
        EXPECT_EQ(first.readAllStandardOutput().trimmed(), QByteArray("signalled"));
        EXPECT_EQ(first.exitCode(), 0);
    }

    std::vector<std::unique_ptr<QProcess>> processes_;
};

}  // namespace

TEST(SingleInstanceName, CarriesTheInstanceNameAndTheUser) {
    const QString name = SingleInstance::ServerNameFor(QString::fromLatin1(kInstanceName));
    EXPECT_TRUE(name.startsWith(QStringLiteral("Corvane TALVORE Mouse-")));
    bool isNumber = false;
    name.mid(name.lastIndexOf(QLatin1Char('-')) + 1).toUInt(&isNumber);
    EXPECT_TRUE(isNumber);
}

TEST_F(SingleInstanceTest, SecondStartSignalsTheFirstAndExitsWithOne) {
    QProcess& first = StartFirst();
    StartSecond();
    ExpectSignalledAndDone(first);
}

TEST_F(SingleInstanceTest, StartAfterTheFirstEndedBecomesFirst) {
    QProcess& first = StartFirst();
    StartSecond();
    ExpectSignalledAndDone(first);
    QProcess& next = StartFirst();
    StartSecond();
    ExpectSignalledAndDone(next);
}

TEST_F(SingleInstanceTest, SocketLeftByACrashedInstanceIsTakenOver) {
    QProcess& crashed = StartFirst();
    crashed.kill();  // SIGKILL: no chance to remove its socket
    ASSERT_TRUE(crashed.waitForFinished(kWaitMs));
    const QString socketPath =
        QDir::tempPath() + QLatin1Char('/') + SingleInstance::ServerNameFor(name_);
    EXPECT_TRUE(QFileInfo::exists(socketPath));

    QProcess& next = StartFirst();
    StartSecond();
    ExpectSignalledAndDone(next);
}
