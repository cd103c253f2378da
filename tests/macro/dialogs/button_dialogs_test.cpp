// The key combination and macro selection dialogs on their own: which key the first keeps from
// the hook's reports and how it takes and lets go of the hook, even when the hook library posts
// after the dialog has gone; how the second shows stale or damaged entries and corrects its count.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QWidget>
#include <QtTest/QTest>

#include <algorithm>
#include <string>
#include <vector>

#include "link/program_messages.h"
#include "macro/dialogs/select_macro_wnd.h"
#include "macro/dialogs/shortcut_wnd.h"
#include "macro/macro_store.h"
#include "macro/us_keyboard_layout.h"
#include "protocol/utf16_field.h"
#include "ui/language_manager.h"
#include "ui/ui_application.h"

namespace {

using program_messages::kHookInput;

void EnsureApp() {
    static int argc = 1;
    static char name[] = "talvore_dialogs_test";
    static char* argv[] = {name, nullptr};
    static UiApplication* app = [] {
        auto* created = new UiApplication(argc, argv);
        UiApplication::SetSkinFolder(QStringLiteral(TALVORE_SOURCE_DIR "/res"));
        return created;
    }();
    (void)app;
    LanguageManager::Instance().Load(QStringLiteral("lan/EN.xml"));
}

// Shown and active, so the focus moves as it does for a user.
void ShowActive(WindowImplBase& window) {
    window.ShowWindow();
    window.RootWidget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.RootWidget()));
}

void MoveFocus(Control to) {
    to.SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return to.HasFocus(); }));
}

// A hook library that records its calls and keeps the window it was given, as the real one does.
struct FakeHook {
    static inline std::vector<std::string> calls;
    static inline TalvoreWindow window{};
    static int Install(const TalvoreWindow* w) {
        calls.push_back("install");
        window = *w;
        return 1;
    }
    static void Remove() { calls.push_back("remove"); }
    static void Enable(int on) { calls.push_back(on != 0 ? "enable" : "disable"); }
    // What the library's thread does on a key event.
    static void Post(uint64_t virtualKey, int64_t release) {
        window.post(window.context, kHookInput, virtualKey, release);
    }
};

TEST(ShortcutWnd, KeepsTheLastKeyTheHookReportsWhileTheBoxHasTheFocus) {
    EnsureApp();
    FakeHook::calls.clear();
    HookTable hooks;
    hooks.installhook = &FakeHook::Install;
    hooks.removehook = &FakeHook::Remove;
    hooks.enablehook = &FakeHook::Enable;
    UsKeyboardLayout layout;
    auto w = std::make_unique<CShortcutWnd>(0b0101, 0, &hooks, layout, LanguageManager::Instance());
    ASSERT_TRUE(w->Create(nullptr));
    ShowActive(*w);
    EXPECT_EQ(w->Modifiers(), 0b0101);
    EXPECT_TRUE(FakeHook::calls.empty());  // nothing is taken before the box has the focus
    Edit keyBox = w->Find<Edit>(QStringLiteral("edit_key"));
    MoveFocus(keyBox);
    EXPECT_EQ(FakeHook::calls, (std::vector<std::string>{"install", "enable"}));

    // C pressed and released, through the window the hook was given.
    FakeHook::Post(0x43, 0);
    FakeHook::Post(0x43, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->KeyUsage() == 0x06; }));
    EXPECT_EQ(keyBox.Text(), QStringLiteral("C"));
    // Enter is a key like any other here, and a click on OK reaches the hook as mouse
    // messages: neither closes the dialog nor replaces the key.
    QTest::keyClick(keyBox.Widget(), Qt::Key_Return);
    w->SendMessage(kHookInput, 513, 0);
    w->SendMessage(kHookInput, 514, 0);
    EXPECT_TRUE(w->IsWindow());
    EXPECT_EQ(w->KeyUsage(), 0x06);
    // Ctrl held over C: the Ctrl release comes last and is the key kept.
    for (const auto& [key, release] : {std::pair{0xA2, 0}, {0x43, 0}, {0x43, 1}, {0xA2, 1}}) {
        w->SendMessage(kHookInput, static_cast<quintptr>(key), release);
    }
    EXPECT_EQ(w->KeyUsage(), 0xE0);
    EXPECT_EQ(keyBox.Text(), QStringLiteral("Left Ctrl"));
    // A key without a table row gives no key and no name.
    w->SendMessage(kHookInput, 0x10, 0);
    EXPECT_EQ(w->KeyUsage(), 0);
    EXPECT_EQ(keyBox.Text(), QString());

    // Leaving the box lets the hook go; what the hook posts later reaches nobody.
    MoveFocus(w->Find<CheckBox>(QStringLiteral("check_flag_2")));
    EXPECT_EQ(FakeHook::calls.size(), 4u);
    FakeHook::Post(0x43, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->KeyUsage(), 0);

    // Closed while taking keys: the hook is let go once, and a late post after the dialog is
    // gone is harmless.
    MoveFocus(keyBox);
    w->Find<Button>(QStringLiteral("btn_exit")).Click();
    EXPECT_EQ(FakeHook::calls.back(), "disable");
    EXPECT_EQ(std::count(FakeHook::calls.begin(), FakeHook::calls.end(), "remove"), 2);
    w.reset();
    FakeHook::Post(0x43, 0);
    QCoreApplication::processEvents();
}

class SelectMacroWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        for (const char* name : {"Fire", "Burst", "Reload"}) {
            MacroRecord record{};
            StringToField(record.name, QString::fromLatin1(name));
            store.Append(record);
        }
    }
    QTemporaryDir folder;
    MacroStore store{folder.path() + QLatin1Char('/')};
};

TEST_F(SelectMacroWndTest, StaleAndDamagedEntriesShowWhatTheDialogReturns) {
    // A macro index left from before deletions selects whatever row has it now.
    CMS_1_SelectMacro stale(store, 1, 2, 40);
    ASSERT_TRUE(stale.Create(nullptr));
    EXPECT_EQ(stale.Find<ListBox>(QStringLiteral("list_macro")).CurSel(), 1);
    EXPECT_TRUE(stale.Find<Option>(QStringLiteral("repeat_3")).IsSelected());
    EXPECT_FALSE(stale.Find<Control>(QStringLiteral("hor_loop_time")).IsVisible());

    // An index past the list, a mode and a count no dialog writes (a damaged file): nothing
    // selected, so OK waits; the first mode; the count held to 255.
    CMS_1_SelectMacro damaged(store, 9, 7, 1000);
    ASSERT_TRUE(damaged.Create(nullptr));
    EXPECT_EQ(damaged.Find<ListBox>(QStringLiteral("list_macro")).CurSel(), -1);
    EXPECT_FALSE(damaged.Find<Button>(QStringLiteral("btn_ok")).IsEnabled());
    EXPECT_TRUE(damaged.Find<Option>(QStringLiteral("repeat_1")).IsSelected());
    EXPECT_EQ(damaged.RepeatMode(), 0);
    EXPECT_EQ(damaged.Find<Edit>(QStringLiteral("edit_loop_time")).Text(), QStringLiteral("255"));
    EXPECT_EQ(damaged.RepeatCount(), 255);
    damaged.Find<ListBox>(QStringLiteral("list_macro")).Select(2, TakeFocus::kNo, Notify::kYes);
    EXPECT_TRUE(damaged.Find<Button>(QStringLiteral("btn_ok")).IsEnabled());
}

TEST_F(SelectMacroWndTest, CountBoxKeepsDigitsAndIsCorrectedWhenLeft) {
    CMS_1_SelectMacro w(store, 0, 0, 1);
    ASSERT_TRUE(w.Create(nullptr));
    ShowActive(w);
    Edit count = w.Find<Edit>(QStringLiteral("edit_loop_time"));
    MoveFocus(count);
    count.SetText(QString());
    QTest::keyClicks(count.Widget(), "3x0-0");
    EXPECT_EQ(count.Text(), QStringLiteral("300"));
    EXPECT_EQ(count.CaretPosition(), 3);
    // Left for the second mode: 255, the count panel hides, the count stays.
    Option second = w.Find<Option>(QStringLiteral("repeat_2"));
    MoveFocus(second);
    second.Select(Notify::kYes);
    EXPECT_EQ(count.Text(), QStringLiteral("255"));
    EXPECT_EQ(w.RepeatCount(), 255);
    EXPECT_EQ(w.RepeatMode(), 1);
    EXPECT_FALSE(w.Find<Control>(QStringLiteral("hor_loop_time")).IsVisible());

    // More digits than any integer holds is still a large number, not 0.
    EXPECT_EQ(CMS_1_SelectMacro::CountOfText(QStringLiteral("99999999999999999999999")), 255);
    EXPECT_EQ(CMS_1_SelectMacro::CountOfText(QString()), 1);
}

}  // namespace
