// Recording and key capture natively on a real Wayland compositor, where no global hook hears the
// desktop: the keys come from our virtual keyboard with the US keymap and the clicks from our
// virtual pointer, through the compositor to the program's windows, as a user's keyboard and
// mouse reach them. A macro recorded in the editor's own area holds what was typed and clicked
// there, on the disk and on the page; the key box of the key combination dialog takes F5 and F13,
// and what it took is bound to the button and reaches the mouse.
#include <QApplication>
#include <QFile>
#include <QWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

#include "app/main_wnd.h"
#include "macro/dialogs/capture_mode.h"
#include "macro/dialogs/shortcut_wnd.h"
#include "macro/editor/ms_1_macro.h"
#include "macro/macro_store.h"
#include "page/profile_store.h"
#include "sim/hidapi/shared_mouse.h"
#include "tests/wayland/program_on_compositor.h"
#include "tests/wayland/virtual_input.h"
#include "ui/menu_window.h"
#include "ui/test_hook.h"

namespace {

struct Act {
    uint8_t code;
    uint8_t kind;
    uint16_t delay;
    bool operator==(const Act&) const = default;
};
void PrintTo(const Act& a, std::ostream* out) {
    *out << "{0x" << std::hex << int{a.code} << std::dec << ", " << int{a.kind} << ", " << a.delay
         << "}";
}
std::vector<Act> ActsOf(const MacroRecord& macro) {
    std::vector<Act> out;
    for (int i = 0; i < macro.actionCount && i < kMacroMaxActions; ++i) {
        out.push_back({macro.actions[i].code, macro.actions[i].kind, macro.actions[i].delay});
    }
    return out;
}

class RecordingOnCompositor : public ProgramOnCompositor {
protected:
    void SetUp() override {
        ProgramOnCompositor::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        // The program folder as shipped: the input hook library is there, though here it
        // hears nothing of the program's own windows.
        ASSERT_TRUE(QFile::copy(QStringLiteral(TALVORE_BIN_DIR "/Hook.so"),
                                folder.filePath(QStringLiteral("Hook.so"))));
        UseLanguage(2);
        sim::SharedMouse().SetCablePlugged(true);
        Open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return MainWindowActive(); }, kWaitMs));
        ApplyAndWait();  // the first apply of a run sends everything
    }
    QWidget* Widget(const WindowImplBase& w, const char* name) {
        return w.Find<Control>(QLatin1String(name)).Widget();
    }

    // The key combination dialog of `button` (0-based), opened from the button's function menu;
    // `act` answers it and closes it.
    void OpenKeyCombination(int button, const std::function<void(CShortcutWnd&)>& act) {
        bool ran = false;
        TestHook::ScriptModal(QStringLiteral("ShortcutWnd"), 0, [&](WindowImplBase& w) {
            ran = true;
            act(dynamic_cast<CShortcutWnd&>(w));
        });
        window->Find<Button>(QStringLiteral("ms_1_btn_key_%d"), button + 1).Click();
        MenuWindow* menu = Page().Buttons().Menu();
        ASSERT_NE(menu, nullptr);
        ASSERT_TRUE(menu->ChooseItem(QStringLiteral("ms_1_shortcut")));
        QCoreApplication::processEvents();
        ASSERT_TRUE(ran);
    }
    // In the dialog: a click into the key box, `key` pressed there; then waits until the box took
    // `usage` and shows `name`.
    void PressInKeyBox(CShortcutWnd& dialog, const char* key, uint8_t usage, const QString& name) {
        ASSERT_TRUE(WaitUntilFocused(dialog));
        Edit keyBox = dialog.Find<Edit>(QStringLiteral("edit_key"));
        ASSERT_TRUE(ClickOn(keyBox.Widget()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return keyBox.Widget()->hasFocus(); }, kWaitMs));
        ASSERT_TRUE(Input().Key(QLatin1String(key))) << Input().Problem().toStdString();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return dialog.KeyUsage() == usage && keyBox.Text() == name; }, kWaitMs))
            << key << ": usage " << int{dialog.KeyUsage()} << ", shown \""
            << keyBox.Text().toStdString() << "\"";
    }
    // Clicks OK and waits until the dialog has closed.
    void ClickOk(CShortcutWnd& dialog) {
        ASSERT_TRUE(ClickOn(dialog.Find<Control>(QStringLiteral("btn_ok")).Widget()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.IsWindow(); }, kWaitMs));
    }
    ButtonEntry Entry(int slot, int button) {
        return Page().Store().TakeSnapshotOfCurrent()->slots[slot].buttons[button];
    }
    ::testing::AssertionResult MouseHolds(int button, sim::ButtonFunction expected) {
        if (QTest::qWaitFor(
                [&] { return sim::SharedMouse().Settings().buttons[button] == expected; },
                kWaitMs)) {
            return ::testing::AssertionSuccess();
        }
        const sim::ButtonFunction f = sim::SharedMouse().Settings().buttons[button];
        return ::testing::AssertionFailure() << "button " << button << " holds " << int{f.t1} << ","
                                             << int{f.t2} << "," << int{f.t3};
    }
};

