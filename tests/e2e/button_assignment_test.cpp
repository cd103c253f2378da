// Buttons get their functions the way a user gives them: a click on a button's label opens its
// function menu, an item is chosen, the key combination and macro dialogs are answered, and the
// apply that follows reaches the simulated mouse on its cable through the demo's driver library.
// Each case checks the profile record's bytes and the three bytes the mouse now holds for the
// button (from the device's function table, written out here).
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <cstring>

#include "app/main_wnd.h"
#include "link/program_messages.h"
#include "macro/macro_store.h"
#include "protocol/utf16_field.h"
#include "sim/hidapi/shared_mouse.h"
#include "tests/e2e/program_on_mouse.h"
#include "ui/menu_window.h"
#include "ui/test_hook.h"

namespace {

using program_messages::kHookInput;
using sim::ButtonFunction;

constexpr quintptr kVirtualKeyF5 = 0x74;

class ButtonAssignmentTest : public ProgramOnMouse {
protected:
    void SetUp() override {
        ProgramOnMouse::SetUp();
        sim::SharedMouse().SetCablePlugged(true);
        UseLanguage(2);  // English texts, whatever the desktop's language
        Open();
        if (HasFatalFailure()) {
            return;
        }
        // The first apply of a run sends everything; what follows is only the assignments'.
        ApplyAndWait();
        sim::SharedMouse().ClearLog();
    }

    Button LabelOf(int button) {
        return window->Find<Button>(QStringLiteral("ms_1_btn_key_%d"), button + 1);
    }

    // Clicks the label of `button` (0-based) and chooses `item` from the menu that opens; the
    // chosen item reaches the page through the main window, as the user's click does.
    void Choose(int button, const char* item) {
        LabelOf(button).Click();
        MenuWindow* menu = Page().Buttons().Menu();
        ASSERT_NE(menu, nullptr);
        ASSERT_TRUE(menu->IsOpen());
        ASSERT_TRUE(menu->ChooseItem(QString::fromLatin1(item))) << item;
        QCoreApplication::processEvents();
    }
    // Waits until the mouse holds `expected` for `button`.
    ::testing::AssertionResult MouseHolds(int button, ButtonFunction expected) {
        const auto holds = [&] {
            return sim::SharedMouse().Settings().buttons[button] == expected;
        };
        if (QTest::qWaitFor(holds, kWaitMs)) {
            return ::testing::AssertionSuccess();
        }
        const ButtonFunction f = sim::SharedMouse().Settings().buttons[button];
        return ::testing::AssertionFailure() << "button " << button << " holds " << int{f.t1} << ","
                                             << int{f.t2} << "," << int{f.t3};
    }
    ButtonEntry Entry(int slot, int button) {
        return Page().Store().TakeSnapshotOfCurrent()->slots[slot].buttons[button];
    }
    static bool SameBytes(const ButtonEntry& a, const ButtonEntry& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    }
};

TEST_F(ButtonAssignmentTest, TheLastLeftClickStaysUntilAnotherButtonTakesOne) {
    // The default profile has its only left click on button 0.
    TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1, [](WindowImplBase& box) {
        EXPECT_EQ(box.Find<Label>(QStringLiteral("warning")).TextKey(),
                  QStringLiteral("one_click_text"));
        EXPECT_EQ(box.Find<Label>(QStringLiteral("warning_title")).TextKey(),
                  QStringLiteral("warning_title_text"));
    });
    const ButtonEntry before = Entry(0, 0);
    Choose(0, "ms_1_menu");
    EXPECT_EQ(TestHook::ModalRuns(), QStringList{QStringLiteral("MsgWnd")});
    EXPECT_TRUE(SameBytes(Entry(0, 0), before));
    EXPECT_EQ(LabelOf(0).TextKey(), QStringLiteral("left_click_text"));
    ApplyAndWait();
    EXPECT_TRUE(sim::SharedMouse().Log().empty());

