// What a user meets on the settings page, driven through its controls and dialogs with the
// simulated mouse behind the demo folder's drivers, and checked on the mouse and in the stores:
// files that would break the mouse stay out, no assignment is lost without a word, and every
// control does what it shows.
#include <QFile>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QListWidget>
#include <QRandomGenerator>
#include <QToolTip>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

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

// Readable failures for texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

constexpr int kButton8 = 7;

class NoSleep final : public Sleeper {
public:
    void SleepMs(int) override {}
};

// The receiver's waits for an acknowledgement, short: the simulated mouse answers at once.
class ShortSleep final : public Sleeper {
public:
    void SleepMs(int) override { std::this_thread::sleep_for(std::chrono::milliseconds(40)); }
};

class PageScenario : public ProgramOnMouse {
protected:
    void SetUp() override {
        ProgramOnMouse::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        platform.sleeper = &noSleep;
        UseLanguage(2);
    }

    template <class T = Button>
    T Get(const QString& name) {
        return window->Find<T>(name);
    }
    ProfileStore& Store() { return Page().Store(); }
    ProfileRecord Current() { return *Store().TakeSnapshotOfCurrent(); }
    QByteArray FileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The next message box is answered with `result`; which message it was and its text are
    // kept.
    void AnswerMessage(int result) {
        TestHook::ScriptModal(QStringLiteral("MsgWnd"), result, [this](WindowImplBase& box) {
            const Label message = box.Find<Label>(QStringLiteral("warning"));
            messages.append(message.UserData());
            messageTexts.append(message.Text());
        });
    }
    // Runs `change` and waits for the applies it leads to to have run.
    void ApplyAfter(const std::function<void()>& change) {
        const int before = Worker().AppliesRun();
        change();
        ASSERT_TRUE(QTest::qWaitFor([&] { return Worker().AppliesRun() > before; }, kWaitMs));
        QTest::qWait(0);
    }
    ::testing::AssertionResult MouseHoldsCurrent() {
        (void)QTest::qWaitFor(
            [&] { return bool(MouseMatchesRecord(sim::SharedMouse().Settings(), Current())); },
            kWaitMs);
        return MouseMatchesRecord(sim::SharedMouse().Settings(), Current());
    }
    void Choose(int button, const char* item) {
        Get(WindowImplBase::FormatName(QStringLiteral("ms_1_btn_key_%d"), button + 1)).Click();
        MenuWindow* menu = Page().Buttons().Menu();
        ASSERT_NE(menu, nullptr);
        ASSERT_TRUE(menu->ChooseItem(QString::fromLatin1(item))) << item;
        QCoreApplication::processEvents();
    }
    // The editor, opened from the page's macro button; `act` works in it, then it closes.
    void InEditor(const std::function<void(WindowImplBase&)>& act) {
        TestHook::ScriptModal(QStringLiteral("MS_1_Macro"), 1, [act](WindowImplBase& editor) {
            act(editor);
            editor.Find<Button>(QStringLiteral("btn_exit")).Click();
        });
        Get(QStringLiteral("ms_1_btn_macro")).Click();
    }

    NoSleep noSleep;
    ShortSleep shortSleep;
    QStringList messages;
    QStringList messageTexts;
};

