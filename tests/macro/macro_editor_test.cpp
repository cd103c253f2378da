// The macro editor offscreen: driven through its controls' notifications and message 1034, with
// a hook table that only records its calls and a clock the test moves.
#include "macro/editor/ms_1_macro.h"

#include <QCoreApplication>
#include <QFile>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>

#include <gtest/gtest.h>

#include "link/driver_functions.h"
#include "macro/dialogs/capture_mode.h"
#include "macro/macro_name_changes.h"
#include "macro/macro_store.h"
#include "macro/us_keyboard_layout.h"
#include "protocol/utf16_field.h"
#include "tests/macro/fake_clock.h"
#include "ui/language_manager.h"
#include "ui/test_hook.h"
#include "ui/ui_application.h"

namespace {

constexpr unsigned kHookInput = 1034;

// Hook library calls, in order: "installhook", "enablehook 1", ...
std::vector<std::string>& HookCalls() {
    static std::vector<std::string> calls;
    return calls;
}
HookTable RecordingHookTable() {
    HookTable t;
    t.installmousehook = [](const TalvoreWindow*) { return 1; };
    t.installhook = [](const TalvoreWindow*) {
        HookCalls().push_back("installhook");
        return 1;
    };
    t.removemousehook = [] { HookCalls().push_back("removemousehook"); };
    t.removehook = [] { HookCalls().push_back("removehook"); };
    t.enablemousehook = [](int on) {
        HookCalls().push_back("enablemousehook " + std::to_string(on));
    };
    t.enablehook = [](int on) { HookCalls().push_back("enablehook " + std::to_string(on)); };
    t.mousewheelenable = [](int on) {
        HookCalls().push_back("mousewheelenable " + std::to_string(on));
    };
    return t;
}
using Calls = std::vector<std::string>;

struct Act {
    uint8_t code;
    uint8_t kind;
    uint16_t delay;
    bool operator==(const Act&) const = default;
};
void PrintTo(const Act& a, std::ostream* out) {
    *out << "{0x" << std::hex << int(a.code) << std::dec << ", " << int(a.kind) << ", " << a.delay
         << "}";
}
std::vector<Act> ActsOf(const MacroAction* actions, int count) {
    std::vector<Act> out;
    for (int i = 0; i < count; ++i) {
        out.push_back({actions[i].code, actions[i].kind, actions[i].delay});
    }
    return out;
}

void SendFocus(const Control& control, QEvent::Type type) {
    QFocusEvent event(type);
    QCoreApplication::sendEvent(control.Widget(), &event);
}

class MacroEditor : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "macro_editor_test";
        static char* argv[] = {name, nullptr};
        static UiApplication* app = new UiApplication(argc, argv);
        (void)app;
        UiApplication::SetSkinFolder(QStringLiteral(TALVORE_BIN_DIR "/res/"));
        ASSERT_TRUE(LanguageManager::Instance().Load(QStringLiteral("lan/EN.xml")));
        TestHook::Enable();
        HookCalls().clear();
        ProgramLastHookInput() = {};
        // As on an X11 desktop, unless a test says otherwise.
        OverrideCaptureMode(CaptureMode::GlobalHook);
    }
    void TearDown() override {
        editor.reset();
        TestHook::Disable();
        OverrideCaptureMode(std::nullopt);
    }

    // A stored macro of `count` alternating presses and releases of A, each with `delay`.
    void StoreMacro(const QString& macroName, int count, uint16_t delay = 10) {
        MacroRecord& record = store.AddNew(LanguageManager::Instance());
        store.Rename(record, macroName);
        std::vector<MacroAction> actions;
        for (int i = 0; i < count; ++i) {
            actions.push_back({0x04, static_cast<uint8_t>(i % 2 == 0 ? 1 : 2), delay});
        }
        store.UpdateActions(record, actions.data(), count);
    }
    void Open(int macro = -1) {
        editor = std::make_unique<CMS_1_Macro>(
            MacroEditorServices{store, hooks, layout, LanguageManager::Instance(), clock,
                                folder.path() + '/', &changes, describeUsers});
        ASSERT_TRUE(editor->Create(nullptr));
        if (macro >= 0) {
            List("ms_1_macro_list").Select(macro, TakeFocus::kNo, Notify::kYes);
        }
    }
    template <class T = Button>
    T Get(const char* name) {
        return editor->Find<T>(QLatin1String(name));
    }
    ListBox List(const char* name) { return Get<ListBox>(name); }
    void Input(uint64_t wParam, int64_t lParam) { editor->SendMessage(kHookInput, wParam, lParam); }
    void SelectAction(int row) {
        List("ms_1_macro_action_list").Select(row, TakeFocus::kNo, Notify::kYes);
    }
    // What macro.data holds for macro `index`.
    std::vector<Act> Stored(int index) {
        MacroStore reread(folder.path() + '/');
        reread.Load();
        const MacroRecord& r = reread.At(index);
        return ActsOf(r.actions, r.actionCount);
    }
    std::vector<Act> Working() {
        const MacroEditBuffer& b = editor->Buffer();
        return ActsOf(b.actions.data(), b.actionCount);
    }
    QString RowText(int row, const char* part) {
        return List("ms_1_macro_action_list").Row(row).FindChild<Label>(QLatin1String(part)).Text();
    }

    // The next message box is answered with `result`; its message key and text are kept.
    void AnswerMessage(int result) {
        TestHook::ScriptModal(QStringLiteral("MsgWnd"), result, [this](WindowImplBase& box) {
            const Label message = box.Find<Label>(QStringLiteral("warning"));
            messages.append(message.UserData());
            messageTexts.append(message.Text());
        });
    }

    QTemporaryDir folder;
    MacroStore store{folder.path() + '/'};
    MacroNameChanges changes{store};
    std::function<QString(const QString&)> describeUsers;
    QStringList messages;
    QStringList messageTexts;
    HookTable hooks = RecordingHookTable();
    UsKeyboardLayout layout;
    FakeClock clock;
    std::unique_ptr<CMS_1_Macro> editor;
};

