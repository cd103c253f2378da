// Not a test: renders the macro editor for the pictures under docs/, in three states: empty, after
// a recording (typed "Hi", a pause, a click), and with the edit pane open on a delay.
//   editor_screenshot SKIN_FOLDER LANGUAGE_FILE EMPTY.png RECORDED.png EDIT.png
#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest/QTest>

#include <cstdio>

#include "link/driver_abi.h"
#include "link/driver_functions.h"
#include "macro/editor/ms_1_macro.h"
#include "macro/macro_store.h"
#include "macro/us_keyboard_layout.h"
#include "sys/clock.h"
#include "ui/language_manager.h"
#include "ui/ui_application.h"

namespace {

// Time as the pictured recording had it.
class ScriptedClock final : public Clock {
public:
    uint64_t NowMs() const override { return now; }
    uint64_t now = 100'000;
};

bool Save(CMS_1_Macro& editor, const char* file) {
    QTest::qWait(50);  // layout and the timers that scroll the list
    return editor.RootWidget()->grab().save(QString::fromLocal8Bit(file));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: %s SKIN_FOLDER LANGUAGE_FILE EMPTY.png RECORDED.png EDIT.png\n",
                     argv[0]);
        return 1;
    }
    UiApplication app(argc, argv);
    UiApplication::SetSkinFolder(QString::fromLocal8Bit(argv[1]));
    if (!LanguageManager::Instance().Load(QString::fromLocal8Bit(argv[2]))) {
        return 2;
    }
    QTemporaryDir folder;
    MacroStore store(folder.path() + QLatin1Char('/'));
    const HookTable noHook;
    const UsKeyboardLayout layout;
    ScriptedClock clock;
    CMS_1_Macro editor({store,
                        noHook,
                        layout,
                        LanguageManager::Instance(),
                        clock,
                        folder.path() + '/',
                        nullptr,
                        {}});
    if (!editor.Create(nullptr, 0, QRect(0, 0, 1000, 660))) {
        return 2;
    }
    editor.ShowWindow(true);
    bool ok = Save(editor, argv[3]);

    editor.Find<Option>(QStringLiteral("ms_1_record_delay_btn")).Select(Notify::kYes);
    editor.Find<Button>(QStringLiteral("ms_1_macro_record_btn")).Click();
    const struct {
        uint64_t afterMs;
        uint64_t wParam;
        int64_t lParam;
    } input[] = {{300, 0xA0, 0},
                 {90, 0x48, 0},
                 {80, 0xA0, 1},
                 {60, 0x48, 1},
                 {140, 0x49, 0},
                 {70, 0x49, 1},
                 {1500, TALVORE_MOUSE_LEFT_DOWN, 0},
                 {90, TALVORE_MOUSE_LEFT_UP, 0},
                 {420, 0x0D, 0},
                 {60, 0x0D, 1}};
    for (const auto& step : input) {
        clock.now += step.afterMs;
        editor.SendMessage(TALVORE_MSG_HOOK_INPUT, step.wParam, step.lParam);
    }
    editor.Find<Button>(QStringLiteral("ms_1_macro_record_btn")).Click();
    ok = Save(editor, argv[4]) && ok;

    editor.Find<ListBox>(QStringLiteral("ms_1_macro_action_list"))
        .Select(5, TakeFocus::kNo, Notify::kYes);
    editor.Find<Button>(QStringLiteral("ms_1_macro_action_edit_check")).Click();
    ok = Save(editor, argv[5]) && ok;
    return ok ? 0 : 3;
}
