// The macro editor in the program with the simulated mouse behind the demo folder's driver
// libraries: a macro recorded in the editor and bound to a button through the selection dialog
// reaches the mouse, and what the editor does to stored macros reaches every profile, the disk and
// the mouse. The hook library here accepts every installation; the test posts the input.
#include <QFile>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "app/main_wnd.h"
#include "link/driver_abi.h"
#include "link/program_messages.h"
#include "macro/macro_binding.h"
#include "page/profile_store.h"
#include "protocol/utf16_field.h"
#include "sim/hidapi/shared_mouse.h"
#include "tests/e2e/mouse_matches_record.h"
#include "tests/e2e/program_on_mouse.h"
#include "ui/language_manager.h"
#include "ui/menu_window.h"
#include "ui/test_hook.h"

namespace {

constexpr int kButton5 = 4;
const QString kRecorded = QStringLiteral("Macro1");  // the name the editor gives a first macro

class MacroEditorOnMouse : public ProgramOnMouse {
protected:
    void SetUp() override {
        ProgramOnMouse::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        sim::SharedMouse().SetMouseAwake(true);
        sim::SharedMouse().SetCablePlugged(true);
        ASSERT_TRUE(QFile::copy(QStringLiteral(TALVORE_ACCEPTING_HOOK),
                                folder.filePath(QStringLiteral("Hook.so"))));
        UseLanguage(2);  // English, so the first macro is "Macro1" whatever the desktop's language
    }

    // Runs `change` and waits for the apply it leads to.
    void ApplyAfter(const std::function<void()>& change) {
        const int before = Worker().AppliesRun();
        change();
        ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() > before; }, kWaitMs));
        QTest::qWait(0);
    }
    // The editor, opened from the page's macro button; `act` works in it, then it closes.
    void InEditor(const std::function<void(WindowImplBase&)>& act) {
        TestHook::ScriptModal(QStringLiteral("MS_1_Macro"), 1, [act](WindowImplBase& editor) {
            act(editor);
            editor.Find<Button>(QStringLiteral("btn_exit")).Click();
        });
        Button macroButton = window->Page().Controls().btnMacro;
        macroButton.Click();
    }
    void DeleteTheFirstMacroInTheEditor() {
        InEditor([](WindowImplBase& editor) {
            editor.Find<ListBox>(QStringLiteral("ms_1_macro_list"))
                .Select(0, TakeFocus::kNo, Notify::kYes);
            TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1);
            editor.Find<Button>(QStringLiteral("ms_1_macro_delete_btn")).Click();
        });
    }
    // Two profiles; button 5 of the second plays a macro named `name`, and of the first too when
    // `bothProfiles`. With `stored`, the macro store holds it (and one more no button uses).
    void StoreTwoProfiles(const QString& macroName, bool bothProfiles, bool stored) {
        ProfileStore store(DataFolder(), LanguageManager::Instance());
        store.LoadProfiles();
        store.AddDefaultProfile();
        MacroRecord macro{};
        StringToField(macro.name, macroName);
        macro.actionCount = 2;
        macro.actions[0] = {0x04, 1, 120};
        macro.actions[1] = {0x04, 2, 10};
        if (stored) {
            store.Macros().Append(macro);
            store.Macros().AddNew(LanguageManager::Instance());
            ASSERT_TRUE(store.Macros().Save());
        }
        for (int p = bothProfiles ? 0 : 1; p < store.Count(); ++p) {
            BindMacroToButton(ActiveSlot(store.At(p)).buttons[kButton5], macro, 0, 0, 1);
        }
        ASSERT_TRUE(store.SaveProfiles());
    }
    void ExpectButton5OnItsDefaultInEverySavedProfile() {
        ProfileStore saved(DataFolder(), LanguageManager::Instance());
        ASSERT_TRUE(saved.ReadProfiles());
        ASSERT_EQ(saved.Count(), 2);
        for (int p = 0; p < saved.Count(); ++p) {
            for (int slot : {0, 1}) {
                const ButtonEntry& entry = saved.At(p).slots[slot].buttons[kButton5];
                if (slot == 0 || entry.functionCode != 0) {  // slot 1 only once mirrored into
                    EXPECT_EQ(entry.functionCode, DefaultFunctionTable[kButton5]) << p << slot;
                    EXPECT_EQ(entry.macroIndex, -1) << "profile " << p << " slot " << slot;
                }
            }
        }
    }
};

