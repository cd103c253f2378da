#include "tests/x11/x11_desktop.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QStandardPaths>
#include <QtTest/QTest>

namespace {
constexpr int kWaitMs = 15000;
}  // namespace

X11Desktop::X11Desktop() {
    for (const char* tool : {"Xvfb", "openbox", "xdotool", "xprop", "xwininfo"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
            problem_ = QLatin1String(tool) + QStringLiteral(" is not installed");
            return;
        }
    }
    display_ = QStringLiteral(":%1").arg(600 + ::getpid() % 300);
    if (!Start(server_, QStringLiteral("Xvfb"),
               {display_, QStringLiteral("-screen"), QStringLiteral("0"),
                QStringLiteral("%1x%2x24").arg(kWidth).arg(kHeight), QStringLiteral("-nolisten"),
                QStringLiteral("tcp")})) {
        problem_ = QStringLiteral("Xvfb did not start");
        return;
    }
    qputenv("DISPLAY", display_.toLocal8Bit());
    bool answered = false;
    for (int i = 0; i < 100 && !answered && server_.state() == QProcess::Running; ++i) {
        Run(QStringLiteral("xdotool"), {QStringLiteral("getmouselocation")}, &answered);
    }
    if (!answered) {
        problem_ = QStringLiteral("the X server on %1 did not answer").arg(display_);
        return;
    }
    if (!Start(windowManager_, QStringLiteral("openbox"), {})) {
        problem_ = QStringLiteral("openbox did not start");
        return;
    }
    // The window manager is up once it has named itself on the root window.
    bool managed = false;
    for (int i = 0; i < 100 && !managed; ++i) {
        managed = Run(QStringLiteral("xprop"),
                      {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                      .contains(QLatin1String("window id"));
    }
    if (!managed) {
        problem_ = QStringLiteral("openbox did not take the screen");
        return;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty()) {
        trayProblem_ = QStringLiteral("trayer is not installed");
    } else if (!Start(
                   tray_, QStringLiteral("trayer"),
                   {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                    QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                    QStringLiteral("--width"), QStringLiteral("60"), QStringLiteral("--height"),
                    QStringLiteral("28")})) {
        trayProblem_ = QStringLiteral("trayer did not start");
    }
}

X11Desktop::~X11Desktop() {
    for (QProcess* process : {&tray_, &windowManager_, &server_}) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(5000)) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }
}

bool X11Desktop::Start(QProcess& process, const QString& program, const QStringList& arguments) {
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForStarted(kWaitMs);
}

QString X11Desktop::Run(const QString& program, const QStringList& arguments, bool* ok) const {
    QProcess tool;
    tool.start(program, arguments);
    const bool finished =
        QCoreApplication::instance() != nullptr
            ? QTest::qWaitFor([&] { return tool.state() == QProcess::NotRunning; }, kWaitMs)
            : tool.waitForFinished(kWaitMs);
    const bool fine = finished && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (ok != nullptr) {
        *ok = fine;
    }
    return fine ? QString::fromLocal8Bit(tool.readAllStandardOutput()) : QString();
}
