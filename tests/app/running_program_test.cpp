// The running program as a process: beside talvorectl on one data folder (talvorectl hands its
// imports to the program, so neither undoes the other), ended by a signal whatever dialog is open
// (its edits saved), and started with files in its folder that are not regular files.
#include <signal.h>
#include <sys/stat.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "program_process_support.h"
#include "tests/dbus/private_bus.h"

namespace {

struct CommandRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class RunningProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(program.isValid() && runtime.isValid() && files.isValid());
        ASSERT_TRUE(QFile::copy(QStringLiteral(SCRIPTED_PROGRAM_PROBE), In("probe")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(TALVORE_DEMO_DIR "/talvorectl"), In("talvorectl")));
        // The editor records through a hook library that takes every installation.
        ASSERT_TRUE(QFile::copy(QStringLiteral(TALVORE_ACCEPTING_HOOK), In("Hook.so")));
        ASSERT_TRUE(CopyProgramFiles(QStringLiteral(TALVORE_DEMO_DIR), program.path(),
                                     {"hiddriver_1.so", "hiddriver_2.so", "libtalvore_simhid.so",
                                      "libtalvore_hidapi_lock.so"}));
        // The single-instance socket lies in a runtime folder of the test's own.
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                           QStringLiteral("talvore.program.info=true;talvore.links.info=true;"
                                          "talvore.requests.info=true"));
        // The mouse sleeps behind its receiver: no apply can run, so every edit is saved at once.
        environment.insert(QStringLiteral("TALVORE_SIM_LINKS"), QStringLiteral("receiver"));
    }

    void TearDown() override {
        if (probe.state() != QProcess::NotRunning) {
            probe.kill();
            probe.waitForFinished();
        }
    }

    QString In(const char* name) const { return program.filePath(QLatin1String(name)); }
    QString File(const char* name) const { return files.filePath(QLatin1String(name)); }

    void StartProgram() {
        probe.setProcessEnvironment(environment);
        probe.start(In("probe"), {});
        ASSERT_TRUE(WaitFor("ready"));
    }
    bool WaitFor(const QByteArray& line) {
        const bool seen = WaitForLine(probe, log, line);
        if (!seen) {
            ADD_FAILURE() << "no \"" << line.toStdString() << "\" in\n" << log.toStdString();
        }
        return seen;
    }
    void Tell(const QByteArray& line) { probe.write(line + '\n'); }
    // The probe's answer to "list": the page's profile list and its selected row.
    QByteArray PageList() {
        log.clear();
        Tell("list");
        if (!WaitFor("; selected ")) {
            return {};
        }
        const qsizetype start = log.indexOf("list: ");
        return log.mid(start, log.indexOf('\n', start) - start);
    }
    // Ends the program with a signal and checks that it went through its teardown.
    void EndWith(int signal) {
        ASSERT_EQ(::kill(static_cast<pid_t>(probe.processId()), signal), 0);
        ASSERT_TRUE(probe.state() == QProcess::NotRunning || probe.waitForFinished(20000));
        log += probe.readAllStandardError();
        EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit) << log.toStdString();
        EXPECT_EQ(probe.exitCode(), 0) << log.toStdString();
        EXPECT_TRUE(log.contains("profiles saved on the way out")) << log.toStdString();
    }

    CommandRun Talvorectl(const QStringList& args) {
        QProcess process;
        process.setWorkingDirectory(files.path());
        process.setProcessEnvironment(environment);
        process.start(In("talvorectl"), args);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return {-2, {}, "timed out"};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }
    // gdbus on the test's session bus, against the demo's name.
    CommandRun Gdbus(const QString& address, const QStringList& args) {
        QProcess process;
        process.start(QStringLiteral("gdbus"),
                      args + QStringList{QStringLiteral("--address"), address});
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return {-2, {}, "timed out"};
        }
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }
    // The probe's answer to "mouse": what the simulated mouse holds.
    QByteArray MouseState() {
        log.clear();
        Tell("mouse");
        if (!WaitFor(" battery ")) {
            return {};
        }
        const qsizetype start = log.indexOf("mouse: ");
        return log.mid(start, log.indexOf('\n', start) - start);
    }
    void NewProfile(const char* name, const char* file) {
        ASSERT_EQ(Talvorectl({QStringLiteral("new"), QLatin1String(name), File(file)}).exitCode, 0);
    }
    // A profile's JSON with its own sleep timer, which the simulated mouse shows once it is sent.
    void NewProfileJson(const char* name, int sleepTimer, const char* file) {
        NewProfile(name, "new.pro");
        QJsonObject profile =
            QJsonDocument::fromJson(Talvorectl({QStringLiteral("show"), File("new.pro")}).out)
                .object();
        profile.insert(QStringLiteral("sleepTimer"), sleepTimer);
        QFile json(File(file));
        ASSERT_TRUE(json.open(QIODevice::WriteOnly));
        json.write(QJsonDocument(profile).toJson());
    }
    // The stored profiles as talvorectl lists them (index, tab, name, [tab selected]).
    QByteArray StoredProfiles() { return Talvorectl({QStringLiteral("profiles")}).out; }
    // The stored sleep timer of a profile, through export and show.
    int StoredSleepTimer(int index) {
        if (Talvorectl({QStringLiteral("export"), QString::number(index), File("check.pro")})
                .exitCode != 0) {
            return -1;
        }
        const CommandRun shown = Talvorectl({QStringLiteral("show"), File("check.pro")});
        return QJsonDocument::fromJson(shown.out)
            .object()
            .value(QLatin1String("sleepTimer"))
            .toInt(-1);
    }

    QTemporaryDir program;  // the probe, the demo's talvorectl and drivers, res/ and Data/
    QTemporaryDir runtime;
    QTemporaryDir files;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess probe;
    QByteArray log;
};

