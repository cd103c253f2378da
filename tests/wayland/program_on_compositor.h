// The program's main window in this process, natively on the test compositor, with the simulated
// mouse (tests/e2e/program_on_mouse.h), and the virtual keyboard and pointer to drive its windows
// as a user does: a click lands where the compositor shows the control, keys go to the window the
// compositor gave the focus.
#pragma once

#include <QString>

#include <gtest/gtest.h>

#include "tests/e2e/program_on_mouse.h"

class VirtualInput;
class QWidget;
class WindowImplBase;

class ProgramOnCompositor : public ProgramOnMouse {
protected:
    // Skips, saying why, without a compositor or a private session bus.
    void SetUp() override;

    bool MainWindowActive() const;
    // The keyboard and pointer; a failure of the test when the input client cannot run.
    VirtualInput& Input();
    // Waits until `shown` is on screen, holds the compositor's keyboard focus and is Qt's active
    // window, so that typed keys reach it.
    ::testing::AssertionResult WaitUntilFocused(const WindowImplBase& shown);
    // Presses and releases `button` (left, right, middle) in the middle of `widget`, at the place
    // the compositor shows it.
    ::testing::AssertionResult ClickOn(const QWidget* widget,
                                       const QString& button = QStringLiteral("left"));
};