TEST_F(MacroEditorOnMouse, ARecordedMacroBoundToButton5ReachesTheMouseUntilItIsDeleted) {
    // The other profile's button 5 already plays a macro of the name the recording will get.
    StoreTwoProfiles(kRecorded, false, false);
    Open();
    ApplyAfter([&] { window->PostMessage(program_messages::kApplyRequest); });

    // Typing "ab" and a left click, with a fixed delay of 250 ms.
    InEditor([](WindowImplBase& editor) {
        editor.Find<Edit>(QStringLiteral("ms_1_default_delay_edit")).SetText(QStringLiteral("250"));
        Button record = editor.Find<Button>(QStringLiteral("ms_1_macro_record_btn"));
        record.Click();
        for (const auto& [wParam, lParam] :
             std::initializer_list<std::pair<quintptr, qintptr>>{{0x41, 0},
                                                                 {0x41, 1},
                                                                 {0x42, 0},
                                                                 {0x42, 1},
                                                                 {TALVORE_MOUSE_LEFT_DOWN, 0},
                                                                 {TALVORE_MOUSE_LEFT_UP, 0}}) {
            editor.SendMessage(TALVORE_MSG_HOOK_INPUT, wParam, lParam);
        }
        record.Click();
    });
    // Bound through the button's menu and the selection dialog.
    TestHook::ScriptModal(QStringLiteral("MS_1_SelectMacro"), 0, [](WindowImplBase& dialog) {
        dialog.Find<ListBox>(QStringLiteral("list_macro")).Select(0, TakeFocus::kNo, Notify::kYes);
        dialog.Find<Button>(QStringLiteral("btn_ok")).Click();
    });
    ApplyAfter([&] {
        window->Find<Button>(QStringLiteral("ms_1_btn_key_%d"), kButton5 + 1).Click();
        ASSERT_NE(window->Page().Buttons().Menu(), nullptr);
        ASSERT_TRUE(
            window->Page().Buttons().Menu()->ChooseItem(QStringLiteral("ms_1_select_macro")));
    });
    auto& mouse = sim::SharedMouse();
    const sim::MouseSettings settings = mouse.Settings();
    ASSERT_EQ(settings.macros.count(kButton5 + 1), 1u);
    const sim::DecodedMacro& held = settings.macros.at(kButton5 + 1);
    const struct {
        uint8_t code, kind;
        uint32_t delay;
    } expected[] = {{0x04, 1, 250}, {0x04, 2, 250}, {0x05, 1, 250},
                    {0x05, 2, 250}, {0xF1, 1, 250}, {0xF1, 2, 10}};
    ASSERT_EQ(held.actions.size(), std::size(expected));
    for (std::size_t i = 0; i < held.actions.size(); ++i) {
        EXPECT_EQ(held.actions[i].code, expected[i].code) << i;
        EXPECT_EQ(held.actions[i].kind, expected[i].kind) << i;
        // The device keeps tenths of a second: the delay comes back within 10 ms.
        EXPECT_NEAR(held.actions[i].delayMs, expected[i].delay, 10) << i;
    }
    // The other profile's copy followed the recording when the editor closed.
    EXPECT_EQ(window->Page().Store().WithLock([](ProfileStore& s) {
        return s.At(1).slots[0].buttons[kButton5].macroActionCount;
    }),
              6);

    ApplyAfter([&] { DeleteTheFirstMacroInTheEditor(); });
    EXPECT_EQ(window->Page().Controls().btnKey[kButton5].TextKey(), QStringLiteral("copy_text"));
    ExpectButton5OnItsDefaultInEverySavedProfile();
    const auto current = window->Page().Store().TakeSnapshotOfCurrent();
    ASSERT_NE(current, nullptr);
    EXPECT_TRUE(MouseMatchesRecord(mouse.Settings(), *current));
}

// No apply runs without a mouse, so the pass's changes are saved when the editor closes.
TEST_F(MacroEditorOnMouse, WithoutAMouseTheChangedProfilesAreSavedAtOnce) {
    sim::SharedMouse().SetCablePlugged(false);
    StoreTwoProfiles(QStringLiteral("Fire"), true, true);
    Open();
    DeleteTheFirstMacroInTheEditor();
    EXPECT_EQ(Worker().AppliesRun(), 0);
    ExpectButton5OnItsDefaultInEverySavedProfile();
}

}  // namespace
