// The program's D-Bus API on a private session bus, with a backend that stands in for the page:
// what a client introspects and reads, what it is told when something changes, and the errors of
// its calls.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "app/session_api.h"
#include "tests/dbus/private_bus.h"

namespace {

constexpr int kWaitMs = 10000;

class FakeBackend final : public SessionApiBackend {
public:
    SessionApiState State() override { return state; }
    Outcome SelectProfile(const QString& name) override {
        if (!state.profiles.contains(name)) {
            return {false,
                    {},
                    QStringLiteral("org.talvore.Talvore1.Error.NoSuchProfile"),
                    QStringLiteral("no profile is named %1").arg(name)};
        }
        state.currentProfile = name;
        return {true, {}, {}, {}};
    }
    Outcome Apply() override {
        ++applies;
        return {true, {}, {}, {}};
    }
    Outcome ImportProfile(const QString& path) override {
        state.profiles.append(path.section(QLatin1Char('/'), -1));
        state.currentProfile = state.profiles.last();
        return {true, state.currentProfile, {}, {}};
    }

    SessionApiState state{{QStringLiteral("Office"), QStringLiteral("Game")},
                          QStringLiteral("Office"),
                          80,
                          false,
                          true,
                          {QStringLiteral("receiver")}};
    int applies = 0;
};

class SessionApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "session_api_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication* app = new QCoreApplication(argc, argv);
        (void)app;
        if (!bus.Running()) {
            GTEST_SKIP() << bus.Problem().toStdString();
        }
        api = std::make_unique<SessionApi>(backend, bus.Connect(QStringLiteral("program")),
                                           QLatin1String(kSessionApiName));
        ASSERT_TRUE(api->Published());
        client = std::make_unique<QDBusConnection>(bus.Connect(QStringLiteral("client")));
    }

    // A call from the client, answered while the event loop runs (the API lives on this thread).
    QDBusMessage Call(const QString& interface, const QString& method,
                      const QVariantList& args = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QLatin1String(kSessionApiName), QLatin1String(kSessionApiPath), interface, method);
        call.setArguments(args);
        QDBusPendingCallWatcher watcher(client->asyncCall(call));
        EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.isFinished(); }, kWaitMs));
        return watcher.reply();
    }
    QVariant Property(const char* name) {
        const QDBusMessage reply =
            Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                 {QLatin1String(kSessionApiInterface), QLatin1String(name)});
        return reply.arguments().isEmpty()
                   ? QVariant()
                   : qvariant_cast<QDBusVariant>(reply.arguments().first()).variant();
    }

    PrivateBus bus;
    FakeBackend backend;
    std::unique_ptr<SessionApi> api;
    std::unique_ptr<QDBusConnection> client;
};

TEST_F(SessionApiTest, GdbusIntrospectShowsTheInterface) {
    const QString gdbus = QStandardPaths::findExecutable(QStringLiteral("gdbus"));
    if (gdbus.isEmpty()) {
        GTEST_SKIP() << "gdbus is not installed";
    }
    QProcess introspect;
    introspect.start(gdbus,
                     {QStringLiteral("introspect"), QStringLiteral("--address"), bus.Address(),
                      QStringLiteral("--dest"), QLatin1String(kSessionApiName),
                      QStringLiteral("--object-path"), QLatin1String(kSessionApiPath)});
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return introspect.state() == QProcess::NotRunning; }, kWaitMs));
    const QString out = QString::fromUtf8(introspect.readAllStandardOutput());
    for (const char* line :
         {"interface org.talvore.Talvore1 {", "SelectProfile(in  s name);", "Apply();",
          "ImportProfile(in  s path,", "out s ", "readonly as Profiles = ['Office', 'Game'];",
          "readonly s CurrentProfile = 'Office';", "readonly i BatteryLevel = 80;",
          "readonly b Charging = false;", "readonly b Connected = true;",
          "readonly as Links = ['receiver'];"}) {
        EXPECT_TRUE(out.contains(QLatin1String(line))) << line << "\n" << out.toStdString();
    }
}

// Collects the API's PropertiesChanged signals.
class ChangeLog final : public QObject {
    Q_OBJECT
public:
    std::vector<QVariantMap> announced;
public Q_SLOTS:
    void OnChanged(const QDBusMessage& message) {
        if (message.arguments().size() == 3 &&
            message.arguments().at(0).toString() == QLatin1String(kSessionApiInterface)) {
            announced.push_back(qdbus_cast<QVariantMap>(message.arguments().at(1)));
        }
    }
};