TEST_F(MacroEditor, RecordingFromAnEmptyStoreMeasuresDelaysAndStoresOnStop) {
    Open();
    Get<Option>("ms_1_record_delay_btn").Select(Notify::kYes);
    Get("ms_1_macro_record_btn").Click();  // no macro yet: one is made for the recording
    ASSERT_EQ(store.Count(), 1);
    EXPECT_EQ(editor->CurrentIndex(), 0);
    EXPECT_EQ(Get("ms_1_macro_record_btn").TextKey(), QStringLiteral("stop_recording_text"));
    EXPECT_EQ(HookCalls(), (Calls{"installhook", "enablehook 1", "mousewheelenable 0"}));

    for (int i = 0; i < 5; ++i) {
        Input(0x41, 0);  // A held: its press repeats
    }
    clock.Advance(70'000);
    Input(0x41, 1);
    clock.Advance(120);
    Input(0x41, 0);  // the same key again
    clock.Advance(40);
    Input(0x41, 1);
    EXPECT_EQ(Working(),
              (std::vector<Act>{{0x04, 1, 65535}, {0x04, 2, 120}, {0x04, 1, 40}, {0x04, 2, 10}}));
    EXPECT_EQ(RowText(0, "key"), QStringLiteral("A"));
    EXPECT_EQ(RowText(0, "delay"), QStringLiteral("65535"));

    // Pointing at the button mutes the mouse, so the click that stops is not recorded.
    HookCalls().clear();
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(Get("ms_1_macro_record_btn").Widget(), &enter);
    EXPECT_EQ(HookCalls(), (Calls{"enablemousehook 0"}));
    Get("ms_1_macro_record_btn").Click();
    EXPECT_EQ(HookCalls(), (Calls{"enablemousehook 0", "removehook", "removemousehook",
                                  "enablemousehook 0", "enablehook 0", "mousewheelenable 0"}));
    EXPECT_EQ(Get("ms_1_macro_record_btn").TextKey(), QStringLiteral("start_recording_text"));
    EXPECT_FALSE(Get<CheckBox>("ms_1_macro_record_btn").GetCheck());
    EXPECT_EQ(Stored(0), Working());
    Input(0x42, 0);  // input the hook sent before it stopped is not taken
    EXPECT_EQ(editor->Buffer().actionCount, 4);
}

TEST_F(MacroEditor, TwentyThreePairsStopTheRecordingByThemselves) {
    StoreMacro(QStringLiteral("Long"), 0);
    Open(0);
    Get("ms_1_macro_record_btn").Click();
    for (int pair = 0; pair < 23; ++pair) {
        const uint64_t key = pair % 2 == 0 ? 0x41 : 0x42;
        Input(key, 0);
        Input(key, 1);
    }
    EXPECT_FALSE(editor->Buffer().recording);
    EXPECT_EQ(HookCalls().back(), "mousewheelenable 0");
    EXPECT_EQ(Stored(0).size(), 46u);
    EXPECT_EQ(List("ms_1_macro_action_list").Count(), 46);
}

// With row k selected the recording goes in after it; the wait before the first new action is
// row k's delay.
TEST_F(MacroEditor, ARecordingWithARowSelectedLandsAfterThatRow) {
    StoreMacro(QStringLiteral("Four"), 4, 100);
    Open(0);
    SelectAction(1);
    Get<Option>("ms_1_no_delay_btn").Select(Notify::kYes);
    Get("ms_1_macro_record_btn").Click();
    Input(516, 0);
    Input(517, 0);
    Get("ms_1_macro_record_btn").Click();
    EXPECT_EQ(Stored(0), (std::vector<Act>{{0x04, 1, 100},
                                           {0x04, 2, 10},
                                           {0xF2, 1, 10},
                                           {0xF2, 2, 10},
                                           {0x04, 1, 100},
                                           {0x04, 2, 100}}));
    EXPECT_EQ(List("ms_1_macro_action_list").CurSel(), 3);
}

TEST_F(MacroEditor, AChangeThatWouldCostFortyEightReloadsTheStoredMacro) {
    StoreMacro(QStringLiteral("Full"), 46);  // cost 46
    Open(0);
    Get("ms_1_macro_action_edit_check").Click();
    Edit delay = Get<Edit>("ms_1_macro_delay_edit");
    AnswerMessage(1);
    for (int row : {0, 1}) {  // 2000 ms costs one more each time: 47 is kept, 48 is not
        SelectAction(row);
        SendFocus(delay, QEvent::FocusIn);
        delay.SetText(QStringLiteral("2000"));
        SendFocus(delay, QEvent::FocusOut);
    }
    EXPECT_EQ(Stored(0)[0].delay, 2000);
    EXPECT_EQ(Stored(0)[1].delay, 10);
    EXPECT_EQ(editor->Buffer().actions[1].delay, 10);
    EXPECT_EQ(RowText(1, "delay"), QStringLiteral("10"));
    EXPECT_EQ(editor->Buffer().Cost(), 47);
}

TEST_F(MacroEditor, RenamingToAUsedNameShowsTheOldNameAndAFreeNameIsStored) {
    StoreMacro(QStringLiteral("Macro1"), 0);
    StoreMacro(QStringLiteral("Macro2"), 0);
    Open(1);
    Edit name = Get<Edit>("ms_1_macro_name_edit");
    const auto rename = [&](const char* text) {
        SendFocus(name, QEvent::FocusIn);
        name.SetText(QLatin1String(text));
        SendFocus(name, QEvent::FocusOut);
    };
    AnswerMessage(1);
    rename("MACRO1");
    EXPECT_EQ(name.Text(), QStringLiteral("Macro2"));
    EXPECT_EQ(messages, QStringList{QStringLiteral("macro_name_taken_text")});
    rename("Fire");
    EXPECT_EQ(List("ms_1_macro_list").ItemText(1), QStringLiteral("Fire"));
    rename("FIRE");  // its own name in other letters changes nothing
    EXPECT_EQ(name.Text(), QStringLiteral("Fire"));
    MacroStore reread(folder.path() + '/');
    reread.Load();
    EXPECT_EQ(reread.NameAt(0), QStringLiteral("Macro1"));
    EXPECT_EQ(reread.NameAt(1), QStringLiteral("Fire"));
}

TEST_F(MacroEditor, DelayBoxesClampAndTheLastRowsDelayIsNotEditable) {
    StoreMacro(QStringLiteral("Three"), 3, 300);
    Open(0);
    List("ms_1_macro_action_list").Select(-1, TakeFocus::kNo, Notify::kYes);
    Get("ms_1_macro_action_edit_check").Click();  // nothing selected: the box clears again
    EXPECT_FALSE(Get<CheckBox>("ms_1_macro_action_edit_check").GetCheck());

    SelectAction(0);
    Get("ms_1_macro_action_edit_check").Click();
    ASSERT_TRUE(editor->EditPaneOn());
    Edit delay = Get<Edit>("ms_1_macro_delay_edit");
    const auto type = [&](const char* text) {
        delay.SetText(QLatin1String(text));
        SendFocus(delay, QEvent::FocusOut);
        return Stored(0)[0].delay;
    };
    EXPECT_EQ(type("5"), 10);
    EXPECT_EQ(type("70000"), 65535);
    EXPECT_EQ(delay.Text(), QStringLiteral("65535"));
    EXPECT_EQ(type("abc"), 10);

    SelectAction(2);
    EXPECT_FALSE(delay.IsEnabled());
    EXPECT_EQ(delay.Text(), QStringLiteral("10"));
    delay.SetText(QStringLiteral("900"));
    SendFocus(delay, QEvent::FocusOut);
    EXPECT_EQ(Stored(0)[2].delay, 300);
    EXPECT_EQ(RowText(2, "delay"), QStringLiteral("10"));
}

TEST_F(MacroEditor, MovingAndDeletingActionsKeepRowsAndSelectionInStep) {
    StoreMacro(QStringLiteral("Two"), 2, 300);
    Open(0);
    SelectAction(0);
    Get("ms_1_macro_down_btn").Click();  // the moved action is the last row now: it shows 10
    EXPECT_EQ(Stored(0), (std::vector<Act>{{0x04, 2, 300}, {0x04, 1, 300}}));
    EXPECT_EQ(RowText(1, "delay"), QStringLiteral("10"));
    EXPECT_EQ(RowText(0, "delay"), QStringLiteral("300"));
    EXPECT_EQ(List("ms_1_macro_action_list").CurSel(), 1);

    Get("ms_1_macro_delete_action_btn").Click();
    Get("ms_1_macro_action_edit_check").Click();
    Get("ms_1_macro_delete_action_btn").Click();  // the only action
    EXPECT_TRUE(Stored(0).empty());
    EXPECT_EQ(List("ms_1_macro_action_list").Count(), 0);
    EXPECT_EQ(List("ms_1_macro_action_list").CurSel(), -1);
    EXPECT_EQ(editor->Buffer().selectedAction, -1);
    EXPECT_FALSE(editor->EditPaneOn());
}

TEST_F(MacroEditor, TheKeyBoxTakesKeysButNotTheClickThatLeavesIt) {
    StoreMacro(QStringLiteral("Keys"), 2);
    Open(0);
    SelectAction(0);
    Get("ms_1_macro_action_edit_check").Click();
    Edit key = Get<Edit>("ms_1_macro_action_edit");
    SendFocus(key, QEvent::FocusIn);
    EXPECT_EQ(HookCalls(), (Calls{"installhook", "enablehook 1"}));
    Input(0x43, 0);
    Input(0x43, 1);
    Input(513, 0);  // pressing the mouse elsewhere
    EXPECT_EQ(key.Text(), QStringLiteral("C"));
    SendFocus(key, QEvent::FocusOut);
    Input(0x44, 0);  // sent before the hook was removed
    EXPECT_EQ(HookCalls(), (Calls{"installhook", "enablehook 1", "removehook", "enablehook 0"}));
    // The release of the key pressed in row 0 moved along: no key is left held.
    EXPECT_EQ(Stored(0), (std::vector<Act>{{0x06, 1, 10}, {0x06, 2, 10}}));
    EXPECT_EQ(RowText(0, "key"), QStringLiteral("C"));
    EXPECT_EQ(RowText(1, "key"), QStringLiteral("C"));

    // A release edited takes its press along; a mouse button likewise, from the combo box.
    SelectAction(1);
    SendFocus(key, QEvent::FocusIn);
    Input(0x44, 0);
    SendFocus(key, QEvent::FocusOut);
    EXPECT_EQ(Stored(0), (std::vector<Act>{{0x07, 1, 10}, {0x07, 2, 10}}));
    SelectAction(0);
    Get<ComboBox>("ms_1_macro_mouse_action_combo").Select(2, TakeFocus::kNo, Notify::kYes);
    EXPECT_EQ(Stored(0), (std::vector<Act>{{0xF3, 1, 10}, {0xF3, 2, 10}}));
}

// A recording never ends holding a key or button: the press of the close button, and a key still
// down, are dropped with the recording kept.
TEST_F(MacroEditor, ClosingDuringARecordingStopsItKeepsTheActionsAndReleasesTheHook) {
    StoreMacro(QStringLiteral("Open"), 0);
    Open(0);
    Get<Option>("ms_1_record_delay_btn").Select(Notify::kYes);
    Get("ms_1_macro_record_btn").Click();
    Input(0x41, 0);
    clock.Advance(50);
    Input(0x41, 1);
    clock.Advance(70);
    Input(0xA0, 0);  // Shift still down
    clock.Advance(30);
    Input(513, 0);  // the press on the close button
    Get("btn_exit").Click();
    EXPECT_EQ(HookCalls().back(), "mousewheelenable 0");
    EXPECT_EQ(std::count(HookCalls().begin(), HookCalls().end(), "removehook"), 1);
    EXPECT_EQ(Stored(0), (std::vector<Act>{{0x04, 1, 50}, {0x04, 2, 10}}));
}

TEST_F(MacroEditor, DeleteAsksFirstAndFilesFollowTheStoreRules) {
    StoreMacro(QStringLiteral("Keep"), 2);
    StoreMacro(QStringLiteral("Drop"), 0);
    Open(1);
    TestHook::ScriptModal(QStringLiteral("MsgWnd"), 0);
    Get("ms_1_macro_delete_btn").Click();
    EXPECT_EQ(store.Count(), 2);
    TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1);
    Get("ms_1_macro_delete_btn").Click();
    ASSERT_EQ(store.Count(), 1);
    EXPECT_EQ(List("ms_1_macro_list").Count(), 1);
    EXPECT_EQ(editor->CurrentIndex(), 0);  // the row before takes its place

    const QString file = folder.filePath(QStringLiteral("keep.macro"));
    TestHook::ScriptFileDialog(file);
    Get("ms_1_macro_export_btn").Click();
    EXPECT_EQ(QFile(file).size(), 240);
    TestHook::ScriptFileDialog(file);
    Get("ms_1_macro_import_btn").Click();
    ASSERT_EQ(store.Count(), 2);
    EXPECT_EQ(List("ms_1_macro_list").ItemText(1), QStringLiteral("Keep_1"));
    EXPECT_EQ(editor->CurrentIndex(), 1);
    EXPECT_EQ(Stored(1), Stored(0));

    // A file that cannot be read adds nothing, and the user is told.
    TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1);
    TestHook::ScriptFileDialog(folder.filePath(QStringLiteral("missing.macro")));
    Get("ms_1_macro_import_btn").Click();
    EXPECT_EQ(store.Count(), 2);
    EXPECT_EQ(TestHook::ModalRuns().count(QStringLiteral("MsgWnd")), 3);
    // The dialogs offer the macro's name and open where the user last took a file.
    const auto requests = TestHook::FileDialogRequests();
    ASSERT_EQ(requests.size(), 3);
    EXPECT_EQ(requests[0].filter.description, QStringLiteral("Macro File"));
    EXPECT_EQ(requests[0].filter.patterns,
              (QStringList{QStringLiteral("*.macro"), QStringLiteral("*.MACRO")}));
    EXPECT_EQ(requests[0].suggestedName, QStringLiteral("Keep.macro"));
    EXPECT_EQ(requests[1].initialFolder, folder.path());
}

