// The macro selection dialog: its preselection (also from stale or damaged entries), the count
// box's digit filter and 1..255 correction, and the repeat modes.
#include "macro/dialogs/select_macro_wnd.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "macro/macro_store.h"
#include "protocol/utf16_field.h"
#include "tests/macro/dialogs/dialog_test_support.h"
#include "ui/test_hook.h"

namespace {

class SelectMacroWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureDialogApp();
        for (const char* name : {"Fire", "Burst", "Reload"}) {
            MacroRecord record{};
            StringToField(record.name, QString::fromLatin1(name));
            store.Append(record);
        }
    }
    static Edit CountBox(const WindowImplBase& w) {
        return w.Find<Edit>(QStringLiteral("edit_loop_time"));
    }
    static bool PanelShown(const WindowImplBase& w) {
        return w.Find<Control>(QStringLiteral("hor_loop_time")).IsVisible();
    }

    QTemporaryDir folder;
    MacroStore store{folder.path() + QLatin1Char('/')};
};

TEST_F(SelectMacroWndTest, AButtonWithoutAMacroOpensOnTheFirstModeWithCountOneAndNoRow) {
    CMS_1_SelectMacro w(store, -1, 0, 1);
    ASSERT_TRUE(w.Create(nullptr));
    const ListBox list = w.Find<ListBox>(QStringLiteral("list_macro"));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.ItemText(1), QStringLiteral("Burst"));
    EXPECT_EQ(list.CurSel(), -1);
    EXPECT_TRUE(w.Find<Option>(QStringLiteral("repeat_1")).IsSelected());
    EXPECT_EQ(CountBox(w).Text(), QStringLiteral("1"));
    EXPECT_TRUE(PanelShown(w));
    // OK would bind nothing: it waits for a macro.
    EXPECT_FALSE(w.Find<Button>(QStringLiteral("btn_ok")).IsEnabled());
    w.Find<ListBox>(QStringLiteral("list_macro")).Select(2, TakeFocus::kNo, Notify::kYes);
    EXPECT_EQ(w.SelectedIndex(), 2);
    EXPECT_TRUE(w.Find<Button>(QStringLiteral("btn_ok")).IsEnabled());
}

TEST_F(SelectMacroWndTest, PreselectionFromStaleOrDamagedEntriesShowsWhatItReturns) {
    // A macro index left from before deletions selects whatever row has it now.
    CMS_1_SelectMacro stale(store, 1, 2, 40);
    ASSERT_TRUE(stale.Create(nullptr));
    EXPECT_EQ(stale.Find<ListBox>(QStringLiteral("list_macro")).CurSel(), 1);
    EXPECT_TRUE(stale.Find<Option>(QStringLiteral("repeat_3")).IsSelected());
    EXPECT_FALSE(PanelShown(stale));
    EXPECT_EQ(CountBox(stale).Text(), QStringLiteral("40"));

    // An index past the list, a mode and a count no dialog writes (a damaged file).
    CMS_1_SelectMacro damaged(store, 9, 7, 1000);
    ASSERT_TRUE(damaged.Create(nullptr));
    EXPECT_EQ(damaged.Find<ListBox>(QStringLiteral("list_macro")).CurSel(), -1);
    EXPECT_FALSE(damaged.Find<Button>(QStringLiteral("btn_ok")).IsEnabled());
    EXPECT_TRUE(damaged.Find<Option>(QStringLiteral("repeat_1")).IsSelected());
    EXPECT_EQ(damaged.RepeatMode(), 0);
    EXPECT_EQ(CountBox(damaged).Text(), QStringLiteral("255"));
    EXPECT_EQ(damaged.RepeatCount(), 255);
}

TEST_F(SelectMacroWndTest, CountBoxKeepsDigitsAndCorrectsTheCountWhenLeft) {
    CMS_1_SelectMacro w(store, 0, 0, 1);
    ASSERT_TRUE(w.Create(nullptr));
    ASSERT_TRUE(ShowActive(w));
    Edit count = CountBox(w);
    count.SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return count.HasFocus(); }));
    count.SetText(QString());
    QTest::keyClicks(count.Widget(), "3x0-0");
    EXPECT_EQ(count.Text(), QStringLiteral("300"));
    EXPECT_EQ(count.CaretPosition(), 3);

    // Leaving the box for the second mode: 300 becomes 255, the panel hides, the count stays.
    Option second = w.Find<Option>(QStringLiteral("repeat_2"));
    second.SetFocus();
    second.Select(Notify::kYes);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !count.HasFocus(); }));
    EXPECT_EQ(count.Text(), QStringLiteral("255"));
    EXPECT_EQ(w.RepeatCount(), 255);
    EXPECT_EQ(w.RepeatMode(), 1);
    EXPECT_FALSE(PanelShown(w));

    w.Find<Option>(QStringLiteral("repeat_1")).Select(Notify::kYes);
    EXPECT_TRUE(PanelShown(w));
    count.SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return count.HasFocus(); }));
    count.SetText(QString());
    QTest::keyClicks(count.Widget(), "0");
    w.Find<ListBox>(QStringLiteral("list_macro")).SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !count.HasFocus(); }));
    EXPECT_EQ(count.Text(), QStringLiteral("1"));
    EXPECT_EQ(w.RepeatCount(), 1);
}

// OK pressed while the typed count still sits in the box (Enter, or a click that takes no
// focus) uses that count, corrected, rather than the one before it.
TEST_F(SelectMacroWndTest, OkTakesACountTypedWithoutLeavingTheBox) {
    TestHook::Enable();
    TestHook::ScriptModal(QStringLiteral("MS_1_SelectMacro"), 0, [](WindowImplBase& w) {
        w.Find<ListBox>(QStringLiteral("list_macro")).Select(0, TakeFocus::kNo, Notify::kYes);
        w.Find<Edit>(QStringLiteral("edit_loop_time")).SetText(QStringLiteral("77"));
        w.Find<Button>(QStringLiteral("btn_ok")).Click();
    });
    CMS_1_SelectMacro w(store, -1, 0, 1);
    ASSERT_TRUE(w.Create(nullptr));
    EXPECT_EQ(w.ShowModal(), 1);
    TestHook::Disable();
    EXPECT_EQ(w.SelectedIndex(), 0);
    EXPECT_EQ(w.RepeatCount(), 77);
}

TEST(SelectMacroCount, TextsStandForCountsFromOneTo255) {
    EXPECT_EQ(CMS_1_SelectMacro::CountOfText(QString()), 1);
    EXPECT_EQ(CMS_1_SelectMacro::CountOfText(QStringLiteral("0")), 1);
    EXPECT_EQ(CMS_1_SelectMacro::CountOfText(QStringLiteral("007")), 7);
    EXPECT_EQ(CMS_1_SelectMacro::CountOfText(QStringLiteral("255")), 255);
    EXPECT_EQ(CMS_1_SelectMacro::CountOfText(QStringLiteral("256")), 255);
    // More digits than any integer holds is still a large number, not 0.
    EXPECT_EQ(CMS_1_SelectMacro::CountOfText(QStringLiteral("99999999999999999999999")), 255);
}

}  // namespace