// Items 1, 2, 8 and 10: what comes in from files is checked, a profile of the page's own goes
// out and back, a stage at 0 DPI is out of reach, and names are trimmed.
TEST_F(PageScenario, FilesThatWouldBreakTheMouseStayOutAndThePagesOwnComeBack) {
    sim::SharedMouse().SetCablePlugged(true);
    Open();
    ApplyAndWait();
    ASSERT_TRUE(MouseHoldsCurrent());

    // The default profile uses six stages: options 7 and 8 cannot be chosen, and say why.
    const Option stage7 = Get<Option>(QStringLiteral("ms_1_option_dpi_step_7"));
    EXPECT_FALSE(stage7.IsEnabled());
    EXPECT_FALSE(stage7.ToolTip().isEmpty());
    QTest::mouseClick(stage7.Widget(), Qt::LeftButton);
    EXPECT_EQ(Current().slots[0].dpiStage, 2);
    // Given a value, the stage can be the active one, and the mouse runs on it.
    Get<Slider>(QStringLiteral("ms_1_slider_dpi_7")).SetValue(45, Notify::kYes);
    EXPECT_TRUE(stage7.IsEnabled());
    EXPECT_TRUE(stage7.ToolTip().isEmpty());
    ApplyAfter([&] { QTest::mouseClick(stage7.Widget(), Qt::LeftButton); });
    EXPECT_EQ(Current().slots[0].dpiStage, 6);
    EXPECT_TRUE(MouseHoldsCurrent());

    // A name with spaces around it is trimmed; spaces alone are no name.
    TestHook::ScriptModal(QStringLiteral("MS_1_ConfigName"), 0, [this](WindowImplBase& w) {
        AnswerMessage(1);
        w.Find<Edit>(QStringLiteral("edit_name")).SetText(QStringLiteral("   "));
        w.Find<Button>(QStringLiteral("btn_ok")).Click();
        EXPECT_TRUE(w.IsWindow());
        w.Find<Edit>(QStringLiteral("edit_name")).SetText(QStringLiteral("  Fire squad "));
        w.Find<Button>(QStringLiteral("btn_ok")).Click();
    });
    ApplyAfter([&] { Get(QStringLiteral("ms_1_profile_add_btn")).Click(); });
    EXPECT_EQ(ProfileName(Current()), QStringLiteral("Fire squad"));
    EXPECT_EQ(messages, QStringList{QStringLiteral("warn_name_1_text")});

    // Exported with the name offered, into the home folder; the same folder is offered next.
    const QString exported = folder.filePath(QStringLiteral("out.pro"));
    TestHook::ScriptFileDialog(exported);
    Get(QStringLiteral("ms_1_profile_export_btn")).Click();
    const FileDialogRequest exportRequest = TestHook::FileDialogRequests().constLast();
    EXPECT_EQ(exportRequest.suggestedName, QStringLiteral("Fire squad.pro"));
    EXPECT_EQ(QFile(exported).size(), 165024);

    // Random bytes, and a profile whose active stage is an unused one, are refused, naming the
    // value; nothing is added, written or sent.
    QByteArray random(165024, '\0');
    QRandomGenerator(19).fillRange(reinterpret_cast<quint32*>(random.data()), 165024 / 4);
    const QString randomFile = folder.filePath(QStringLiteral("random.pro"));
    {
        QFile file(randomFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(random);
    }
    QByteArray stage8 = FileBytes(exported);
    stage8[104 + 2352] = 7;  // dpiStage 7: the eighth stage, at 0 DPI
    const QString stage8File = folder.filePath(QStringLiteral("stage8.pro"));
    {
        QFile file(stage8File);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(stage8);
    }
    ApplyAndWait();  // nothing left to send: what is on the disk now stays
    const QByteArray storeBefore = FileBytes(Store().FilePath());
    const int count = Store().Count();
    sim::SharedMouse().ClearLog();
    for (const QString& file : {randomFile, stage8File}) {
        AnswerMessage(1);
        TestHook::ScriptFileDialog(file);
        Get(QStringLiteral("ms_1_profile_import_btn")).Click();
    }
    EXPECT_EQ(TestHook::FileDialogRequests().constLast().initialFolder, folder.path());
    ASSERT_EQ(messages.size(), 3);
    EXPECT_EQ(messages[1], QStringLiteral("import_refused_text"));
    EXPECT_EQ(messages[2], QStringLiteral("import_refused_text"));
    EXPECT_TRUE(messageTexts[2].contains(QStringLiteral("dpiStage")))
        << messageTexts[2].toStdString();
    EXPECT_TRUE(messageTexts[2].contains(QStringLiteral("0–5"))) << messageTexts[2].toStdString();
    EXPECT_EQ(Store().Count(), count);
    EXPECT_EQ(Get<ListBox>(QStringLiteral("ms_1_list_profile")).Count(), count);
    QTest::qWait(50);
    EXPECT_TRUE(FileBytes(Store().FilePath()) == storeBefore);
    EXPECT_TRUE(sim::SharedMouse().Log().empty());

    // The page's own export comes back, and goes to the mouse.
    ApplyAfter([&] {
        TestHook::ScriptFileDialog(exported);
        Get(QStringLiteral("ms_1_profile_import_btn")).Click();
    });
    EXPECT_EQ(Store().Count(), count + 1);
    EXPECT_EQ(ProfileName(Current()), QStringLiteral("Fire squad_1"));
    EXPECT_EQ(Current().slots[0].dpiStage, 2);
    EXPECT_TRUE(MouseHoldsCurrent());

    // A name the list has to cut shows whole as a tooltip; one that fits shows none.
    const QString longName = QStringLiteral("Tournament settings for the long weekend cup 24");
    TestHook::ScriptModal(QStringLiteral("MS_1_ConfigName"), 0, [&](WindowImplBase& w) {
        w.Find<Edit>(QStringLiteral("edit_name")).SetText(longName);
        w.Find<Button>(QStringLiteral("btn_ok")).Click();
    });
    ApplyAfter([&] { Get(QStringLiteral("ms_1_profile_add_btn")).Click(); });
    auto* list =
        qobject_cast<QListWidget*>(Get<ListBox>(QStringLiteral("ms_1_list_profile")).Widget());
    ASSERT_NE(list, nullptr);
    const auto tipOver = [&](int row) {
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(list->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipOver(0), QString());
    EXPECT_EQ(tipOver(list->count() - 1), longName);
    QToolTip::hideText();
}

// Items 3, 6, 7 and 8: a macro renamed in the editor keeps its buttons in every profile and the
// mouse keeps playing it; the selection dialog's OK with no row chosen changes nothing; deleting
// names who loses the macro; a profile carrying it twice brings it in once.
TEST_F(PageScenario, MacrosKeepTheirButtonsThroughRenamesAndNothingIsLostWithoutAWord) {
    {
        ProfileStore store(DataFolder(), LanguageManager::Instance());
        store.LoadProfiles();
        store.AddDefaultProfile();
        MacroRecord fire{};
        StringToField(fire.name, QStringLiteral("Fire_1"));
        fire.actionCount = 2;
        fire.actions[0] = {0x04, 1, 120};
        fire.actions[1] = {0x04, 2, 10};
        store.Macros().Append(fire);
        ASSERT_TRUE(store.Macros().Save());
        for (int p = 0; p < store.Count(); ++p) {
            BindMacroToButton(ActiveSlot(store.At(p)).buttons[kButton8], fire, 0, 1, 3);
            MirrorButton(store.At(p), kButton8);
        }
        ASSERT_TRUE(store.SaveProfiles());
    }
    sim::SharedMouse().SetCablePlugged(true);
    Open();
    ApplyAndWait();
    ASSERT_TRUE(MouseHoldsCurrent());

    ApplyAfter([&] {
        InEditor([](WindowImplBase& editor) {
            // It opens on the first macro, its row marked.
            EXPECT_EQ(editor.Find<ListBox>(QStringLiteral("ms_1_macro_list")).CurSel(), 0);
            Edit name = editor.Find<Edit>(QStringLiteral("ms_1_macro_name_edit"));
            QFocusEvent in(QEvent::FocusIn);
            QCoreApplication::sendEvent(name.Widget(), &in);
            name.SetText(QStringLiteral("Rapid"));
            QFocusEvent out(QEvent::FocusOut);
            QCoreApplication::sendEvent(name.Widget(), &out);
        });
    });
    Store().WithLock([](ProfileStore& s) {
        for (int p = 0; p < s.Count(); ++p) {
            for (int slot : {0, 1}) {
                const ButtonEntry& entry = s.At(p).slots[slot].buttons[kButton8];
                EXPECT_EQ(entry.functionCode, 0x11) << p << " " << slot;
                EXPECT_EQ(FieldToString(entry.macroName), QStringLiteral("Rapid"));
                EXPECT_EQ(entry.macroRepeatMode, 1);
                EXPECT_EQ(entry.macroRepeatCount, 3);
            }
        }
        return 0;
    });
    EXPECT_TRUE(Get(QStringLiteral("ms_1_btn_key_8")).Text().endsWith(QStringLiteral("Rapid")));
    EXPECT_TRUE(MouseHoldsCurrent());
    EXPECT_EQ(sim::SharedMouse().Settings().macros.count(kButton8 + 1), 1u);

    // The selection dialog: the list taking the focus chooses nothing, OK stays off, and the
    // button keeps its function.
    const ButtonEntry before = ActiveSlot(Current()).buttons[2];
    TestHook::ScriptModal(QStringLiteral("MS_1_SelectMacro"), 1, [](WindowImplBase& dialog) {
        ListBox list = dialog.Find<ListBox>(QStringLiteral("list_macro"));
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(list.Widget(), &focus);
        EXPECT_EQ(list.CurSel(), -1);
        EXPECT_FALSE(dialog.Find<Button>(QStringLiteral("btn_ok")).IsEnabled());
        dialog.Find<Button>(QStringLiteral("btn_ok")).Click();
    });
    Choose(2, "ms_1_select_macro");
    EXPECT_EQ(std::memcmp(&ActiveSlot(Current()).buttons[2], &before, sizeof before), 0);

    // Exported with the macro on button 8 (mirrored into the second slot): imported back, the
    // macro comes in once and both entries name it.
    const QString exported = folder.filePath(QStringLiteral("macro.pro"));
    TestHook::ScriptFileDialog(exported);
    Get(QStringLiteral("ms_1_profile_export_btn")).Click();
    ApplyAfter([&] {
        TestHook::ScriptFileDialog(exported);
        Get(QStringLiteral("ms_1_profile_import_btn")).Click();
    });
    ASSERT_EQ(Store().Macros().Count(), 2);
    EXPECT_EQ(Store().Macros().NameAt(1), QStringLiteral("Rapid_1"));
    for (int slot : {0, 1}) {
        EXPECT_EQ(Current().slots[slot].buttons[kButton8].macroIndex, 1);
    }

    // Deleting the macro names every profile and button that loses it; cancelled, nothing goes.
    InEditor([this](WindowImplBase& editor) {
        AnswerMessage(0);
        editor.Find<Button>(QStringLiteral("ms_1_macro_delete_btn")).Click();
    });
    ASSERT_EQ(messages, QStringList{QStringLiteral("delete_macro_used_text")});
    for (int p = 0; p < 2; ++p) {
        const QString used = Store().WithLock([p](ProfileStore& st) {
            return ProfileName(st.At(p));
        }) + QStringLiteral(" (8)");
        EXPECT_TRUE(messageTexts[0].contains(used)) << messageTexts[0].toStdString();
    }
    EXPECT_FALSE(messageTexts[0].contains(QStringLiteral("Rapid_1 (")))
        << messageTexts[0].toStdString();
    EXPECT_EQ(Store().Macros().Count(), 2);
}

// Items 4, 5 and 9: a recording cut short by the editor's close button leaves nothing held; the
// key of a press edited takes its release along; the editor shows how full the macro is; the mouse
// plays the macro as stored.
TEST_F(PageScenario, ARecordedMacroNeverHoldsAKeyOnTheMouse) {
    sim::SharedMouse().SetCablePlugged(true);
    Open();
    ApplyAndWait();
    const auto input = [](WindowImplBase& editor, quintptr wParam, qintptr lParam) {
        editor.SendMessage(TALVORE_MSG_HOOK_INPUT, wParam, lParam);
    };
    InEditor([&](WindowImplBase& editor) {
        editor.Find<Button>(QStringLiteral("ms_1_macro_record_btn")).Click();
        input(editor, 0x41, 0);  // A
        input(editor, 0x41, 1);
        input(editor, 0xA0, 0);                     // Shift, still down at the close
        input(editor, TALVORE_MOUSE_LEFT_DOWN, 0);  // the press on the close button
        EXPECT_EQ(editor.Find<Label>(QStringLiteral("ms_1_macro_fill_label")).Text(),
                  QStringLiteral("4 / 46"));
    });
    ASSERT_EQ(Store().Macros().Count(), 1);
    EXPECT_EQ(Store().Macros().At(0).actionCount, 2);

    InEditor([&](WindowImplBase& editor) {
        EXPECT_EQ(editor.Find<Label>(QStringLiteral("ms_1_macro_fill_label")).Text(),
                  QStringLiteral("2 / 46"));
        editor.Find<ListBox>(QStringLiteral("ms_1_macro_action_list"))
            .Select(0, TakeFocus::kNo, Notify::kYes);
        editor.Find<Button>(QStringLiteral("ms_1_macro_action_edit_check")).Click();
        Edit key = editor.Find<Edit>(QStringLiteral("ms_1_macro_action_edit"));
        QFocusEvent in(QEvent::FocusIn);
        QCoreApplication::sendEvent(key.Widget(), &in);
        input(editor, 0x43, 0);  // C
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(key.Widget(), &out);
    });
    const MacroRecord& stored = Store().Macros().At(0);
    EXPECT_EQ(stored.actions[0].code, 0x06);
    EXPECT_EQ(stored.actions[1].code, 0x06);
    EXPECT_EQ(stored.actions[1].kind, kActionRelease);

    TestHook::ScriptModal(QStringLiteral("MS_1_SelectMacro"), 0, [](WindowImplBase& dialog) {
        dialog.Find<ListBox>(QStringLiteral("list_macro")).Select(0, TakeFocus::kNo, Notify::kYes);
        dialog.Find<Button>(QStringLiteral("btn_ok")).Click();
    });
    ApplyAfter([&] { Choose(3, "ms_1_select_macro"); });
    const sim::MouseSettings mouse = sim::SharedMouse().Settings();
    ASSERT_EQ(mouse.macros.count(4), 1u);
    const std::vector<sim::DecodedMacroAction>& actions = mouse.macros.at(4).actions;
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].code, 0x06);
    EXPECT_EQ(actions[0].kind, sim::kMacroPress);
    EXPECT_EQ(actions[1].code, 0x06);
    EXPECT_NE(actions[1].kind, sim::kMacroPress);
    EXPECT_TRUE(MouseHoldsCurrent());
}