// Without a hook (no library, no X display) the editor does not record nothing: it switches to
// its own recording area, says so, and records what is typed there.
TEST_F(MacroEditor, WithoutAHookTheEditorRecordsInItsOwnArea) {
    hooks = HookTable{};
    StoreMacro(QStringLiteral("Kept"), 2);
    Open(0);
    EXPECT_EQ(Get<Label>("macro_record_hint").TextKey(), QStringLiteral("macro_mode_global_text"));
    SelectAction(-1);
    Get("ms_1_macro_record_btn").Click();
    EXPECT_TRUE(editor->Buffer().recording);
    EXPECT_EQ(editor->InputMode(), CaptureMode::OwnWindow);
    EXPECT_EQ(Get<Label>("macro_record_hint").TextKey(), QStringLiteral("macro_mode_window_text"));
    EXPECT_TRUE(Get<Control>("ms_1_macro_record_area").IsVisible());
    QKeyEvent press(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, 48 + 8, 0, 0);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, 48 + 8, 0, 0);
    QCoreApplication::sendEvent(Get<Control>("ms_1_macro_record_area").Widget(), &press);
    QCoreApplication::sendEvent(Get<Control>("ms_1_macro_record_area").Widget(), &release);
    Get("ms_1_macro_record_btn").Click();
    EXPECT_FALSE(editor->Buffer().recording);
    EXPECT_EQ(Stored(0), (std::vector<Act>{{0x05, 1, 10}, {0x05, 2, 10}}));
    EXPECT_TRUE(TestHook::ModalRuns().isEmpty());
}