TEST_F(RunningProgram, AJsonImportWhileTheProgramRunsIsOnThePageAndStaysThroughItsSaves) {
    NewProfile("Alpha", "a.pro");
    // Handed over as JSON: the program reads it as talvorectl would, not as a raw record.
    const CommandRun shown = Talvorectl({QStringLiteral("show"), File("a.pro")});
    ASSERT_EQ(shown.exitCode, 0);
    QFile json(File("a.json"));
    ASSERT_TRUE(json.open(QIODevice::WriteOnly) && json.write(shown.out) == shown.out.size());
    json.close();
    ASSERT_NO_FATAL_FAILURE(StartProgram());

    const CommandRun imported = Talvorectl({QStringLiteral("import"), File("a.json")});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, QByteArray("Alpha\n"));
    // On the page at once, selected as after the import button, and in the store.
    EXPECT_EQ(PageList(), QByteArray("list: Profile1|Alpha; selected 1"));
    EXPECT_EQ(StoredProfiles(), QByteArray("0\tProfile1\n1\tAlpha\tselected\n"));

    // The program's own save of an edit keeps it.
    log.clear();
    Tell("edit 7");
    ASSERT_TRUE(WaitFor("edited 7"));
    QDeadlineTimer saved(20000);
    while (StoredSleepTimer(1) != 7 && !saved.hasExpired()) {
    }
    EXPECT_EQ(StoredSleepTimer(1), 7);
    EXPECT_EQ(StoredProfiles(), QByteArray("0\tProfile1\n1\tAlpha\tselected\n"));

    // And so does its last save on the way out.
    EndWith(SIGTERM);
    EXPECT_EQ(StoredProfiles(), QByteArray("0\tProfile1\n1\tAlpha\tselected\n"));
    EXPECT_EQ(StoredSleepTimer(1), 7);
}