TEST_F(SessionApiTest, EveryChangeIsAnnouncedWithTheChangedPropertiesOnly) {
    ChangeLog log;
    ASSERT_TRUE(client->connect(QLatin1String(kSessionApiName), QLatin1String(kSessionApiPath),
                                QStringLiteral("org.freedesktop.DBus.Properties"),
                                QStringLiteral("PropertiesChanged"), &log,
                                SLOT(OnChanged(QDBusMessage))));
    // The mouse's level falls and it goes on charging, over the cable: one announcement of the
    // four properties that changed, however often the change was noted.
    backend.state.batteryLevel = -1;
    backend.state.charging = true;
    backend.state.links = {QStringLiteral("cable"), QStringLiteral("receiver")};
    backend.state.connected = true;
    api->NoteChange();
    api->NoteChange();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.announced.empty(); }, kWaitMs));
    QTest::qWait(50);
    ASSERT_EQ(log.announced.size(), 1u);
    EXPECT_EQ(log.announced[0],
              (QVariantMap{{QStringLiteral("BatteryLevel"), -1},
                           {QStringLiteral("Charging"), true},
                           {QStringLiteral("Links"),
                            QStringList{QStringLiteral("cable"), QStringLiteral("receiver")}}}));
    EXPECT_EQ(Property("BatteryLevel"), QVariant(-1));

    // Nothing changed: nothing announced.
    api->NoteChange();
    QTest::qWait(50);
    EXPECT_EQ(log.announced.size(), 1u);

    // A method's change is announced, and readable, by the time its reply arrives.
    EXPECT_EQ(Call(QLatin1String(kSessionApiInterface), QStringLiteral("SelectProfile"),
                   {QStringLiteral("Game")})
                  .type(),
              QDBusMessage::ReplyMessage);
    EXPECT_EQ(Property("CurrentProfile"), QVariant(QStringLiteral("Game")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.announced.size() == 2; }, kWaitMs));
    EXPECT_EQ(log.announced[1],
              (QVariantMap{{QStringLiteral("CurrentProfile"), QStringLiteral("Game")}}));

    const QDBusMessage imported =
        Call(QLatin1String(kSessionApiInterface), QStringLiteral("ImportProfile"),
             {QStringLiteral("/home/u/Work.pro")});
    ASSERT_EQ(imported.type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(imported.arguments().value(0).toString(), QStringLiteral("Work.pro"));
    EXPECT_EQ(Property("Profiles").toStringList(),
              (QStringList{QStringLiteral("Office"), QStringLiteral("Game"),
                           QStringLiteral("Work.pro")}));
}

TEST_F(SessionApiTest, CallsThatCannotBeDoneAnswerWithTheirError) {
    const QDBusMessage unknown = Call(QLatin1String(kSessionApiInterface),
                                      QStringLiteral("SelectProfile"), {QStringLiteral("Nope")});
    EXPECT_EQ(unknown.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(unknown.errorName(), QStringLiteral("org.talvore.Talvore1.Error.NoSuchProfile"));
    EXPECT_EQ(backend.state.currentProfile, QStringLiteral("Office"));

    // While a dialog runs its own event loop inside the main loop nothing is done, and the
    // caller is told why.
    QString busy;
    QEventLoop mainLoop;
    QTimer::singleShot(0, &mainLoop, [&] {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QLatin1String(kSessionApiName), QLatin1String(kSessionApiPath),
            QLatin1String(kSessionApiInterface), QStringLiteral("Apply"));
        QDBusPendingCallWatcher watcher(client->asyncCall(call));
        QEventLoop dialog;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &dialog, &QEventLoop::quit);
        QTimer::singleShot(kWaitMs, &dialog, &QEventLoop::quit);
        dialog.exec();
        busy = watcher.reply().errorName();
        mainLoop.quit();
    });
    mainLoop.exec();
    EXPECT_EQ(busy, QStringLiteral("org.talvore.Talvore1.Error.Busy"));
    EXPECT_EQ(backend.applies, 0);
    EXPECT_EQ(Call(QLatin1String(kSessionApiInterface), QStringLiteral("Apply")).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_EQ(backend.applies, 1);
}

TEST(SessionApiWithoutBus, TheProgramRunsOnWithoutItsApi) {
    FakeBackend backend;
    SessionApi api(backend, QDBusConnection(QStringLiteral("no such connection")),
                   QLatin1String(kSessionApiName));
    EXPECT_FALSE(api.Published());
    backend.state.batteryLevel = 5;
    api.Refresh();
    EXPECT_EQ(api.BatteryLevel(), 5);
}

}  // namespace

#include "session_api_test.moc"
