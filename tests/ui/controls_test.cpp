// Controls of a window built from tests/ui/data/window.xml: lookup, texts, languages, options,
// check boxes, sliders, lists, combo boxes, edits, tab layouts and the colour palette.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLabel>
#include <QListWidget>
#include <QRect>
#include <QWidget>

#include "tests/ui/ui_test_support.h"
#include "ui/bk_image.h"

namespace {

#ifdef QT_NO_DEBUG  // debug builds stop on a failed lookup instead of reporting it
QStringList g_criticals;
void CaptureCriticals(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg) {
        g_criticals.append(text);
    }
}
#endif

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureUiApp();
        ASSERT_TRUE(window.Create(nullptr, kWindowCaption));
        window.AddVirtualWindow(QStringLiteral("TestPage"), &page);
    }
    TestWindow window;
    RecordingPump page{"click", "selectchanged", "checkclick", "timer", "itemselect"};
};

TEST_F(ControlsTest, LookupFindsEachKindAndRejectsMissingOrWrongKindWithAReport) {
    EXPECT_EQ(window.initCount, 1);
    EXPECT_FALSE(window.Find<Label>("title").IsNull());
    EXPECT_FALSE(window.Find<Button>("btn_ok").IsNull());
    EXPECT_FALSE(window.Find<Option>("option_step_%d", 2).IsNull());
    EXPECT_FALSE(window.Find<CheckBox>("check_move").IsNull());
    EXPECT_FALSE(window.Find<Slider>("slider_dpi_%d", 1).IsNull());
    EXPECT_FALSE(window.Find<Progress>("progress_power").IsNull());
    EXPECT_FALSE(window.Find<ListBox>("list_profile").IsNull());
    EXPECT_FALSE(window.Find<ComboBox>("combo_lan").IsNull());
    EXPECT_FALSE(window.Find<Edit>("edit_name").IsNull());
    EXPECT_FALSE(window.Find<TabLayout>("device_tab_switch").IsNull());
    EXPECT_FALSE(window.Find<Palette>("ColorPallet").IsNull());
    EXPECT_TRUE(window.FindOptional<Label>("dpi_label").IsNull());

#ifdef QT_NO_DEBUG
    g_criticals.clear();
    const QtMessageHandler previous = qInstallMessageHandler(CaptureCriticals);
    const Label missing = window.Find<Label>("no_such_label");
    const Slider wrongKind = window.Find<Slider>("title");
    qInstallMessageHandler(previous);
    EXPECT_TRUE(missing.IsNull());
    EXPECT_TRUE(wrongKind.IsNull());
    ASSERT_EQ(g_criticals.size(), 2);
    EXPECT_TRUE(g_criticals[0].contains("TestWnd"));
    EXPECT_TRUE(g_criticals[0].contains("window.xml"));
    EXPECT_TRUE(g_criticals[0].contains("no_such_label"));
    EXPECT_TRUE(g_criticals[1].contains("title"));

    // A null handle is safe to use and reads as empty.
    Label null;
    null.SetText("x");
    null.SetVisible(true);
    EXPECT_EQ(null.Text(), QString());
    EXPECT_FALSE(null.IsVisible());
    EXPECT_EQ(null.Geometry(), QRect());
#endif
}

TEST_F(ControlsTest, TextKeysFollowLanguageSwitchesInEveryWindowAndPlainTextsStay) {
    TestWindow second;
    ASSERT_TRUE(second.Create(&window));
    const Label title = window.Find<Label>("title");
    const Label otherTitle = second.Find<Label>("title");
    const Button ok = window.Find<Button>("btn_ok");
    EXPECT_EQ(title.Text(), "Hello");
    EXPECT_EQ(title.TextKey(), "hello_text");

    Label power = window.Find<Label>("power_label");
    power.SetTextKey("unknown_key_text");
    EXPECT_EQ(power.Text(), "unknown_key_text");

    ASSERT_TRUE(LanguageManager::Instance().Switch("lan/RU.xml"));
    EXPECT_EQ(title.Text(), QString::fromUtf8("Привет"));
    EXPECT_EQ(otherTitle.Text(), QString::fromUtf8("Привет"));
    EXPECT_EQ(ok.Text(), "OK");
    EXPECT_EQ(LanguageManager::Instance().LanguageId(), 3);

    // A plain text replaces the key: the next switch leaves it alone.
    Label(title).SetText("fixed");
    EXPECT_FALSE(LanguageManager::Instance().Switch("lan/missing.xml"));
    EXPECT_EQ(otherTitle.Text(), QString::fromUtf8("Привет"));  // failed load keeps texts
    ASSERT_TRUE(LanguageManager::Instance().Switch("lan/EN.xml"));
    EXPECT_EQ(title.Text(), "fixed");
    EXPECT_EQ(otherTitle.Text(), "Hello");
}