// Scripts and hotkeys reach the running program: talvorectl select and the session D-Bus API
// select on the page and on the mouse, and the API reads the mouse's battery.
TEST_F(RunningProgram, SelectAndTheSessionApiReachThePageAndTheMouse) {
    if (QStandardPaths::findExecutable(QStringLiteral("gdbus")).isEmpty()) {
        GTEST_SKIP() << "gdbus is not installed";
    }
    PrivateBus bus;
    if (!bus.Running()) {
        GTEST_SKIP() << bus.Problem().toStdString();
    }
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.Address());
    // Awake behind its receiver, the mouse sends its power status every 2 s.
    environment.insert(QStringLiteral("TALVORE_SIM_LINKS"), QStringLiteral("receiver,awake"));
    environment.insert(QStringLiteral("TALVORE_SIM_BATTERY"), QStringLiteral("37"));
    // Alpha sleeps after 23 minutes, Profile1 after its default 10: the mouse tells them apart.
    ASSERT_NO_FATAL_FAILURE(NewProfileJson("Alpha", 23, "a.json"));
    ASSERT_NO_FATAL_FAILURE(StartProgram());

    const QString dest = QStringLiteral("org.talvore.Talvore.Demo");
    const QString path = QStringLiteral("/org/talvore/Talvore");
    const auto call = [&](const char* method, const QString& arg) {
        return Gdbus(bus.Address(),
                     {QStringLiteral("call"), QStringLiteral("--dest"), dest,
                      QStringLiteral("--object-path"), path, QStringLiteral("--method"),
                      QStringLiteral("org.talvore.Talvore1.") + QLatin1String(method), arg});
    };
    const auto property = [&](const char* name) {
        return Gdbus(bus.Address(),
                     {QStringLiteral("call"), QStringLiteral("--dest"), dest,
                      QStringLiteral("--object-path"), path, QStringLiteral("--method"),
                      QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                      QStringLiteral("org.talvore.Talvore1"), QLatin1String(name)})
            .out.trimmed();
    };
    const auto waitFor = [&](const std::function<bool()>& done) {
        QDeadlineTimer deadline(20000);
        while (!done() && !deadline.hasExpired()) {
            QThread::msleep(50);
        }
        return done();
    };

    const CommandRun introspected =
        Gdbus(bus.Address(), {QStringLiteral("introspect"), QStringLiteral("--dest"), dest,
                              QStringLiteral("--object-path"), path});
    EXPECT_TRUE(introspected.out.contains("interface org.talvore.Talvore1"))
        << introspected.out.toStdString() << introspected.err.toStdString();
    EXPECT_TRUE(MouseState().endsWith(" battery 37"));
    EXPECT_TRUE(waitFor([&] { return property("BatteryLevel") == "(<37>,)"; }))
        << property("BatteryLevel").toStdString();

    // Imported while the program runs: selected and sent.
    const CommandRun imported = Talvorectl({QStringLiteral("import"), File("a.json")});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_TRUE(waitFor([&] { return MouseState().startsWith("mouse: sleep 23 battery"); }));
    // talvorectl select hands the choice to the program.
    const CommandRun selected = Talvorectl({QStringLiteral("select"), QStringLiteral("Profile1")});
    EXPECT_EQ(selected.exitCode, 0) << selected.err.toStdString();
    EXPECT_EQ(PageList(), QByteArray("list: Profile1|Alpha; selected 0"));
    EXPECT_TRUE(waitFor([&] { return MouseState().startsWith("mouse: sleep 10 battery"); }));
    // The API selects the imported profile by its name.
    const CommandRun called = call("SelectProfile", QStringLiteral("Alpha"));
    EXPECT_EQ(called.exitCode, 0) << called.err.toStdString();
    EXPECT_EQ(PageList(), QByteArray("list: Profile1|Alpha; selected 1"));
    EXPECT_TRUE(waitFor([&] { return MouseState().startsWith("mouse: sleep 23 battery"); }));
    EXPECT_EQ(property("CurrentProfile"), QByteArray("(<'Alpha'>,)"));
    EXPECT_EQ(property("Profiles"), QByteArray("(<['Profile1', 'Alpha']>,)"));

    // Unknown names change nothing.
    const CommandRun unknown = call("SelectProfile", QStringLiteral("Nobody"));
    EXPECT_NE(unknown.exitCode, 0);
    EXPECT_TRUE(unknown.err.contains("org.talvore.Talvore1.Error.NoSuchProfile"))
        << unknown.err.toStdString();
    const CommandRun refused = Talvorectl({QStringLiteral("select"), QStringLiteral("Nobody")});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains("no profile is named Nobody")) << refused.err.toStdString();
    EXPECT_EQ(PageList(), QByteArray("list: Profile1|Alpha; selected 1"));

    EndWith(SIGTERM);
    EXPECT_EQ(StoredProfiles(), QByteArray("0\tProfile1\n1\tAlpha\tselected\n"));
}

TEST_F(RunningProgram, ARestoreWhileTheProgramRunsIsOnThePageAndTheMouse) {
    environment.insert(QStringLiteral("TALVORE_SIM_LINKS"), QStringLiteral("receiver,awake"));
    // Alpha sleeps after 23 minutes, the others after their default 10.
    ASSERT_NO_FATAL_FAILURE(NewProfileJson("Alpha", 23, "a.json"));
    ASSERT_EQ(Talvorectl({QStringLiteral("import"), File("a.json")}).exitCode, 0);
    ASSERT_EQ(Talvorectl({QStringLiteral("backup"), File("all.backup")}).exitCode, 0);
    NewProfile("Beta", "b.pro");
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_EQ(Talvorectl({QStringLiteral("import"), File("b.pro")}).exitCode, 0);
    EXPECT_EQ(PageList(), QByteArray("list: Profile1|Alpha|Beta; selected 2"));

    const CommandRun restored = Talvorectl({QStringLiteral("restore"), File("all.backup")});
    ASSERT_EQ(restored.exitCode, 0) << restored.err.toStdString();
    EXPECT_TRUE(restored.out.startsWith("2 profiles (selected: Alpha) and 0 macros restored"))
        << restored.out.toStdString();
    EXPECT_EQ(PageList(), QByteArray("list: Profile1|Alpha; selected 1"));
    QDeadlineTimer sent(20000);
    while (!MouseState().startsWith("mouse: sleep 23 battery") && !sent.hasExpired()) {
    }
    EXPECT_TRUE(MouseState().startsWith("mouse: sleep 23 battery")) << MouseState().toStdString();

    // The program's saves keep the restored stores; the replaced ones lie beside them.
    EndWith(SIGTERM);
    EXPECT_EQ(StoredProfiles(), QByteArray("0\tProfile1\n1\tAlpha\tselected\n"));
    const QStringList aside = QDir(In("Data/ms_1")).entryList({QStringLiteral("pro.data.*.replaced")});
    EXPECT_EQ(aside.size(), 1);
}

