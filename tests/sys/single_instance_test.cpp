#include "sys/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "sys/local_socket.h"

namespace {

// Generous bounds for a loaded machine; nothing is asserted about how long a step takes.
constexpr int kWaitMs = 20000;

// The environment of a start: the runtime folder it is given (none when empty) and its own temp
// folder.
QProcessEnvironment StartEnvironment(const QString& runtimeFolder, const QString& tempFolder) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    if (!runtimeFolder.isEmpty()) {
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
    }
    env.insert(QStringLiteral("TMPDIR"), tempFolder);
    return env;
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runtime_.isValid());
        ASSERT_TRUE(temp_.isValid());
        env_ = StartEnvironment(runtime_.path(), temp_.path());
    }

    // A name of its own for each test, so tests never meet each other or a running program.
    const QString name_ =
        QStringLiteral("talvore-test-") + QUuid::createUuid().toString(QUuid::Id128);
    QTemporaryDir runtime_;  // created closed to others, as a user's runtime folder is
    QTemporaryDir temp_;
    QProcessEnvironment env_;  // of the next start

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
        process.setProcessEnvironment(env_);
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

// The address depends on the user and the runtime folder only. A runtime folder that others may
// enter is not used: anyone could put a socket there that the program would obey.
TEST(SingleInstanceAddress, IsInThePrivateRuntimeFolderOrAnAbstractNameWithTheUser) {
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QString instance = QString::fromLatin1(kInstanceName);

    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    SingleInstance::Address address = SingleInstance::AddressFor(instance);
    EXPECT_FALSE(address.abstractNamespace);
    EXPECT_EQ(address.name, runtime.path() + QStringLiteral("/Corvane TALVORE Mouse"));

    const QString abstractName =
        QStringLiteral("Corvane TALVORE Mouse-") + QString::number(getuid());
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadOther | QFile::ExeOther);
    address = SingleInstance::AddressFor(instance);
    EXPECT_TRUE(address.abstractNamespace);
    EXPECT_EQ(address.name, abstractName);

    for (const char* unusable : {"", "relative/folder", "/no/such/folder"}) {
        qputenv("XDG_RUNTIME_DIR", unusable);
        address = SingleInstance::AddressFor(instance);
        EXPECT_TRUE(address.abstractNamespace) << unusable;
        EXPECT_EQ(address.name, abstractName) << unusable;
    }
    qputenv("XDG_RUNTIME_DIR", saved);
    if (saved.isNull()) {
        qunsetenv("XDG_RUNTIME_DIR");
    }
}

TEST_F(SingleInstanceTest, SecondStartSignalsTheFirstAndExitsWithOne) {
    QProcess& first = StartFirst();
    StartSecond();
    ExpectSignalledAndDone(first);
}

// The launcher's activation token of the second start reaches the first, which needs it to come
// forward on Wayland; a value that could break the request line is not passed on.
TEST_F(SingleInstanceTest, SecondStartPassesItsActivationToken) {
    for (const auto& [token, expected] :
         {std::pair{"4f1c2a_TIME123", "signalled 4f1c2a_TIME123"},
          std::pair{"two words", "signalled"}, std::pair{"", "signalled"}}) {
        SCOPED_TRACE(token);
        env_.remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
        QProcess& first = StartFirst();
        env_.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), QLatin1String(token));
        StartSecond();
        ASSERT_TRUE(first.waitForFinished(kWaitMs));
        EXPECT_EQ(first.readAllStandardOutput().trimmed(), QByteArray(expected));
    }
}

