#include "tests/wayland/program_on_compositor.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonObject>
#include <QWidget>
#include <QtTest/QTest>

#include "tests/dbus/private_bus.h"
#include "tests/wayland/headless_compositor.h"
#include "tests/wayland/virtual_input.h"
#include "tests/wayland/wayland_session.h"
#include "ui/window_impl_base.h"

namespace {

// What the compositor shows of this process, for failure messages.
std::string WindowsOfThisProcess() {
    std::string out;
    const qint64 pid = QCoreApplication::applicationPid();
    TestCompositor().FindWindow([&](const QJsonObject& w) {
        if (w.value(QStringLiteral("pid")).toInteger() == pid) {
            const QRect r = HeadlessCompositor::ContentRect(w);
            out += "; \"" + w.value(QStringLiteral("name")).toString().toStdString() + "\" at " +
                   std::to_string(r.x()) + "," + std::to_string(r.y()) + " " +
                   std::to_string(r.width()) + "x" + std::to_string(r.height()) +
                   (w.value(QStringLiteral("visible")).toBool() ? " visible" : "") +
                   (w.value(QStringLiteral("focused")).toBool() ? " focused" : "");
        }
        return false;
    });
    return out.empty() ? std::string("; none of this process") : out;
}

// The title the compositor knows a window by: Qt names a window without a title of its own
// after the application.
QString ShownTitle(const QWidget* root) {
    return root->windowTitle().isEmpty() ? QGuiApplication::applicationDisplayName()
                                         : root->windowTitle();
}

}  // namespace

void ProgramOnCompositor::SetUp() {
    TALVORE_NEED_COMPOSITOR();
    if (!TestSessionBus().Running()) {
        GTEST_SKIP() << TestSessionBus().Problem().toStdString();
    }
    ProgramOnMouse::SetUp();
}

bool ProgramOnCompositor::MainWindowActive() const {
    return window->RootWidget()->isActiveWindow();
}

VirtualInput& ProgramOnCompositor::Input() {
    VirtualInput* input = TestCompositor().Input();
    if (input == nullptr) {
        ADD_FAILURE() << TestCompositor().InputProblem().toStdString();
        static VirtualInput none{QProcessEnvironment()};
        return none;
    }
    return *input;
}

::testing::AssertionResult ProgramOnCompositor::WaitUntilFocused(const WindowImplBase& shown) {
    const QWidget* root = shown.RootWidget();
    if (root == nullptr) {
        return ::testing::AssertionFailure() << "the window has no widgets";
    }
    const qint64 pid = QCoreApplication::applicationPid();
    if (!WaitForWindow(pid, ShownTitle(root))) {
        return ::testing::AssertionFailure()
               << "the compositor shows no window titled \"" << ShownTitle(root).toStdString()
               << "\"" << WindowsOfThisProcess();
    }
    if (!WaitForFocus(pid, ShownTitle(root))) {
        return ::testing::AssertionFailure()
               << "the compositor did not focus the window" << WindowsOfThisProcess();
    }
    if (!QTest::qWaitFor([&] { return root->isActiveWindow(); }, kWaitMs)) {
        return ::testing::AssertionFailure() << "the window never became active";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ProgramOnCompositor::ClickOn(const QWidget* widget,
                                                        const QString& button) {
    if (widget == nullptr || !widget->isVisible()) {
        return ::testing::AssertionFailure() << "no visible control to click";
    }
    const QWidget* root = widget->window();
    const QPoint inside = widget->mapTo(root, widget->rect().center());
    // The pointer goes where the compositor shows the control now (a window just mapped may
    // still be placed or sized), until the program has seen it arrive there: a press that comes
    // with the pointer's first arrival on a new window can be lost on the way.
    QPoint at;
    const bool over = QTest::qWaitFor(
        [&] {
            const auto shown = TestCompositor().FindWindow([&](const QJsonObject& w) {
                return w.value(QStringLiteral("pid")).toInteger() ==
                           QCoreApplication::applicationPid() &&
                       w.value(QStringLiteral("name")).toString() == ShownTitle(root) &&
                       w.value(QStringLiteral("visible")).toBool();
            });
            if (shown) {
                at = HeadlessCompositor::ContentRect(*shown).topLeft() + inside;
                Input().MoveTo(at.x(), at.y());
            }
            return widget->underMouse();
        },
        kWaitMs);
    if (!over) {
        return ::testing::AssertionFailure()
               << "the pointer never reached the control at " << at.x() << "," << at.y()
               << WindowsOfThisProcess() << " " << Input().Problem().toStdString();
    }
    if (!Input().Button(button, QStringLiteral("click"))) {
        return ::testing::AssertionFailure() << Input().Problem().toStdString();
    }
    return ::testing::AssertionSuccess();
}