TEST_F(RunningProgram, AnEditAndAnImportAtTheSameMomentBothSurvive) {
    NewProfile("Beta", "b.pro");
    NewProfile("Gamma", "c.pro");
    ASSERT_NO_FATAL_FAILURE(StartProgram());

    // The edit and the import race; whichever comes first, both are kept.
    int value = 3;
    for (const char* file : {"b.pro", "c.pro"}) {
        log.clear();
        Tell(QByteArray("edit ") + QByteArray::number(++value));
        const CommandRun imported = Talvorectl({QStringLiteral("import"), File(file)});
        ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
        ASSERT_TRUE(WaitFor("edited " + QByteArray::number(value)));
    }
    EndWith(SIGTERM);
    EXPECT_EQ(StoredProfiles(), QByteArray("0\tProfile1\n1\tBeta\n2\tGamma\tselected\n"));
    // The last edit went to Gamma or, had it come first, to Beta.
    EXPECT_TRUE(StoredSleepTimer(2) == value || StoredSleepTimer(1) == value) << log.toStdString();
}

TEST_F(RunningProgram, AProgramThatDoesNotAnswerIsToldAndNothingChangesLater) {
    NewProfile("Late", "late.pro");
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    const QByteArray before = StoredProfiles();
    ASSERT_EQ(::kill(static_cast<pid_t>(probe.processId()), SIGSTOP), 0);
    const CommandRun refused = Talvorectl({QStringLiteral("import"), File("late.pro")});
    ASSERT_EQ(::kill(static_cast<pid_t>(probe.processId()), SIGCONT), 0);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.out.isEmpty());
    EXPECT_TRUE(refused.err.contains("running") && refused.err.contains("could not be reached"))
        << refused.err.toStdString();

    // Woken, the program finds the request too late and does not carry it out.
    EXPECT_EQ(PageList(), QByteArray("list: Profile1; selected 0"));
    EndWith(SIGTERM);
    EXPECT_EQ(StoredProfiles(), before);
}

TEST_F(RunningProgram, ACommandIsRefusedWhileADialogIsOpen) {
    NewProfile("Delta", "d.pro");
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    const QByteArray before = StoredProfiles();
    Tell("open name");
    ASSERT_TRUE(WaitFor("opened name"));
    const CommandRun refused = Talvorectl({QStringLiteral("import"), File("d.pro")});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains("dialog open")) << refused.err.toStdString();
    EXPECT_EQ(StoredProfiles(), before);
    EndWith(SIGINT);
    EXPECT_EQ(StoredProfiles(), before);
}

TEST_F(RunningProgram, ASignalEndsTheProgramCleanlyWhateverDialogIsOpen) {
    int value = 10;
    for (const char* dialog :
         {"shortcut", "macro", "colour", "name", "message", "file", "recording"}) {
        SCOPED_TRACE(dialog);
        log.clear();
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        Tell("edit " + QByteArray::number(++value));
        ASSERT_TRUE(WaitFor("edited " + QByteArray::number(value)));
        Tell(QByteArray("open ") + dialog);
        ASSERT_TRUE(WaitFor(QByteArray("opened ") + dialog));
        EndWith(SIGTERM);
        EXPECT_EQ(StoredSleepTimer(0), value);
    }
}

TEST_F(RunningProgram, FifosInPlaceOfItsLanguageFileAndImagesDoNotHoldItUp) {
    // Opened plainly, a FIFO without a writer blocks for ever.
    for (const char* file :
         {"res/lan/CN.xml", "res/lan/EN.xml", "res/lan/RU.xml", "res/lan/ES.xml",
          "res/skins/icon_256.png", "res/skins/close.svg", "res/skins/check.svg"}) {
        ASSERT_TRUE(QFile::remove(In(file)));
        ASSERT_EQ(::mkfifo(QFile::encodeName(In(file)).constData(), 0600), 0) << file;
    }
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Tell("edit 8");
    ASSERT_TRUE(WaitFor("edited 8"));
    EndWith(SIGTERM);
    EXPECT_EQ(StoredSleepTimer(0), 8);
}

}  // namespace