// Where no global hook listens, the editor records what is typed and clicked in its own marked
// area, through the key table like the hook: the same delays, repeats dropped, a key the table
// does not know as code 0, and nothing left held when it stops. The mode is said in the editor.
TEST_F(MacroEditor, InItsOwnAreaTheEditorRecordsKeysAndClicksTypedThere) {
    OverrideCaptureMode(CaptureMode::OwnWindow);
    StoreMacro(QStringLiteral("Area"), 0);
    Open(0);
    const Control area = Get<Control>("ms_1_macro_record_area");
    EXPECT_TRUE(area.IsVisible());
    EXPECT_EQ(Get<Label>("macro_record_hint").TextKey(), QStringLiteral("macro_mode_window_text"));
    Get<Option>("ms_1_record_delay_btn").Select(Notify::kYes);
    Get("ms_1_macro_record_btn").Click();
    EXPECT_TRUE(HookCalls().empty());  // no hook is asked for
    EXPECT_EQ(Get<Label>("ms_1_macro_record_area_label").TextKey(),
              QStringLiteral("macro_area_recording_text"));
    EXPECT_EQ(area.StyleState("recording"), QStringLiteral("true"));

    QWidget* widget = area.Widget();
    const auto key = [&](QEvent::Type type, int qtKey, quint32 evdev, bool repeat = false) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, evdev + 8, 0, 0, QString(), repeat);
        QCoreApplication::sendEvent(widget, &event);
    };
    const auto click = [&](QEvent::Type type, Qt::MouseButton button) {
        QMouseEvent event(type, QPointF(5, 5), QPointF(5, 5), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    };
    key(QEvent::KeyPress, Qt::Key_Tab, 15);
    clock.Advance(80);
    key(QEvent::KeyPress, Qt::Key_Tab, 15, true);  // held: the repeats are no new presses
    key(QEvent::KeyRelease, Qt::Key_Tab, 15);
    clock.Advance(200);
    click(QEvent::MouseButtonPress, Qt::BackButton);
    clock.Advance(30);
    click(QEvent::MouseButtonRelease, Qt::BackButton);
    clock.Advance(40);
    key(QEvent::KeyPress, Qt::Key_F13, 183);  // no row in the key table
    clock.Advance(20);
    key(QEvent::KeyRelease, Qt::Key_F13, 183);
    clock.Advance(20);
    key(QEvent::KeyPress, Qt::Key_Escape, 1);  // still down when the recording stops
    EXPECT_TRUE(editor->IsWindow());           // Escape is recorded here, not a close
    Get("ms_1_macro_record_btn").Click();

    EXPECT_EQ(Stored(0), (std::vector<Act>{{0x2B, 1, 80},
                                           {0x2B, 2, 200},
                                           {0xF4, 1, 30},
                                           {0xF4, 2, 40},
                                           {0x00, 1, 20},
                                           {0x00, 2, 10}}));
    EXPECT_EQ(List("ms_1_macro_action_list").Count(), 6);
    EXPECT_EQ(area.StyleState("recording"), QString());
    // After the stop the area is just a field again: keys do nothing.
    key(QEvent::KeyPress, Qt::Key_A, 30);
    EXPECT_EQ(Stored(0).size(), 6u);
}