// Item 13: Standard or Alternate is what the profile keeps and what the mouse gets.
TEST_F(PageScenario, TheButtonModeChosenIsKeptAndSent) {
    sim::SharedMouse().SetCablePlugged(true);
    Open();
    ApplyAndWait();
    ASSERT_TRUE(MouseHoldsCurrent());
    ApplyAfter(
        [&] { Get<Option>(QStringLiteral("ms_1_option_button_mode_2")).Select(Notify::kYes); });
    EXPECT_EQ(Current().slots[0].buttonMode, 1);
    EXPECT_EQ(sim::SharedMouse().Settings().lighting.buttonMode, 1);
    EXPECT_TRUE(MouseHoldsCurrent());
    // Another profile shows its own mode, and coming back shows the one chosen.
    TestHook::ScriptModal(QStringLiteral("MS_1_ConfigName"), 0, [](WindowImplBase& w) {
        w.Find<Edit>(QStringLiteral("edit_name")).SetText(QStringLiteral("Other"));
        w.Find<Button>(QStringLiteral("btn_ok")).Click();
    });
    ApplyAfter([&] { Get(QStringLiteral("ms_1_profile_add_btn")).Click(); });
    EXPECT_TRUE(Get<Option>(QStringLiteral("ms_1_option_button_mode_1")).IsSelected());
    ApplyAfter([&] {
        Get<ListBox>(QStringLiteral("ms_1_list_profile")).Select(0, TakeFocus::kNo, Notify::kYes);
    });
    EXPECT_TRUE(Get<Option>(QStringLiteral("ms_1_option_button_mode_2")).IsSelected());
    EXPECT_EQ(sim::SharedMouse().Settings().lighting.buttonMode, 1);
}

