// Not a test: renders the macro editor for the pictures under docs/, in three states: empty, after
// a recording (typed "Hi", a pause, a click), and with the edit pane open on a delay; as on an X11
// desktop, where the input hook hears everything. With AREA.png also a fourth: recording in its
// own area, as where no global hook listens (a Wayland session).
//   editor_screenshot SKIN_FOLDER LANGUAGE_FILE EMPTY.png RECORDED.png EDIT.png [AREA.png]
// With --stay MS instead of AREA.png, the fourth state stays on the screen that long and nothing
// is written: a compositor's own screenshot tool takes it
// (tests/macro/make_wayland_screenshots.sh).
#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest/QTest>

#include <cstdio>
#include <cstdlib>

#include "link/driver_abi.h"
#include "link/driver_functions.h"
#include "macro/dialogs/capture_mode.h"
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

// A hook library that takes every call: the pictured input is posted by this tool.
HookTable AcceptingHook() {
    HookTable t;
    t.installmousehook = t.installhook = [](const TalvoreWindow*) { return 1; };
    t.removemousehook = t.removehook = [] {};
    t.enablemousehook = t.enablehook = t.mousewheelenable = [](int) {};
    return t;
}

bool Save(CMS_1_Macro& editor, const char* file) {
    QTest::qWait(50);  // layout and the timers that scroll the list
    return editor.RootWidget()->grab().save(QString::fromLocal8Bit(file));
}

// The editor recording in its own area, after a few keys typed there.
bool ShowAreaRecording(CMS_1_Macro& editor) {
    editor.Find<Button>(QStringLiteral("ms_1_macro_record_btn")).Click();
    QWidget* area = editor.Find<Control>(QStringLiteral("ms_1_macro_record_area")).Widget();
    for (const quint32 evdev : {42u, 35u, 23u}) {  // Shift, H, I
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, evdev + 8, 0, 0);
        QCoreApplication::sendEvent(area, &press);
    }
    for (const quint32 evdev : {23u, 35u, 42u}) {
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, evdev + 8, 0, 0);
        QCoreApplication::sendEvent(area, &release);
    }
    return editor.Buffer().recording;
}

}  // namespace

int main(int argc, char** argv) {
    const bool stay = argc == 8 && QByteArray(argv[6]) == "--stay";
    if (argc != 6 && argc != 7 && !stay) {
        std::fprintf(stderr,
                     "usage: %s SKIN_FOLDER LANGUAGE_FILE EMPTY.png RECORDED.png EDIT.png "
                     "[AREA.png | --stay MS]\n",
                     argv[0]);
        return 1;
    }
    UiApplication app(argc, argv);
    UiApplication::SetSkinFolder(QString::fromLocal8Bit(argv[1]));
    if (!LanguageManager::Instance().Load(QString::fromLocal8Bit(argv[2]))) {
        return 2;
    }
    OverrideCaptureMode(CaptureMode::GlobalHook);
    QTemporaryDir folder;
    MacroStore store(folder.path() + QLatin1Char('/'));
    const HookTable hook = AcceptingHook();
    const HookTable noHook;
    const UsKeyboardLayout layout;
    ScriptedClock clock;
    CMS_1_Macro editor({store,
                        hook,
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
    if (argc == 6) {
        return ok ? 0 : 3;
    }

    OverrideCaptureMode(CaptureMode::OwnWindow);
    editor.ShowWindow(false);  // a tiling compositor would put the two side by side
    CMS_1_Macro area({store,
                      noHook,
                      layout,
                      LanguageManager::Instance(),
                      clock,
                      folder.path() + '/',
                      nullptr,
                      {}});
    if (!area.Create(nullptr, 0, QRect(0, 0, 1000, 660))) {
        return 2;
    }
    area.ShowWindow(true);
    area.Find<ListBox>(QStringLiteral("ms_1_macro_action_list"))
        .Select(-1, TakeFocus::kNo, Notify::kYes);
    ok = ShowAreaRecording(area) && ok;
    if (stay) {
        QTest::qWait(std::atoi(argv[7]));
        return ok ? 0 : 3;
    }
    ok = Save(area, argv[6]) && ok;
    return ok ? 0 : 3;
}
