// Not a test: renders the colour dialog and the profile name dialog in one language to PNG files,
// for the pictures under docs/ (tests/page/make_dialog_screenshots.sh).
//   dialog_screenshot SKIN_FOLDER LANGUAGE_FILE COLOUR.png NAME.png
#include <QPixmap>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest/QTest>

#include <cstdio>

#include "dialogs/config_name_wnd.h"
#include "page/dpi_color_wnd.h"
#include "page/profile_store.h"
#include "ui/language_manager.h"
#include "ui/ui_application.h"

namespace {

bool Save(WindowImplBase& window, const char* path) {
    window.ShowWindow(true);
    QTest::qWait(200);
    return window.RootWidget()->grab().save(QString::fromLocal8Bit(path));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s SKIN_FOLDER LANGUAGE_FILE COLOUR.png NAME.png\n", argv[0]);
        return 1;
    }
    UiApplication app(argc, argv);
    UiApplication::SetSkinFolder(QString::fromLocal8Bit(argv[1]));
    if (!LanguageManager::Instance().Load(QString::fromLocal8Bit(argv[2]))) {
        return 2;
    }

    // The colour of DPI stage 3 as the page opens it, with a preset picked.
    CDpiColorWnd colour;
    colour.SetSelectedColor(0xFF0000FF);
    colour.SetPosition({0, 0});
    if (!colour.Create(nullptr, kWindowToolWindow)) {
        return 2;
    }
    colour.Find<Button>(QStringLiteral("mouse_dpi_color_14")).Click();

    QTemporaryDir data;
    ProfileStore store(data.path() + QLatin1Char('/'), LanguageManager::Instance());
    CMS_1_ConfigName name(QStringLiteral("profile_name_1_text"), store);
    if (!name.Create(nullptr, kWindowToolWindow)) {
        return 2;
    }
    name.Find<Edit>(QStringLiteral("edit_name")).SetText(QStringLiteral("Work"));

    return Save(colour, argv[3]) && Save(name, argv[4]) ? 0 : 3;
}