// Item 16: a button's function menu marks the current function and works from the keyboard; a
// dialog closes with Escape and changes nothing.
TEST_F(PageScenario, MenusAndDialogsWorkFromTheKeyboard) {
    sim::SharedMouse().SetCablePlugged(true);
    Open();
    ApplyAndWait();
    Get(QStringLiteral("ms_1_btn_key_5")).Click();  // button 5: Copy
    MenuWindow* menu = Page().Buttons().Menu();
    ASSERT_NE(menu, nullptr);
    const Button copy = menu->Find<Button>(QStringLiteral("ms_1_copy"));
    EXPECT_TRUE(copy.Widget()->property("current").toBool());
    EXPECT_TRUE(copy.HasFocus());
    QTest::keyClick(copy.Widget(), Qt::Key_Down);
    const Button paste = menu->Find<Button>(QStringLiteral("ms_1_paste"));
    ASSERT_TRUE(paste.HasFocus());
    ApplyAfter([&] { QTest::keyClick(paste.Widget(), Qt::Key_Return); });
    EXPECT_EQ(ActiveSlot(Current()).buttons[4].functionCode, 0x22);
    EXPECT_TRUE(MouseHoldsCurrent());

    Get(QStringLiteral("ms_1_btn_key_5")).Click();
    menu = Page().Buttons().Menu();
    QTest::keyClick(menu->Find<Button>(QStringLiteral("ms_1_paste")).Widget(), Qt::Key_Escape);
    EXPECT_FALSE(menu->IsOpen());
    EXPECT_EQ(ActiveSlot(Current()).buttons[4].functionCode, 0x22);

    // Escape in the name dialog is its cancel: no profile is added.
    TestHook::ScriptModal(QStringLiteral("MS_1_ConfigName"), 1, [](WindowImplBase& w) {
        QWidget* edit = w.Find<Edit>(QStringLiteral("edit_name")).Widget();
        QTest::keyClicks(edit, QStringLiteral("Typed"));
        QTest::keyClick(edit, Qt::Key_Escape);
        EXPECT_FALSE(w.IsWindow());
    });
    Get(QStringLiteral("ms_1_profile_add_btn")).Click();
    EXPECT_EQ(Store().Count(), 1);
}