    // Button 5 takes a left click; now button 0 may give its own up.
    Choose(5, "ms_1_click");
    Choose(0, "ms_1_menu");
    EXPECT_EQ(TestHook::ModalRuns().size(), 1);
    EXPECT_EQ(Entry(0, 0).functionCode, 0x02);
    EXPECT_EQ(Entry(0, 5).functionCode, 0x01);
    EXPECT_EQ(LabelOf(0).TextKey(), QStringLiteral("right_click_text"));
    EXPECT_TRUE(MouseHolds(0, {0x03, 0x00, 0x00}));
    EXPECT_TRUE(MouseHolds(5, {0x02, 0x00, 0x00}));

    // Button 16 is not part of the rule: a left click there does not free button 5.
    Choose(16, "ms_1_click");
    TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1);
    Choose(5, "ms_1_copy");
    EXPECT_EQ(TestHook::ModalRuns().size(), 2);
    EXPECT_EQ(Entry(0, 5).functionCode, 0x01);
}

TEST_F(ButtonAssignmentTest, ButtonsBelowTenAreCopiedIntoTheSecondSlotAndTheOthersAreNot) {
    Choose(3, "ms_1_copy");
    EXPECT_EQ(Page().Buttons().Menu()->LayoutFile(), QStringLiteral("MS/MS_1/ms_1_menu.xml"));
    EXPECT_EQ(Entry(0, 3).functionCode, 0x21);
    EXPECT_TRUE(SameBytes(Entry(1, 3), Entry(0, 3)));
    EXPECT_EQ(LabelOf(3).TextKey(), QStringLiteral("copy_text"));

    const ButtonEntry slot1Before = Entry(1, 12);
    Choose(12, "ms_1_mute");
    EXPECT_EQ(Page().Buttons().Menu()->LayoutFile(), QStringLiteral("MS/MS_1/ms_1_menu_1.xml"));
    EXPECT_EQ(Entry(0, 12).functionCode, 0x47);
    EXPECT_TRUE(SameBytes(Entry(1, 12), slot1Before));

    EXPECT_TRUE(MouseHolds(3, {0x11, 0x01, 0x06}));  // Ctrl+C
    EXPECT_TRUE(MouseHolds(12, {0x1A, 0x00, 0x00}));

    // Button 9's default function has no name: an empty label with a cue and a tooltip, until
    // it gets a named one.
    const Button nine = LabelOf(9);
    EXPECT_EQ(nine.Text(), QString());
    EXPECT_EQ(nine.StyleState("function"), QStringLiteral("none"));
    EXPECT_FALSE(nine.ToolTip().isEmpty());
    Choose(9, "ms_1_play_pause");
    EXPECT_EQ(nine.TextKey(), QStringLiteral("play_pause_text"));
    EXPECT_EQ(nine.StyleState("function"), QString());
}

TEST_F(ButtonAssignmentTest, TheLastButtonKeepsItsFunctionAndUnknownNamesMeanLeftClick) {
    // The last button is shown as fixed: no menu opens, the tooltip says why, and a menu
    // command arriving for it all the same changes nothing.
    const ButtonEntry before = Entry(0, 17);
    LabelOf(17).Click();
    EXPECT_EQ(Page().Buttons().CurrentButton(), 17);
    EXPECT_EQ(Page().Buttons().Menu(), nullptr);
    EXPECT_EQ(LabelOf(17).StyleState("fixed"), QStringLiteral("true"));
    EXPECT_FALSE(LabelOf(17).ToolTip().isEmpty());
    Page().OnMenuCommand(QStringLiteral("ms_1_mute"));
    EXPECT_TRUE(SameBytes(Entry(0, 17), before));
    EXPECT_EQ(LabelOf(17).TextKey(), QStringLiteral("scroll_up_text"));
    ApplyAndWait();
    EXPECT_TRUE(sim::SharedMouse().Log().empty());
    // The bottom row's other menu moved up and stayed on the screen.
    Choose(16, "ms_1_scroll_down");
    EXPECT_TRUE(WindowImplBase::WorkArea().contains(Page().Buttons().Menu()->ScreenRect()));

    // The current button stays after its menu closed: late names apply to it. Names are
    // compared without regard to case, and one no menu offers assigns a left click.
    LabelOf(2).Click();
    Page().Buttons().Menu()->Close();
    Page().OnMenuCommand(QStringLiteral("MS_1_VOLUME_UP"));
    EXPECT_EQ(Entry(0, 2).functionCode, 0x45);
    Page().OnMenuCommand(QStringLiteral("ms_1_no_such_function"));
    EXPECT_EQ(Entry(0, 2).functionCode, 0x01);
    EXPECT_TRUE(MouseHolds(2, {0x02, 0x00, 0x00}));
}