// The program's end of the socket serves connections as their bytes come: clients that stay
// silent, stop in the middle of a request or send what is not ours neither hold it up nor make
// it obey. Its socket file is this user's alone and goes when the program ends.
TEST_F(SingleInstanceTest, StrayClientsNeitherStallNorSignalTheProgram) {
    QProcess& first = StartFirst();
    const QString path = runtime_.filePath(name_);
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::WriteGroup |
                                               QFile::ReadOther | QFile::WriteOther),
              QFile::Permissions());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
    const InstanceAddress address = InstanceAddressFor(name_);
    qunsetenv("XDG_RUNTIME_DIR");
    ASSERT_FALSE(address.abstractNamespace);

    std::vector<LocalSocket> strays;
    QByteArray halfRequest = QByteArray(kCommandRequestLine) + Frame(QByteArray(64, 'x'));
    halfRequest.chop(10);
    QByteArray tooLong(kShowRequest);
    tooLong += ' ' + QByteArray(600, 'a');
    for (const QByteArray& bytes : {QByteArray(), halfRequest, QByteArray("sh"),
                                    QByteArray("showing\n"), QByteArray("hello\n"), tooLong,
                                    QByteArray(kCommandRequestLine) + "\xff\xff\xff\xff"}) {
        strays.emplace_back();
        ASSERT_EQ(strays.back().Connect(address, QDeadlineTimer(kWaitMs)),
                  LocalSocket::Connected::Yes);
        ASSERT_TRUE(strays.back().WriteAll(bytes, QDeadlineTimer(kWaitMs)));
    }
    // The stray lines were read and refused, and none of them signalled the program.
    QByteArray rest;
    EXPECT_FALSE(strays[3].ReadMore(rest, QDeadlineTimer(kWaitMs)));
    EXPECT_FALSE(strays[4].ReadMore(rest, QDeadlineTimer(kWaitMs)));
    EXPECT_TRUE(rest.isEmpty());
    EXPECT_TRUE(first.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);

    StartSecond();
    ExpectSignalledAndDone(first);
    EXPECT_FALSE(QFileInfo::exists(path));
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
    EXPECT_TRUE(QFileInfo::exists(runtime_.filePath(name_)));

    QProcess& next = StartFirst();
    StartSecond();
    ExpectSignalledAndDone(next);
}

// Two starts of one user meet whatever their temp folders, with a runtime folder and without one.
TEST_F(SingleInstanceTest, StartsWithDifferentTempFoldersMeet) {
    QTemporaryDir otherTemp;
    ASSERT_TRUE(otherTemp.isValid());
    for (const QString& runtime : {runtime_.path(), QString()}) {
        SCOPED_TRACE(runtime.isEmpty() ? "no runtime folder" : "a runtime folder");
        env_ = StartEnvironment(runtime, temp_.path());
        QProcess& first = StartFirst();
        env_ = StartEnvironment(runtime, otherTemp.path());
        StartSecond();
        ExpectSignalledAndDone(first);
    }
}

// talvorectl's requests reach the program over both kinds of address (an abstract name is bound
// at the length this Qt's QLocalServer used, and tried at both by clients), and a name
// nobody holds is told apart from a program that refuses.
TEST_F(SingleInstanceTest, RequestsReachTheProgramAtBothKindsOfAddress) {
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    for (const QString& runtime : {runtime_.path(), QString()}) {
        SCOPED_TRACE(runtime.isEmpty() ? "abstract name" : "socket in the runtime folder");
        env_ = StartEnvironment(runtime, temp_.path());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        const InstanceAddress address = InstanceAddressFor(name_);
        EXPECT_EQ(address.abstractNamespace, runtime.isEmpty());
        const InstanceRequest request{QStringLiteral("select"), {"Game"}, "/data/",
                                      SteadyNowNs() + 5'000'000'000};
        InstanceReply reply;
        EXPECT_EQ(SendInstanceRequest(address, request, reply), HandOver::NotListening);

        QProcess& first = StartFirst();
        ASSERT_EQ(SendInstanceRequest(address, request, reply), HandOver::Answered);
        EXPECT_EQ(reply.exitCode, 2);
        EXPECT_TRUE(reply.error.contains(QLatin1String("takes no commands"))) << reply.error.toStdString();
        first.kill();
        first.waitForFinished(kWaitMs);
    }
    qputenv("XDG_RUNTIME_DIR", saved);
    if (saved.isNull()) {
        qunsetenv("XDG_RUNTIME_DIR");
    }
}
