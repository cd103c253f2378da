// Not a test: renders the main window with the settings page of a connected (simulated) mouse to
// a PNG, for the pictures under docs/. The window is forced visible here, in the tool, whatever
// the program would decide.
//   settings_screenshot PROGRAM_FOLDER LANGUAGE_ID OUT.png [--with-panel]
// With --with-panel the simulated mouse's control panel stands beside the window, as in the demo,
// and the picture is the whole screen.
#include <QApplication>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <QtTest/QTest>

#include <cstdio>

#include "app/main_wnd.h"
#include "tests/app/screenshot_window.h"
#include "sim/panel/simulated_mouse_panel.h"
#include "sim/simulated_gatt_backend.h"
#include "sys/folders.h"
#include "sys/ini_file.h"
#include "ui/ui_application.h"

int main(int argc, char** argv) {
    const bool withPanel = argc == 5 && QByteArray(argv[4]) == "--with-panel";
    if (argc != 4 && !withPanel) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER LANGUAGE_ID OUT.png [--with-panel]\n",
                     argv[0]);
        return 1;
    }
    UiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    const std::unique_ptr<CMainWnd> opened = OpenScreenshotWindow(folder, atoi(argv[2]));
    if (!opened) {
        return 2;
    }
    CMainWnd& window = *opened;
    if (withPanel) {
        QRect rect = window.ScreenRect();
        rect.moveLeft(16);
        window.MoveWindow(rect);
        sim::ShowSimulatedMousePanel(window.RootWidget(), folder + QStringLiteral("res/skins"));
    }
    // Let the start-up messages, the first battery status and the layout settle.
    QTest::qWait(3000);
    const QPixmap picture =
        withPanel ? QGuiApplication::primaryScreen()->grabWindow(0) : window.RootWidget()->grab();
    return picture.save(QString::fromLocal8Bit(argv[3])) ? 0 : 3;
}
