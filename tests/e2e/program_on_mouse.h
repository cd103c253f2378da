// The program's main window in a program folder of its own, with the simulated mouse behind the
// demo folder's real driver libraries (hiddriver_1.so, hiddriver_2.so, built on the simulated
// hidapi) and Bluetooth through the simulated GATT backend. The fixture the end-to-end tests of
// the window share: a test plugs the links it needs, adjusts `platform`, then calls Open().
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include "app/main_wnd.h"

class ProgramOnMouse : public ::testing::Test {
protected:
    static constexpr int kWaitMs = 15000;

    // The application and its skin folder, the test hook, the mouse with no link, asleep, full,
    // accepting every report and without status ticks; the folder with the demo's libraries; a
    // platform with Bluetooth absent at start, no blocking waits and the device's real pacing.
    void SetUp() override;
    void TearDown() override;

    // CONFIG.ini gets `languageId` (1 Chinese, 2 English, 3 Russian, 4 Spanish).
    void UseLanguage(int languageId);
    // Creates the main window from `platform` and lets its start-up messages run.
    void Open();

    QString ProgramFolder() const;  // ends in '/'
    QString DataFolder() const;     // the data folder the program chose, ends in '/'
    CMS_1_Page& Page() { return window->Page(); }
    ApplyWorker& Worker() { return Page().Links()->Worker(); }

    // Asks for an apply and waits until the worker has run or dropped it, then lets the apply's
    // messages to the window run.
    void ApplyAndWait();

    QTemporaryDir folder;
    PagePlatform platform;
    std::unique_ptr<CMainWnd> window;
};
