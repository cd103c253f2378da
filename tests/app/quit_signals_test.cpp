// SIGTERM and SIGINT end the program through its teardown: an edit made while no apply can run
// is in pro.data when the program has gone, and the next start shows it.
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// A program folder of its own: the probe beside the demo's driver libraries, the simulated
// hidapi they run on and the skin folder.
bool CopyProgramFolder(const QString& to) {
    if (!QFile::copy(QStringLiteral(QUIT_SIGNAL_PROBE), to + QStringLiteral("/probe"))) {
        return false;
    }
    const QString demo = QStringLiteral(TALVORE_DEMO_DIR);
    for (const char* file : {"/hiddriver_1.so", "/hiddriver_2.so", "/libtalvore_simhid.so",
                             "/libtalvore_hidapi_lock.so"}) {
        if (!QFile::copy(demo + QLatin1String(file), to + QLatin1String(file))) {
            return false;
        }
    }
    QDirIterator it(demo + QStringLiteral("/res"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(demo.size());
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(file, target)) {
            return false;
        }
    }
    return true;
}

bool WaitForLine(QProcess& process, QByteArray& seen, const QByteArray& line) {
    QDeadlineTimer deadline(20000);
    while (!seen.contains(line) && !deadline.hasExpired()) {
        process.waitForReadyRead(100);
        seen += process.readAllStandardError();
    }
    return seen.contains(line);
}

// waitForFinished is false for a process that has already ended.
bool WaitForEnd(QProcess& process) {
    return process.state() == QProcess::NotRunning || process.waitForFinished(20000);
}

void Start(QProcess& process, const QString& folder, const char* mode) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"),
               QStringLiteral("talvore.program.info=true;talvore.links.info=true"));
    // The mouse sleeps behind its receiver: the window opens, but no apply can run.
    env.insert(QStringLiteral("TALVORE_SIM_LINKS"), QStringLiteral("receiver"));
    process.setProcessEnvironment(env);
    process.start(folder + QStringLiteral("/probe"), {QLatin1String(mode)});
}

TEST(QuitSignals, AnEditSurvivesTheSignalAndIsShownAtTheNextStart) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal == SIGTERM ? "SIGTERM" : "SIGINT");
        QTemporaryDir dir;
        ASSERT_TRUE(CopyProgramFolder(dir.path()));

        QProcess running;
        Start(running, dir.path(), "edit");
        QByteArray log;
        ASSERT_TRUE(WaitForLine(running, log, "edited")) << log.toStdString();
        ASSERT_EQ(::kill(static_cast<pid_t>(running.processId()), signal), 0);
        ASSERT_TRUE(WaitForEnd(running));
        log += running.readAllStandardError();
        EXPECT_EQ(running.exitStatus(), QProcess::NormalExit) << log.toStdString();
        EXPECT_EQ(running.exitCode(), 0);
        EXPECT_TRUE(log.contains("profiles saved on the way out")) << log.toStdString();

        QProcess next;
        Start(next, dir.path(), "show");
        QByteArray nextLog;
        EXPECT_TRUE(WaitForLine(next, nextLog, "sleep timer 9")) << nextLog.toStdString();
        ASSERT_TRUE(WaitForEnd(next));
        EXPECT_EQ(next.exitCode(), 0);
    }
}

}  // namespace
