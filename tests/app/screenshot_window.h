// For the screenshot tools (not tests): the main window on the simulated mouse, in the program
// folder and language given, shown centred at its usual size.
#pragma once

#include <memory>

#include <QString>

#include "app/main_wnd.h"
#include "sim/simulated_gatt_backend.h"
#include "sys/folders.h"
#include "sys/ini_file.h"
#include "ui/ui_application.h"

// `folder` ends with '/'. Null when the window could not be built.
inline std::unique_ptr<CMainWnd> OpenScreenshotWindow(const QString& folder, int languageId) {
    UiApplication::SetSkinFolder(folder + QStringLiteral("res/"));
    WriteIniInt(DataFolderOf(folder) + QLatin1String(kConfigFileName),
                QLatin1String(kSettingSection), QLatin1String(kLanguageIdKey), languageId);
    PagePlatform platform;
    platform.programFolder = folder;
    platform.bluetoothPresentAtStart = [] { return false; };
    platform.makeGattBackend = [] { return std::make_unique<sim::SimulatedGattBackend>(); };
    platform.wait = [](int) {};
    auto window = std::make_unique<CMainWnd>(platform);
    if (!window->Create(nullptr, 0, QRect(0, 0, 800, 572))) {
        return nullptr;
    }
    window->CenterWindow();
    window->ShowWindow(true);
    return window;
}