// The editor opens on the first macro, its row marked; how full the macro is shows as "n / 46";
// a recording that stops at the limit says so, and a delay refused by the limit says why.
TEST_F(MacroEditor, LimitsAreShownAndRefusalsSaid) {
    StoreMacro(QStringLiteral("First"), 4);
    StoreMacro(QStringLiteral("Second"), 0);
    Open();
    EXPECT_EQ(editor->CurrentIndex(), 0);
    EXPECT_EQ(List("ms_1_macro_list").CurSel(), 0);
    EXPECT_EQ(Get<Label>("ms_1_macro_fill_label").Text(), QStringLiteral("4 / 46"));

    List("ms_1_macro_list").Select(1, TakeFocus::kNo, Notify::kYes);
    EXPECT_EQ(Get<Label>("ms_1_macro_fill_label").Text(), QStringLiteral("0 / 46"));
    Get("ms_1_macro_record_btn").Click();
    for (int pair = 0; pair < 23; ++pair) {
        Input(0x41, 0);
        Input(0x41, 1);
    }
    EXPECT_FALSE(editor->Buffer().recording);
    EXPECT_EQ(Get<Label>("ms_1_macro_fill_label").Text(), QStringLiteral("46 / 46"));
    EXPECT_EQ(Get<Label>("ms_1_macro_fill_label").StyleState("full"), QStringLiteral("true"));
    EXPECT_TRUE(Get<Label>("ms_1_macro_status_label").IsVisible());
    EXPECT_EQ(Get<Label>("ms_1_macro_status_label").TextKey(),
              QStringLiteral("macro_full_stopped_text"));

    // Full at cost 46: one long delay is kept (47), a second is refused with the reason.
    Get("ms_1_macro_action_edit_check").Click();
    Edit delay = Get<Edit>("ms_1_macro_delay_edit");
    AnswerMessage(1);
    for (int row : {0, 2}) {
        SelectAction(row);
        delay.SetText(QStringLiteral("1500"));
        SendFocus(delay, QEvent::FocusOut);
    }
    EXPECT_EQ(Stored(1)[0].delay, 1500);
    EXPECT_EQ(Stored(1)[2].delay, 10);
    EXPECT_EQ(messages, QStringList{QStringLiteral("macro_delay_cost_text")});
    EXPECT_TRUE(messageTexts.value(0).contains(QStringLiteral("1500")));
}

