#include "tests/wayland/wayland_session.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QtTest/QTest>

#include "tests/wayland/headless_compositor.h"

namespace {

constexpr int kWaitMs = 20000;

bool CopyFolder(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString relative = file.mid(from.size());
        if (relative.startsWith(QLatin1String("/Data/"))) {
            continue;  // what a run of the build's own folder left
        }
        const QString target = to + relative;
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(file, target)) {
            return false;
        }
        QFile::setPermissions(target, QFileInfo(file).permissions());
    }
    return true;
}

}  // namespace

std::optional<QJsonObject> WaitForWindow(qint64 pid, const QString& title) {
    std::optional<QJsonObject> found;
    (void)QTest::qWaitFor(
        [&] {
            found = TestCompositor().FindWindow([&](const QJsonObject& w) {
                return w.value(QStringLiteral("pid")).toInteger() == pid &&
                       w.value(QStringLiteral("name")).toString() == title &&
                       w.value(QStringLiteral("visible")).toBool();
            });
            if (!found) {
                QTest::qWait(100);
            }
            return found.has_value();
        },
        kWaitMs);
    return found;
}

bool WaitForFocus(qint64 pid, const QString& title) {
    return QTest::qWaitFor(
        [&] {
            const auto focused = TestCompositor().FocusedWindow();
            if (focused && focused->value(QStringLiteral("pid")).toInteger() == pid &&
                focused->value(QStringLiteral("name")).toString() == title) {
                return true;
            }
            QTest::qWait(100);
            return false;
        },
        kWaitMs);
}

ProgramProcess::ProgramProcess(Kind kind) {
    const QString from =
        kind == Kind::Demo ? QStringLiteral(TALVORE_DEMO_DIR) : QStringLiteral(TALVORE_BIN_DIR);
    executable_ = folder_.filePath(kind == Kind::Demo ? QStringLiteral("talvore-demo")
                                                      : QStringLiteral("talvore"));
    ready_ = folder_.isValid() && CopyFolder(from, folder_.path());
    env_ = TestCompositor().ClientEnvironment();
    env_.insert(QStringLiteral("QT_LOGGING_RULES"),
                QStringLiteral("talvore.program.info=true;talvore.window.info=true"));
    // Each program has a runtime folder of its own: its single-instance socket is its own.
    env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder_.filePath(QStringLiteral("runtime")));
    QDir().mkpath(folder_.filePath(QStringLiteral("runtime")));
    QFile::setPermissions(folder_.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env_.insert(QStringLiteral("XDG_CONFIG_HOME"), folder_.filePath(QStringLiteral("config")));
}

ProgramProcess::~ProgramProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
}

bool ProgramProcess::Start(const QStringList& arguments) {
    if (!ready_) {
        return false;
    }
    process_.setProcessEnvironment(env_);
    process_.setWorkingDirectory(folder_.path());
    process_.start(executable_, arguments);
    return process_.waitForStarted(10000);
}

bool ProgramProcess::WaitForLine(const QByteArray& line) {
    return QTest::qWaitFor(
        [&] {
            log_ += process_.readAllStandardError();
            return log_.contains(line);
        },
        kWaitMs);
}
