// An X11 desktop for tests: Xvfb with a window manager (openbox) and a tray (trayer, docked at
// the right end of a bottom panel), started by the main of x11_tests before any test, with this
// process as a client (QT_QPA_PLATFORM=xcb). Not running (with the reason) where Xvfb, openbox or
// xdotool is missing; tests then skip. The tray is optional: TrayProblem() says why it is absent.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

class X11Desktop {
public:
    X11Desktop();
    ~X11Desktop();
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    bool Running() const { return problem_.isEmpty(); }
    QString Problem() const { return problem_; }
    bool HasTray() const { return trayProblem_.isEmpty(); }
    QString TrayProblem() const { return trayProblem_; }
    QString Display() const { return display_; }

    // Runs a command of this desktop's (xdotool, xprop) and returns its standard output; the
    // event loop runs meanwhile. Empty with `ok` false when it failed.
    QString Run(const QString& program, const QStringList& arguments, bool* ok = nullptr) const;

    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 800;

private:
    bool Start(QProcess& process, const QString& program, const QStringList& arguments);

    QString display_;
    QProcess server_, windowManager_, tray_;
    QString problem_, trayProblem_;
};

X11Desktop& TestDesktop();

#define TALVORE_NEED_X11_DESKTOP()                                                       \
    do {                                                                                 \
        if (!TestDesktop().Running()) {                                                  \
            GTEST_SKIP() << "no X11 desktop: " << TestDesktop().Problem().toStdString(); \
        }                                                                                \
    } while (false)