TEST_F(ControlsTest, VisibilityEnabledColourImageAndGeometry) {
    Button ok = window.Find<Button>("btn_ok");
    window.ShowWindow();
    ok.SetVisible(false);
    EXPECT_FALSE(ok.IsVisible());
    ok.SetVisible(true);
    EXPECT_TRUE(ok.IsVisible());
    ok.SetEnabled(false);
    EXPECT_FALSE(ok.IsEnabled());
    ok.SetBkColor(0xFF102030u);
    EXPECT_EQ(ok.BkColor(), 0xFF102030u);
    ok.SetBkImage("res='skins/mouse.png' dest='2,2,28,28'");
    EXPECT_EQ(ok.BkImage(), "res='skins/mouse.png' dest='2,2,28,28'");

    const Control box = window.Find<Control>("page_box");
    const Control inside = window.Find<Control>("page_btn");
    EXPECT_TRUE(box.Geometry().contains(inside.Geometry()));
}

// A text longer than its button is cut to the width the button has, again after each resize,
// and reads back whole; a plain text set later is no longer cut.
TEST_F(ControlsTest, ElidedTextFollowsTheWidthAndReadsBackWhole) {
    window.ShowWindow();
    Button button = window.Find<Button>("page_btn");
    QWidget* widget = button.Widget();
    const QString longText = QStringLiteral("Macro: a name far too long for this button");
    widget->setFixedWidth(90);
    button.SetElidedText(longText);
    EXPECT_EQ(button.Text(), longText);
    const QString shown = qobject_cast<QAbstractButton*>(widget)->text();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();

    widget->setFixedWidth(600);
    QCoreApplication::processEvents();
    EXPECT_EQ(qobject_cast<QAbstractButton*>(widget)->text(), longText);

    button.SetText(QStringLiteral("Short"));
    widget->setFixedWidth(20);
    QCoreApplication::processEvents();
    EXPECT_EQ(qobject_cast<QAbstractButton*>(widget)->text(), QStringLiteral("Short"));
    EXPECT_EQ(button.Text(), QStringLiteral("Short"));
}

TEST(BkImageTest, ReadsResourceAndDestinationForms) {
    using ui_internal::ParseBkImage;
    const auto key = ParseBkImage("res='skins/keyboard_key_action.png' dest='5,6,35,24'");
    EXPECT_EQ(key.file, "skins/keyboard_key_action.png");
    EXPECT_EQ(key.dest, QRect(5, 6, 30, 18));
    const auto plain = ParseBkImage("skins/mouse.png");
    EXPECT_EQ(plain.file, "skins/mouse.png");
    EXPECT_FALSE(plain.dest.isValid());
    // A damaged or empty rectangle draws over the whole control instead.
    EXPECT_FALSE(ParseBkImage("res='a.png' dest='5,6,x,24'").dest.isValid());
    EXPECT_FALSE(ParseBkImage("res='a.png' dest='35,6,5,24'").dest.isValid());
    EXPECT_FALSE(ParseBkImage("res='a.png' dest='1,2,3'").dest.isValid());
}