// Item 17: the mouse was away behind the receiver ("does not answer"); plugged in by its cable,
// its next power status shows the reading again.
TEST_F(PageScenario, TheBatteryReadingComesBackWhenTheCableBringsTheMouseBack) {
    auto& mouse = sim::SharedMouse();
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    mouse.SetBattery(80, false, false);
    Open();
    const Control power = Page().Controls().verPower;
    const Control noPower = Page().Controls().verNoPower;
    mouse.EmitStatus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return power.IsVisible(); }, kWaitMs));

    mouse.SetMouseAwake(false);
    Page().OnWatchdogTimer();  // six seconds without a word
    EXPECT_FALSE(power.IsVisible());
    EXPECT_TRUE(noPower.IsVisible());

    mouse.SetMouseAwake(true);
    mouse.SetCablePlugged(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Page().Links()->Links().CablePresent(); }, kWaitMs));
    mouse.SetBattery(64, false, false);
    mouse.EmitStatus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return power.IsVisible(); }, kWaitMs));
    EXPECT_FALSE(noPower.IsVisible());
    EXPECT_EQ(Page().Controls().labelPower.Text(), QStringLiteral("64%"));
}

// Item 18: settings the mouse refused stay pending under a notice that says what happens and
// offers "Try again"; once the mouse takes them again they go out by themselves on its next
// answer, even after it refused several tries, and the notice goes.
TEST_F(PageScenario, RefusedSettingsGoOutByThemselvesWhenTheMouseAnswers) {
    platform.answerRetryPauseMs = 0;  // the pause between late tries is not what is tested here
    platform.sleeper = &shortSleep;
    auto& mouse = sim::SharedMouse();
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    Open();
    mouse.EmitStatus();  // the mouse answers behind the receiver: it is awake
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Page().Links()->Links().wirelessAwake != 0; }, kWaitMs));
    ApplyAndWait();
    ASSERT_TRUE(MouseHoldsCurrent());
    const Control notice = Page().Controls().applyNotice;
    Button retry = Page().Controls().btnRetry;

    mouse.SetAckMode(sim::AckMode::Refuse);
    ApplyAfter([&] { Get<Option>(QStringLiteral("ms_1_option_dpi_step_5")).Select(Notify::kYes); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return notice.IsVisible(); }, kWaitMs));
    EXPECT_TRUE(retry.IsVisible());
    EXPECT_NE(mouse.Settings().dpi.currentStage, 5);  // 1-based: the fifth stage

    // Try again applies at once; the mouse's answers retry as well, and keep doing so.
    ApplyAfter([&] { retry.Click(); });
    for (int answer = 0; answer < 4; ++answer) {
        ApplyAfter([&] { mouse.EmitStatus(); });
    }
    EXPECT_TRUE(notice.IsVisible());

    mouse.SetAckMode(sim::AckMode::Accept);
    ApplyAfter([&] { mouse.EmitStatus(); });
    EXPECT_TRUE(MouseHoldsCurrent());
    EXPECT_EQ(mouse.Settings().dpi.currentStage, 5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notice.IsVisible(); }, kWaitMs));
    EXPECT_FALSE(retry.IsVisible());
}

}  // namespace
