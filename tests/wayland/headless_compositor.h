// A real Wayland compositor for tests: sway on its headless backend (WLR_BACKENDS=headless, no
// input devices, software rendering) with one 1280 x 800 output, in a runtime folder of its own.
// Programs connect to it natively; VirtualInput types and clicks into it; Tree() reads what it
// shows through its IPC (swaymsg).
//
// sway refuses to run as root, so a root test runs it as user 65534; clients reach its socket by
// its absolute path (WAYLAND_DISPLAY may name a path). Not running (with a reason) when sway is
// not installed or does not come up; tests then skip.
//
// Adding a test that needs the compositor (the macro editor's recording area, the key box):
//   - put it in a source of the `wayland_tests` target (tests/wayland/CMakeLists.txt); its main
//     (wayland_test_main.cpp) starts one compositor and a private session bus before any test,
//     and makes this process a native Wayland client, so windows made in the test (the fixture
//     of tests/e2e/program_on_mouse.h works as it is) map on the compositor;
//   - begin the test with TALVORE_NEED_COMPOSITOR(); to skip with the reason when there is none;
//   - type with `TestCompositor().Input()`: Key("F5"), Key("F13"), Key("183") (an evdev code),
//     Type("abc"), MoveTo(x, y), Button("left", "click"); wait for the window's focus first
//     (WaitForFocus(window title)), since keys go to the focused window. The program's windows
//     in this process: the fixture of tests/wayland/program_on_compositor.h waits for the focus
//     and clicks on a control where the compositor shows it;
//   - children started with TestCompositor().ClientEnvironment() run natively on it too.
#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

class VirtualInput;

class HeadlessCompositor {
public:
    HeadlessCompositor();
    ~HeadlessCompositor();
    HeadlessCompositor(const HeadlessCompositor&) = delete;
    HeadlessCompositor& operator=(const HeadlessCompositor&) = delete;

    bool Running() const { return problem_.isEmpty(); }
    QString Problem() const { return problem_; }

    // The socket's absolute path, for WAYLAND_DISPLAY.
    QString Socket() const { return socket_; }
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 800;

    // The environment for a native client: WAYLAND_DISPLAY, no DISPLAY, no QT_QPA_PLATFORM (the
    // program chooses), a runtime folder of the test's.
    QProcessEnvironment ClientEnvironment() const;

    // The compositor's view of its windows (swaymsg -t get_tree); empty on failure.
    QJsonObject Tree() const;
    // The first window (a node with a surface) that `match` accepts; nullopt when none.
    std::optional<QJsonObject> FindWindow(
        const std::function<bool(const QJsonObject&)>& match) const;
    // A window's place on the output, its content without the compositor's decoration.
    static QRect ContentRect(const QJsonObject& window);
    // The window with the keyboard focus; nullopt when none.
    std::optional<QJsonObject> FocusedWindow() const;
    // Runs a sway command (swaymsg); true when it succeeded.
    bool Command(const QString& command) const;

    // The keyboard and pointer; null when the input client cannot run.
    VirtualInput* Input();
    QString InputProblem() const { return inputProblem_; }

private:
    static bool UnprivilegedCanPass(const QString& folder);

    QTemporaryDir runtime_;
    QTemporaryDir clientRuntime_;
    QProcess sway_;
    QString socket_;
    QString ipcSocket_;
    QString problem_;
    std::unique_ptr<VirtualInput> input_;
    QString inputProblem_;
};

// The compositor the Wayland tests share; started by their main.
HeadlessCompositor& TestCompositor();

#define TALVORE_NEED_COMPOSITOR()                                                                  \
    do {                                                                                           \
        if (!TestCompositor().Running()) {                                                         \
            GTEST_SKIP() << "no Wayland compositor: " << TestCompositor().Problem().toStdString(); \
        }                                                                                          \
    } while (false)
