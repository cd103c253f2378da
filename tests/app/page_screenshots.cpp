// Not a test: renders what the settings page says and refuses, over a connected (simulated)
// mouse, for docs/:
//   page_screenshots PROGRAM_FOLDER LANGUAGE_ID OUT_PREFIX
// writes OUT_PREFIX-folds.png (the fold headers, two sections folded), OUT_PREFIX-stage.png (the
// DPI stages, the unused ones disabled with their tooltip) and OUT_PREFIX-refused.png (the message
// for a profile file the mouse would not take).
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolTip>
#include <QWidget>
#include <QtTest/QTest>

#include <cstdio>
#include <cstdlib>

#include "app/main_wnd.h"
#include "tests/app/screenshot_window.h"
#include "protocol/profile_record.h"
#include "sim/simulated_gatt_backend.h"
#include "sys/folders.h"
#include "sys/ini_file.h"
#include "ui/test_hook.h"
#include "ui/ui_application.h"

namespace {

bool SaveScreen(const QRect& area, const QString& path) {
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    return screen.copy(area).save(path);
}

// Scrolls the page so that `control` stands near the top of its view.
void ScrollTo(CMainWnd& window, const QString& control) {
    auto* scroll = window.RootWidget()->findChild<QScrollArea*>(QStringLiteral("ms_1_scroll"));
    QWidget* target = window.Find<Control>(control).Widget();
    if (scroll != nullptr && target != nullptr) {
        const int y = target->mapTo(scroll->widget(), QPoint(0, 0)).y();
        scroll->verticalScrollBar()->setValue(y - 12);
    }
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
    QTest::qWait(2500);
    const QRect around = window.ScreenRect();

    // Fold headers: the buttons and the power settings folded, the DPI stages open.
    window.Find<Button>(QStringLiteral("ms_1_check_button")).Click();
    window.Find<Button>(QStringLiteral("ms_1_check_power_setting")).Click();
    QTest::qWait(300);
    bool ok = SaveScreen(around, prefix + QStringLiteral("-folds.png"));
    window.Find<Button>(QStringLiteral("ms_1_check_button")).Click();
    window.Find<Button>(QStringLiteral("ms_1_check_power_setting")).Click();

    // The DPI stages: 7 and 8 are not in use, so they cannot be the active one, and say why.
    window.Find<Button>(QStringLiteral("ms_1_check_button")).Click();
    QTest::qWait(300);
    ScrollTo(window, QStringLiteral("card_dpi"));
    QTest::qWait(300);
    const Control stage7 = window.Find<Control>(QStringLiteral("ms_1_option_dpi_step_7"));
    QWidget* option = stage7.Widget();
    QToolTip::showText(option->mapToGlobal(QPoint(-230, option->height())), stage7.ToolTip(),
                       option);
    QTest::qWait(600);
    ok = SaveScreen(around, prefix + QStringLiteral("-stage.png")) && ok;
    QToolTip::hideText();
    window.Find<Button>(QStringLiteral("ms_1_check_button")).Click();

    // A profile file whose active stage is the eighth, which has no DPI: refused with that value
    // named, over the page.
    const QString file = folder + QStringLiteral("stage8.pro");
    const auto record = CreateBlankRecord(QStringLiteral("Stage 8"));
    record->slots[0].dpiStage = 7;
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(reinterpret_cast<const char*>(record.get()), sizeof(ProfileRecord)) !=
            static_cast<qint64>(sizeof(ProfileRecord))) {
        return 3;
    }
    out.close();
    TestHook::Enable();
    TestHook::ScriptFileDialog(file);
    TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1, [&](WindowImplBase& box) {
        box.CenterWindow();
        box.ShowWindow(true);
        QTest::qWait(600);
        ok = SaveScreen(around, prefix + QStringLiteral("-refused.png")) && ok;
    });
    window.Find<Button>(QStringLiteral("ms_1_profile_import_btn")).Click();
    return ok && TestHook::ModalRuns().size() == 1 ? 0 : 3;
}
