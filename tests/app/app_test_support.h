// The program's windows in tests: an application, a program folder of its own in a temporary
// folder (with a copy of the skin folder, no driver libraries: no mouse), and the test hook.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include "app/main_wnd.h"
#include "page/device_links.h"
#include "ui/language_manager.h"
#include "ui/test_hook.h"
#include "ui/ui_application.h"

inline void EnsureProgramApp() {
    static int argc = 1;
    static char name[] = "talvore_app_test";
    static char* argv[] = {name, nullptr};
    static UiApplication* app = new UiApplication(argc, argv);
    (void)app;
    UiApplication::SetSkinFolder(QStringLiteral(TALVORE_BIN_DIR "/res/"));
    // The window's tests run as on a desktop with a tray, unless they say otherwise.
    TrayIcon::OverrideHostPresent(true);
}

// A program folder in a temporary folder: Data/ lives there; the skin folder is the build's.
struct ProgramFolder {
    QTemporaryDir dir;
    QString Path() const { return dir.path() + QLatin1Char('/'); }
    QString ConfigPath() const { return Path() + QStringLiteral("Data/CONFIG.ini"); }
    void WriteConfig(const QByteArray& text) const {
        QDir().mkpath(Path() + QStringLiteral("Data"));
        QFile file(ConfigPath());
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }
    QByteArray ReadConfig() const {
        QFile file(ConfigPath());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    PagePlatform Platform(bool bluetooth = false) const {
        PagePlatform platform;
        platform.programFolder = Path();
        platform.bluetoothPresentAtStart = [bluetooth] { return bluetooth; };
        platform.wait = [](int) {};
        return platform;
    }
};