// Typed into the editor's recording area: "Hi" (Shift held for the H), Tab and Escape (input
// there, not a focus move or a close), F5, F13 (no row in the key table: code 0), then a left
// and a right click in the area. With the fixed delay of 10 ms, the macro holds every press
// followed by its release, in order; the click on "Stop recording" is not part of it.
TEST_F(RecordingOnCompositor, AMacroRecordedInTheEditorsAreaHoldsTheKeysTypedAndClicks) {
    const std::vector<Act> expected = {
        {0xE1, 1, 10}, {0x0B, 1, 10}, {0x0B, 2, 10}, {0xE1, 2, 10}, {0x0C, 1, 10}, {0x0C, 2, 10},
        {0x2B, 1, 10}, {0x2B, 2, 10}, {0x29, 1, 10}, {0x29, 2, 10}, {0x3E, 1, 10}, {0x3E, 2, 10},
        {0x00, 1, 10}, {0x00, 2, 10}, {0xF1, 1, 10}, {0xF1, 2, 10}, {0xF2, 1, 10}, {0xF2, 2, 10}};
    bool ran = false;
    TestHook::ScriptModal(QStringLiteral("MS_1_Macro"), 1, [&](WindowImplBase& w) {
        ran = true;
        auto& editor = dynamic_cast<CMS_1_Macro&>(w);
        ASSERT_EQ(editor.InputMode(), CaptureMode::OwnWindow);
        ASSERT_TRUE(WaitUntilFocused(editor));
        QWidget* record = Widget(editor, "ms_1_macro_record_btn");
        QWidget* area = Widget(editor, "ms_1_macro_record_area");
        ASSERT_TRUE(area->isVisible()) << "no recording area";

        ASSERT_TRUE(ClickOn(record));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return editor.Buffer().recording && area->hasFocus(); }, kWaitMs))
            << "recording " << editor.Buffer().recording << ", focus on "
            << (QApplication::focusWidget()
                    ? QApplication::focusWidget()->objectName().toStdString()
                    : "nothing");
        ASSERT_TRUE(Input().Type(QStringLiteral("Hi"))) << Input().Problem().toStdString();
        for (const char* key : {"Tab", "Escape", "F5", "F13"}) {
            ASSERT_TRUE(Input().Key(QLatin1String(key))) << Input().Problem().toStdString();
        }
        ASSERT_TRUE(ClickOn(area, QStringLiteral("left")));
        ASSERT_TRUE(ClickOn(area, QStringLiteral("right")));
        const int count = static_cast<int>(expected.size());
        EXPECT_TRUE(QTest::qWaitFor([&] { return editor.Buffer().actionCount >= count; }, kWaitMs))
            << editor.Buffer().actionCount << " actions recorded";
        ASSERT_TRUE(editor.IsWindow()) << "a key closed the editor";
        ASSERT_TRUE(ClickOn(record));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !editor.Buffer().recording; }, kWaitMs));
        editor.Find<Button>(QStringLiteral("btn_exit")).Click();
    });
    Button macroButton = window->Page().Controls().btnMacro;
    macroButton.Click();
    ASSERT_TRUE(ran);

    MacroStore& macros = Page().Store().Macros();
    ASSERT_EQ(macros.Count(), 1);
    EXPECT_EQ(ActsOf(macros.At(0)), expected);
    MacroStore disk(DataFolder());
    ASSERT_TRUE(disk.Load());
    ASSERT_EQ(disk.Count(), 1);
    EXPECT_EQ(disk.NameAt(0), macros.NameAt(0));
    EXPECT_EQ(ActsOf(disk.At(0)), expected);
}

// The key box of the key combination dialog, clicked into and typed at: F5 is bound to the button
// (usage 0x3E, on the mouse as 0x11, 0, 0x3E). Opened again, the box shows F5; F13, a key the key
// table has no row for, is taken as usage 0 with no name (not dropped, leaving F5 in the box), so
// with Ctrl ticked the button holds Ctrl and no key.
TEST_F(RecordingOnCompositor, TheKeyBoxTakesF5AndF13TypedIntoIt) {
    constexpr int kButton = 4;
    OpenKeyCombination(kButton, [&](CShortcutWnd& dialog) {
        PressInKeyBox(dialog, "F5", 0x3E, QStringLiteral("F5"));
        ClickOk(dialog);
    });
    ButtonEntry entry = Entry(0, kButton);
    EXPECT_EQ(entry.functionCode, 0x10);
    EXPECT_EQ(entry.shortcutModifiers, 0);
    EXPECT_EQ(entry.shortcutUsage, 0x3E);
    EXPECT_EQ(window->Find<Button>(QStringLiteral("ms_1_btn_key_%d"), kButton + 1).Text(),
              QStringLiteral("F5"));
    EXPECT_TRUE(MouseHolds(kButton, {0x11, 0x00, 0x3E}));

    OpenKeyCombination(kButton, [&](CShortcutWnd& dialog) {
        EXPECT_EQ(dialog.Find<Edit>(QStringLiteral("edit_key")).Text(), QStringLiteral("F5"));
        ASSERT_TRUE(WaitUntilFocused(dialog));
        ASSERT_TRUE(ClickOn(dialog.Find<Control>(QStringLiteral("check_flag_1")).Widget()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.Modifiers() == 1; }, kWaitMs));
        PressInKeyBox(dialog, "F13", 0, QString());
        ClickOk(dialog);
    });
    entry = Entry(0, kButton);
    EXPECT_EQ(entry.functionCode, 0x10);
    EXPECT_EQ(entry.shortcutModifiers, 1);
    EXPECT_EQ(entry.shortcutUsage, 0);
    EXPECT_TRUE(MouseHolds(kButton, {0x11, 0x01, 0x00}));
}

}  // namespace
