// Not a test: renders the function menu of a button, the key combination dialog and the macro
// selection dialog over the settings page of a connected (simulated) mouse, for docs/.
//   button_screenshots PROGRAM_FOLDER LANGUAGE_ID OUT_PREFIX
// writes OUT_PREFIX-menu.png, OUT_PREFIX-shortcut.png and OUT_PREFIX-macro.png.
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtTest/QTest>

#include <cstdio>

#include "app/main_wnd.h"
#include "tests/app/screenshot_window.h"
#include "macro/dialogs/select_macro_wnd.h"
#include "macro/dialogs/shortcut_wnd.h"
#include "macro/us_keyboard_layout.h"
#include "protocol/utf16_field.h"
#include "sim/simulated_gatt_backend.h"
#include "sys/folders.h"
#include "sys/ini_file.h"
#include "ui/language_manager.h"
#include "ui/menu_window.h"
#include "ui/ui_application.h"

namespace {

bool SaveScreen(const QRect& area, const QString& path) {
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    return screen.copy(area).save(path);
}

// Shows a dialog over the main window and saves the screen around both.
bool SaveDialog(WindowImplBase& dialog, CMainWnd& window, const QString& path) {
    if (!dialog.Create(&window, kWindowToolWindow)) {
        return false;
    }
    dialog.CenterWindow();
    dialog.ShowWindow(true);
    QTest::qWait(500);
    const bool saved = SaveScreen(window.ScreenRect(), path);
    dialog.Close(0);
    QTest::qWait(100);
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER LANGUAGE_ID OUT_PREFIX\n", argv[0]);
        return 1;
    }
    UiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    const QString prefix = QString::fromLocal8Bit(argv[3]);
    const std::unique_ptr<CMainWnd> opened = OpenScreenshotWindow(folder, atoi(argv[2]));
    if (!opened) {
        return 2;
    }
    CMainWnd& window = *opened;
    QTest::qWait(1500);

    // The menu of button 5, with the screen around the window and the menu.
    window.Find<Button>(QStringLiteral("ms_1_btn_key_%d"), 5).Click();
    QTest::qWait(500);
    const MenuWindow* menu = window.Page().Buttons().Menu();
    if (menu == nullptr || !SaveScreen(window.ScreenRect().united(menu->ScreenRect()),
                                       prefix + QStringLiteral("-menu.png"))) {
        return 3;
    }
    window.Page().Buttons().Menu()->Close();

    // Shift with C, as a button that already holds it shows it.
    UsKeyboardLayout layout;
    CShortcutWnd shortcut(0b0010, 0x06, nullptr, layout, LanguageManager::Instance());
    if (!SaveDialog(shortcut, window, prefix + QStringLiteral("-shortcut.png"))) {
        return 3;
    }

    MacroStore& macros = window.Page().Store().Macros();
    for (const char* name : {"Fire", "Reload", "Burst x3", "Build"}) {
        MacroRecord record{};
        StringToField(record.name, QString::fromLatin1(name));
        macros.Append(record);
    }
    CMS_1_SelectMacro select(macros, 0, 0, 5);
    if (!SaveDialog(select, window, prefix + QStringLiteral("-macro.png"))) {
        return 3;
    }
    return 0;
}
