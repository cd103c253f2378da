// Two starts of the program: the second tells the first to come forward and exits with code 1.
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "program_process_support.h"

namespace {

// A program folder of its own: the program, the library it needs and its skin folder, no driver
// libraries (no mouse).
bool CopyProgramFolder(const QString& to) {
    return CopyProgramFiles(QStringLiteral(TALVORE_BIN_DIR), to,
                            {"talvore", "libtalvore_hidapi_lock.so"});
}

TEST(SecondStart, ExitsWithOneAndTheRunningInstanceIsAskedToComeForward) {
    QTemporaryDir dir;
    ASSERT_TRUE(CopyProgramFolder(dir.path()));
    // A runtime folder of this test's own: the two starts meet there and nowhere else, so parallel
    // runs of this test and a program the user runs never take each other for the first.
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"),
               QStringLiteral("talvore.program.info=true;talvore.window.info=true"));
    const QString program = dir.filePath(QStringLiteral("talvore"));

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(program, {});
    QByteArray firstLog;
    ASSERT_TRUE(WaitForLine(first, firstLog, "running")) << firstLog.toStdString();
    EXPECT_TRUE(QFileInfo::exists(runtime.filePath(QStringLiteral("Corvane TALVORE Mouse"))));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(program, {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);

    EXPECT_TRUE(WaitForLine(first, firstLog, "asked this instance to come forward"))
        << firstLog.toStdString();
    first.terminate();
    if (!first.waitForFinished(5000)) {
        first.kill();
        first.waitForFinished(5000);
    }
}

}  // namespace