TEST_F(ControlsTest, OptionsExcludeWithinTheirGroupAcrossContainersAndNotifyOnlyWhenAsked) {
    Option step1 = window.Find<Option>("option_step_1");
    Option step2 = window.Find<Option>("option_step_2");
    Option step3 = window.Find<Option>("option_step_3");
    Option rate1 = window.Find<Option>("option_rate_1");
    EXPECT_EQ(step3.Group(), "step");

    rate1.Select(Notify::kNo);
    step1.Select(Notify::kNo);
    step3.Select(Notify::kNo);
    EXPECT_FALSE(step1.IsSelected());
    EXPECT_TRUE(step3.IsSelected());
    EXPECT_TRUE(rate1.IsSelected());  // another group is untouched
    EXPECT_TRUE(window.NotesOf("selectchanged").empty());

    // A selection with notification from inside the virtual window reaches the page.
    step2.Select(Notify::kYes);
    ASSERT_EQ(page.got.size(), 1u);
    EXPECT_EQ(page.got[0].type, "selectchanged");
    EXPECT_TRUE(page.got[0].sender == step2);
    EXPECT_EQ(page.got[0].virtualWindow, "TestPage");

    // The user's click: one notification, from the option now selected.
    Button(step1.Widget()).Click();
    ASSERT_EQ(page.got.size(), 2u);
    EXPECT_EQ(page.got[1].senderName, "option_step_1");
    EXPECT_FALSE(step2.IsSelected());
}

TEST_F(ControlsTest, CheckBoxReportsTheUsersToggleWithItsNewState) {
    CheckBox move = window.Find<CheckBox>("check_move");
    move.SetCheck(true, Notify::kNo);
    EXPECT_TRUE(move.GetCheck());
    EXPECT_TRUE(page.got.empty());
    Button(move.Widget()).Click();
    ASSERT_EQ(page.got.size(), 1u);
    EXPECT_EQ(page.got[0].type, "checkclick");
    EXPECT_EQ(page.got[0].wParam, 0u);
    EXPECT_FALSE(move.GetCheck());
    move.SetCheck(true, Notify::kYes);
    ASSERT_EQ(page.got.size(), 2u);
    EXPECT_EQ(page.got[1].wParam, 1u);
}

TEST_F(ControlsTest, SliderClampsSilentlyAndReportsEveryUserStep) {
    Slider dpi = window.Find<Slider>("slider_dpi_1");
    dpi.SetValue(500);
    EXPECT_EQ(dpi.Value(), 100);
    dpi.SetRange(1, 200);
    dpi.SetValue(16);
    EXPECT_EQ(dpi.Value(), 16);
    EXPECT_TRUE(window.NotesOf("valuechanged").empty());

    auto* widget = static_cast<QAbstractSlider*>(dpi.Widget());
    widget->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    widget->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const auto steps = window.NotesOf("valuechanged");
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].wParam, 17u);
    EXPECT_EQ(steps[1].wParam, 18u);

    Progress power = window.Find<Progress>("progress_power");
    power.SetRange(0, 100);
    power.SetValue(140);
    EXPECT_EQ(power.Value(), 100);
}

TEST_F(ControlsTest, ListRowsSelectionAndRemovalNotifications) {
    ListBox list = window.Find<ListBox>("list_profile");
    EXPECT_EQ(list.AddLabel("Default", 29), 0);
    EXPECT_EQ(list.AddLabel("Work", 29), 1);
    const Control row = list.AddRow("keylistitem.xml", 30);
    ASSERT_FALSE(row.IsNull());
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(row.Geometry().height(), 30);

    Label key = list.Row(2).FindChild<Label>("key");
    key.SetText("A");
    key.SetBkImage("res='skins/mouse.png' dest='2,2,28,28'");
    list.Row(2).FindChild<Label>("delay").SetText("10");
    EXPECT_EQ(row.FindChild<Label>("key").Text(), "A");
    EXPECT_EQ(row.FindChild<Label>("delay").Text(), "10");
    EXPECT_TRUE(list.Row(0).IsNull());  // a label row has no widget

    list.Select(1, TakeFocus::kNo, Notify::kNo);
    EXPECT_EQ(list.CurSel(), 1);
    EXPECT_TRUE(window.NotesOf("itemselect").empty());

    // Removing the selected row moves Qt's current row, which must not look like a choice.
    list.RemoveAt(1);
    EXPECT_TRUE(window.NotesOf("itemselect").empty());
    EXPECT_EQ(list.ItemText(1), QString());
    list.Select(1, TakeFocus::kNo, Notify::kYes);
    auto picks = window.NotesOf("itemselect");
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0].wParam, 1u);

    // The user's choice reports the row and the previous one.
    static_cast<QListWidget*>(list.Widget())->setCurrentRow(0);
    picks = window.NotesOf("itemselect");
    ASSERT_EQ(picks.size(), 2u);
    EXPECT_EQ(picks[1].wParam, 0u);
    EXPECT_EQ(picks[1].lParam, 1);

    list.Select(7, TakeFocus::kNo, Notify::kNo);
    EXPECT_EQ(list.CurSel(), -1);
    list.RemoveAll();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(window.NotesOf("itemselect").size(), 2u);
}