TEST_F(ButtonAssignmentTest, KeyCombinationsFromTheDialog) {
    // Shift ticked, F5 pressed in the key box.
    TestHook::ScriptModal(QStringLiteral("ShortcutWnd"), 0, [](WindowImplBase& w) {
        EXPECT_FALSE(w.Find<CheckBox>(QStringLiteral("check_flag_2")).GetCheck());
        w.Find<CheckBox>(QStringLiteral("check_flag_2")).SetCheck(true, Notify::kYes);
        w.SendMessage(kHookInput, kVirtualKeyF5, 0);
        w.SendMessage(kHookInput, kVirtualKeyF5, 1);
        w.Find<Button>(QStringLiteral("btn_ok")).Click();
    });
    Choose(4, "ms_1_shortcut");
    ButtonEntry entry = Entry(0, 4);
    EXPECT_EQ(entry.functionCode, 0x10);
    EXPECT_EQ(entry.shortcutModifiers, 0x02);
    EXPECT_EQ(entry.shortcutUsage, 0x3E);
    EXPECT_TRUE(SameBytes(Entry(1, 4), entry));
    EXPECT_EQ(LabelOf(4).Text(), QStringLiteral("Shift+F5"));
    EXPECT_TRUE(LabelOf(4).TextKey().isEmpty());
    EXPECT_TRUE(MouseHolds(4, {0x11, 0x02, 0x3E}));

    // Only Ctrl ticked, no key.
    TestHook::ScriptModal(QStringLiteral("ShortcutWnd"), 0, [](WindowImplBase& w) {
        w.Find<CheckBox>(QStringLiteral("check_flag_1")).SetCheck(true, Notify::kYes);
        w.Find<Button>(QStringLiteral("btn_ok")).Click();
    });
    Choose(6, "ms_1_shortcut");
    entry = Entry(0, 6);
    EXPECT_EQ(entry.functionCode, 16);
    EXPECT_EQ(entry.shortcutModifiers, 1);
    EXPECT_EQ(entry.shortcutUsage, 0);
    EXPECT_EQ(LabelOf(6).Text(), QStringLiteral("Ctrl+"));
    EXPECT_TRUE(MouseHolds(6, {0x11, 0x01, 0x00}));

    // Reopened, the dialog shows the shortcut; OK after clearing it keeps the shortcut whole.
    TestHook::ScriptModal(QStringLiteral("ShortcutWnd"), 0, [](WindowImplBase& w) {
        EXPECT_TRUE(w.Find<CheckBox>(QStringLiteral("check_flag_2")).GetCheck());
        EXPECT_EQ(w.Find<Edit>(QStringLiteral("edit_key")).Text(), QStringLiteral("F5"));
        w.Find<CheckBox>(QStringLiteral("check_flag_2")).SetCheck(false, Notify::kYes);
        w.SendMessage(kHookInput, 0x10, 0);  // a key without a table row: no key
        w.Find<Button>(QStringLiteral("btn_ok")).Click();
    });
    Choose(4, "ms_1_shortcut");
    EXPECT_TRUE(SameBytes(Entry(0, 4), Entry(1, 4)));
    EXPECT_EQ(Entry(0, 4).shortcutModifiers, 0x02);
    EXPECT_EQ(Entry(0, 4).shortcutUsage, 0x3E);
    EXPECT_EQ(LabelOf(4).Text(), QStringLiteral("Shift+F5"));
}

