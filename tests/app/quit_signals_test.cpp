// SIGTERM and SIGINT end the program through its teardown: an edit made while no apply can run
// is in pro.data when the program has gone, and the next start shows it.
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include "program_process_support.h"

namespace {

// A program folder of its own: the probe beside the demo's driver libraries, the simulated
// hidapi they run on and the skin folder.
bool CopyProgramFolder(const QString& to) {
    return QFile::copy(QStringLiteral(QUIT_SIGNAL_PROBE), to + QStringLiteral("/probe")) &&
           CopyProgramFiles(QStringLiteral(TALVORE_DEMO_DIR), to,
                            {"hiddriver_1.so", "hiddriver_2.so", "libtalvore_simhid.so",
                             "libtalvore_hidapi_lock.so"});
}

// waitForFinished is false for a process that has already ended.
bool WaitForEnd(QProcess& process) {
    return process.state() == QProcess::NotRunning || process.waitForFinished(20000);
}

// `runtime` is a runtime folder of the test's own: the probe's single-instance guard lies there,
// so another run of this test on the machine never makes a start the second one.
void Start(QProcess& process, const QString& folder, const QString& runtime, const char* mode) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
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
        QTemporaryDir runtime;  // made closed to others, as a runtime folder is
        ASSERT_TRUE(runtime.isValid());

        QProcess running;
        Start(running, dir.path(), runtime.path(), "edit");
        QByteArray log;
        ASSERT_TRUE(WaitForLine(running, log, "edited")) << log.toStdString();
        ASSERT_EQ(::kill(static_cast<pid_t>(running.processId()), signal), 0);
        ASSERT_TRUE(WaitForEnd(running));
        log += running.readAllStandardError();
        EXPECT_EQ(running.exitStatus(), QProcess::NormalExit) << log.toStdString();
        EXPECT_EQ(running.exitCode(), 0);
        EXPECT_TRUE(log.contains("profiles saved on the way out")) << log.toStdString();

        QProcess next;
        Start(next, dir.path(), runtime.path(), "show");
        QByteArray nextLog;
        EXPECT_TRUE(WaitForLine(next, nextLog, "sleep timer 9")) << nextLog.toStdString();
        ASSERT_TRUE(WaitForEnd(next));
        EXPECT_EQ(next.exitCode(), 0);
    }
}

}  // namespace