TEST_F(ControlsTest, ComboSelectionWithAndWithoutNotification) {
    ComboBox combo = window.Find<ComboBox>("combo_lan");
    EXPECT_EQ(combo.Count(), 3);
    combo.Select(2, TakeFocus::kNo, Notify::kNo);
    EXPECT_EQ(combo.CurSel(), 2);
    EXPECT_TRUE(window.NotesOf("itemselect").empty());
    combo.Select(5, TakeFocus::kNo, Notify::kYes);  // no such item: nothing happens
    EXPECT_EQ(combo.CurSel(), 2);
    EXPECT_TRUE(window.NotesOf("itemselect").empty());
    combo.Select(0, TakeFocus::kNo, Notify::kYes);
    const auto picks = window.NotesOf("itemselect");
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0].wParam, 0u);
    EXPECT_EQ(picks[0].senderName, "combo_lan");
}

TEST_F(ControlsTest, EditReportsFocusAndTypingButNotTextSetByCode) {
    window.ShowWindow();
    QWidget* root = window.RootWidget();
    root->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(root));

    Edit name = window.Find<Edit>("edit_name");
    Edit other = window.Find<Edit>("edit_other");
    name.SetText("abc");
    EXPECT_TRUE(window.NotesOf("textchanged").empty());

    name.SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.NotesOf("setfocus").empty(); }));
    name.MoveCaretToEnd();
    EXPECT_EQ(name.CaretPosition(), 3);
    QTest::keyClicks(name.Widget(), "de");
    EXPECT_EQ(name.Text(), "abcde");
    EXPECT_EQ(window.NotesOf("textchanged").size(), 2u);

    other.SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.NotesOf("killfocus").empty(); }));
    EXPECT_EQ(window.NotesOf("killfocus")[0].senderName, "edit_name");
    EXPECT_EQ(window.NotesOf("setfocus").back().senderName, "edit_other");
}

TEST_F(ControlsTest, TabLayoutShowsOnePageOrNone) {
    TabLayout tabs = window.Find<TabLayout>("device_tab_switch");
    window.ShowWindow();
    EXPECT_EQ(tabs.PageCount(), 2);
    tabs.SelectPage(-1);
    EXPECT_EQ(tabs.CurPage(), -1);
    EXPECT_FALSE(window.Find<Control>("page_device").IsVisible());
    tabs.SelectPage(0);
    EXPECT_EQ(tabs.CurPage(), 0);
    EXPECT_TRUE(window.Find<Control>("page_device").IsVisible());
    tabs.SelectPage(9);
    EXPECT_EQ(tabs.CurPage(), -1);
}

TEST_F(ControlsTest, PaletteKeepsASetColourAndReportsDragThenRelease) {
    Palette palette = window.Find<Palette>("ColorPallet");
    palette.SetSelectColor(0xFF123456u);
    EXPECT_EQ(palette.GetSelectColor(), 0xFF123456u);
    EXPECT_TRUE(window.NotesOf("colorchanged").empty());

    window.ShowWindow();
    QWidget* w = palette.Widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.RootWidget()));
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(w, QPoint(w->width() / 2, 20));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(w->width() / 2, 30));
    const auto moves = window.NotesOf("colorchanged");
    const auto ups = window.NotesOf("colorchangedbuttonup");
    ASSERT_GE(moves.size(), 1u);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0].wParam, palette.GetSelectColor());
    EXPECT_NE(palette.GetSelectColor(), 0xFF123456u);
    EXPECT_EQ(palette.GetSelectColor() >> 24, 0xFFu);
}

}  // namespace