TEST_F(ButtonAssignmentTest, AMacroIsBoundWithItsRepeatCountHeldToTheDevicesRange) {
    MacroStore& macros = Page().Store().Macros();
    for (const char* name : {"Other", "Fire"}) {
        MacroRecord record{};
        StringToField(record.name, QString::fromLatin1(name));
        record.actionCount = 2;
        record.actions[0] = {0x09, 1, 30};
        record.actions[1] = {0x09, 2, 30};
        macros.Append(record);
    }
    TestHook::ScriptModal(QStringLiteral("MS_1_SelectMacro"), 0, [](WindowImplBase& w) {
        EXPECT_EQ(w.Find<ListBox>(QStringLiteral("list_macro")).CurSel(), -1);
        w.Find<ListBox>(QStringLiteral("list_macro")).Select(1, TakeFocus::kNo, Notify::kYes);
        w.Find<Edit>(QStringLiteral("edit_loop_time")).SetText(QStringLiteral("300"));
        w.Find<Button>(QStringLiteral("btn_ok")).Click();
    });
    Choose(6, "ms_1_select_macro");
    ButtonEntry entry = Entry(0, 6);
    EXPECT_EQ(entry.functionCode, 0x11);
    EXPECT_EQ(FieldToString(entry.macroName), QStringLiteral("Fire"));
    EXPECT_EQ(entry.macroIndex, 1);
    EXPECT_EQ(entry.macroRepeatMode, 0);
    EXPECT_EQ(entry.macroRepeatCount, 255);
    EXPECT_EQ(entry.macroActionCount, 2);
    EXPECT_EQ(entry.macroActions[1].kind, 2);
    EXPECT_TRUE(SameBytes(Entry(1, 6), entry));
    EXPECT_EQ(LabelOf(6).Text(), QStringLiteral("Macro: Fire"));
    // Position 6 is macro number 7 on the device.
    EXPECT_TRUE(MouseHolds(6, {0x12, 0x00, 0x07}));
    ASSERT_TRUE(QTest::qWaitFor([] { return sim::SharedMouse().Settings().macros.count(7) == 1; },
                                kWaitMs));
    EXPECT_EQ(sim::SharedMouse().Settings().macros.at(7).repeatCount, 255);
    EXPECT_EQ(sim::SharedMouse().Settings().macros.at(7).actions.size(), 2u);

    // Reopened on the same button: its macro and count are preselected; 0 becomes 1.
    TestHook::ScriptModal(QStringLiteral("MS_1_SelectMacro"), 0, [](WindowImplBase& w) {
        EXPECT_EQ(w.Find<ListBox>(QStringLiteral("list_macro")).CurSel(), 1);
        EXPECT_EQ(w.Find<Edit>(QStringLiteral("edit_loop_time")).Text(), QStringLiteral("255"));
        w.Find<Edit>(QStringLiteral("edit_loop_time")).SetText(QStringLiteral("0"));
        w.Find<Button>(QStringLiteral("btn_ok")).Click();
    });
    Choose(6, "ms_1_select_macro");
    EXPECT_EQ(Entry(0, 6).macroRepeatCount, 1);
    EXPECT_TRUE(QTest::qWaitFor(
        [] { return sim::SharedMouse().Settings().macros.at(7).repeatCount == 1; }, kWaitMs));

    // Cancelled, or left without a macro: nothing changes.
    entry = Entry(0, 8);
    TestHook::ScriptModal(QStringLiteral("MS_1_SelectMacro"), 0, [](WindowImplBase& w) {
        w.Find<Button>(QStringLiteral("btn_exit")).Click();
    });
    Choose(8, "ms_1_select_macro");
    EXPECT_TRUE(SameBytes(Entry(0, 8), entry));
    EXPECT_EQ(LabelOf(8).TextKey(), QStringLiteral("task_view_text"));
}

}  // namespace
