// The key combination dialog: what it shows for a stored shortcut, which key it keeps from the
// hook's reports, and that the hook is taken only while the key box has the focus and is let go
// for good, even when the hook library posts after the dialog has gone.
#include "macro/dialogs/shortcut_wnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "link/program_messages.h"
#include "macro/us_keyboard_layout.h"
#include "tests/macro/dialogs/dialog_test_support.h"

namespace {

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
        window.post(window.context, program_messages::kHookInput, virtualKey, release);
    }
};

class ShortcutWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureDialogApp();
        FakeHook::calls.clear();
        FakeHook::window = {};
        hooks.installhook = &FakeHook::Install;
        hooks.removehook = &FakeHook::Remove;
        hooks.enablehook = &FakeHook::Enable;
    }
    QString KeyText(const CShortcutWnd& w) const {
        return w.Find<Edit>(QStringLiteral("edit_key")).Text();
    }

    HookTable hooks;
    UsKeyboardLayout layout;
};

TEST_F(ShortcutWndTest, ShowsTheStoredShortcutAndReturnsTheBoxesAsBits) {
    CShortcutWnd w(0b0101, 0x3E, &hooks, layout, LanguageManager::Instance());
    ASSERT_TRUE(w.Create(nullptr));
    EXPECT_TRUE(w.Find<CheckBox>(QStringLiteral("check_flag_1")).GetCheck());
    EXPECT_FALSE(w.Find<CheckBox>(QStringLiteral("check_flag_2")).GetCheck());
    EXPECT_TRUE(w.Find<CheckBox>(QStringLiteral("check_flag_3")).GetCheck());
    EXPECT_FALSE(w.Find<CheckBox>(QStringLiteral("check_flag_4")).GetCheck());
    EXPECT_EQ(KeyText(w), QStringLiteral("F5"));

    // The user unticks Ctrl and ticks Win.
    w.Find<CheckBox>(QStringLiteral("check_flag_1")).SetCheck(false, Notify::kYes);
    w.Find<CheckBox>(QStringLiteral("check_flag_4")).SetCheck(true, Notify::kYes);
    EXPECT_EQ(w.Modifiers(), 0b1100);
    EXPECT_EQ(w.KeyUsage(), 0x3E);
    EXPECT_TRUE(FakeHook::calls.empty());  // nothing is captured before the box has the focus
}

TEST_F(ShortcutWndTest, KeepsTheLastKeyTheHookReportsWhileTheBoxHasTheFocus) {
    auto w = std::make_unique<CShortcutWnd>(0, 0, &hooks, layout, LanguageManager::Instance());
    ASSERT_TRUE(w->Create(nullptr));
    ASSERT_TRUE(ShowActive(*w));
    Edit keyBox = w->Find<Edit>(QStringLiteral("edit_key"));
    keyBox.SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([] { return FakeHook::calls.size() == 2; }));
    EXPECT_EQ(FakeHook::calls, (std::vector<std::string>{"install", "enable"}));

    // C pressed and released, through the window the hook was given.
    FakeHook::Post(0x43, 0);
    FakeHook::Post(0x43, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->KeyUsage() == 0x06; }));
    EXPECT_EQ(KeyText(*w), QStringLiteral("C"));

    // Enter is a key like any other here: it does not press OK.
    QTest::keyClick(keyBox.Widget(), Qt::Key_Return);
    EXPECT_TRUE(w->IsWindow());

    // A click on OK reaches the hook as a mouse message: the key stays.
    w->SendMessage(program_messages::kHookInput, 513, 0);
    w->SendMessage(program_messages::kHookInput, 514, 0);
    EXPECT_EQ(w->KeyUsage(), 0x06);

    // Ctrl held over C: the Ctrl release comes last and is the key kept.
    w->SendMessage(program_messages::kHookInput, 0xA2, 0);
    w->SendMessage(program_messages::kHookInput, 0x43, 0);
    w->SendMessage(program_messages::kHookInput, 0x43, 1);
    w->SendMessage(program_messages::kHookInput, 0xA2, 1);
    EXPECT_EQ(w->KeyUsage(), 0xE0);
    EXPECT_EQ(KeyText(*w), QStringLiteral("Left Ctrl"));

    // A key without a table row gives no key and no name.
    w->SendMessage(program_messages::kHookInput, 0x10, 0);
    EXPECT_EQ(w->KeyUsage(), 0);
    EXPECT_EQ(KeyText(*w), QString());

    // Leaving the box lets the hook go; later posts reach nobody.
    w->Find<CheckBox>(QStringLiteral("check_flag_2")).SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([] { return FakeHook::calls.size() == 4; }));
    EXPECT_EQ(FakeHook::calls[2], "remove");
    EXPECT_EQ(FakeHook::calls[3], "disable");
    FakeHook::Post(0x43, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->KeyUsage(), 0);
}

TEST_F(ShortcutWndTest, ClosingWhileCapturingReleasesTheHookAndLatePostsAreHarmless) {
    auto w = std::make_unique<CShortcutWnd>(0, 0, &hooks, layout, LanguageManager::Instance());
    ASSERT_TRUE(w->Create(nullptr));
    ASSERT_TRUE(ShowActive(*w));
    w->Find<Edit>(QStringLiteral("edit_key")).SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([] { return FakeHook::calls.size() == 2; }));
    w->Find<Button>(QStringLiteral("btn_exit")).Click();
    EXPECT_EQ(FakeHook::calls.back(), "disable");
    EXPECT_EQ(std::count(FakeHook::calls.begin(), FakeHook::calls.end(), "remove"), 1);
    w.reset();
    // The hook library still holds the struct and may post from its thread at any time.
    FakeHook::Post(0x43, 0);
    QCoreApplication::processEvents();
    SUCCEED();
}

// Without the hook library (it did not load) every entry is null: focusing the box calls none.
TEST_F(ShortcutWndTest, WithoutAHookLibraryFocusingTheBoxCallsNothing) {
    const HookTable unbound;
    CShortcutWnd w(0b0010, 0x06, &unbound, layout, LanguageManager::Instance());
    ASSERT_TRUE(w.Create(nullptr));
    ASSERT_TRUE(ShowActive(w));
    Edit keyBox = w.Find<Edit>(QStringLiteral("edit_key"));
    keyBox.SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyBox.HasFocus(); }));
    w.Find<CheckBox>(QStringLiteral("check_flag_1")).SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !keyBox.HasFocus(); }));
    EXPECT_EQ(w.Modifiers(), 0b0010);
    EXPECT_EQ(w.KeyUsage(), 0x06);
}

}  // namespace