// Clear asks first; Delete names the profiles and buttons that would lose the macro; renames and
// deletions are handed on, so the buttons follow their macro; empty and taken names are refused
// with a word.
TEST_F(MacroEditor, ClearAsksDeleteNamesItsUsersAndNamesAreChecked) {
    StoreMacro(QStringLiteral("Fire_1"), 2);
    StoreMacro(QStringLiteral("Walk"), 2);
    changes = MacroNameChanges(store);
    describeUsers = [](const QString& name) {
        return name == QLatin1String("Walk") ? QStringLiteral("Office (8, 9)") : QString();
    };
    Open(0);
    AnswerMessage(0);
    Get("ms_1_macro_clear_action_btn").Click();
    EXPECT_EQ(Stored(0).size(), 2u);
    AnswerMessage(1);
    Get("ms_1_macro_clear_action_btn").Click();
    EXPECT_TRUE(Stored(0).empty());
    EXPECT_EQ(messages, (QStringList{QStringLiteral("clear_macro_text"),
                                     QStringLiteral("clear_macro_text")}));

    Edit name = Get<Edit>("ms_1_macro_name_edit");
    const auto rename = [&](const QString& text) {
        SendFocus(name, QEvent::FocusIn);
        name.SetText(text);
        SendFocus(name, QEvent::FocusOut);
    };
    AnswerMessage(1);
    rename(QStringLiteral("   "));
    AnswerMessage(1);
    rename(QStringLiteral("walk"));
    EXPECT_EQ(name.Text(), QStringLiteral("Fire_1"));
    rename(QStringLiteral("  Rapid "));
    EXPECT_EQ(name.Text(), QStringLiteral("Rapid"));
    EXPECT_EQ(List("ms_1_macro_list").ItemText(0), QStringLiteral("Rapid"));
    QString now;
    EXPECT_EQ(changes.FateOf(QStringLiteral("Fire_1"), &now), MacroNameChanges::Fate::Kept);
    EXPECT_EQ(now, QStringLiteral("Rapid"));

    List("ms_1_macro_list").Select(1, TakeFocus::kNo, Notify::kYes);
    AnswerMessage(1);
    Get("ms_1_macro_delete_btn").Click();
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(changes.FateOf(QStringLiteral("Walk")), MacroNameChanges::Fate::Gone);
    ASSERT_EQ(messages.size(), 5);
    EXPECT_EQ(messages.mid(2), (QStringList{QStringLiteral("macro_name_empty_text"),
                                            QStringLiteral("macro_name_taken_text"),
                                            QStringLiteral("delete_macro_used_text")}));
    EXPECT_TRUE(messageTexts[3].contains(QStringLiteral("walk")));
    EXPECT_TRUE(messageTexts[4].contains(QStringLiteral("Office (8, 9)")));
}

}  // namespace
