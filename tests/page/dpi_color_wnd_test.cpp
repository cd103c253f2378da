// The colour dialog built from its real layout: what it shows for a colour, how presets, the
// palette and typed numbers change the choice, and what a confirm or cancel returns.
#include "page/dpi_color_wnd.h"

#include <QLineEdit>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "ui/language_manager.h"
#include "ui/test_hook.h"
#include "ui/ui_application.h"

namespace {

class DpiColorWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "talvore_color_dialog_test";
        static char* argv[] = {name, nullptr};
        static UiApplication* app = new UiApplication(argc, argv);
        (void)app;
        UiApplication::SetSkinFolder(QStringLiteral(TALVORE_SOURCE_DIR "/res"));
        ASSERT_TRUE(LanguageManager::Instance().Load(QStringLiteral("lan/EN.xml")));
        TestHook::Enable();
    }
    void TearDown() override { TestHook::Disable(); }

    // Opens the dialog for `argb`, runs `act` on it and returns the modal result.
    int Run(quint32 argb, const std::function<void(WindowImplBase&)>& act, QPoint at = {40, 60}) {
        dialog.SetSelectedColor(argb);
        dialog.SetPosition(at);
        TestHook::ScriptModal(QStringLiteral("DpiColorWnd"), -1, act);
        EXPECT_TRUE(dialog.Create(nullptr, kWindowToolWindow));
        return dialog.ShowModal();
    }
    static QStringList Boxes(const WindowImplBase& w) {
        return {w.Find<Edit>(QStringLiteral("r_edit")).Text(),
                w.Find<Edit>(QStringLiteral("g_edit")).Text(),
                w.Find<Edit>(QStringLiteral("b_edit")).Text()};
    }
    static void Type(const WindowImplBase& w, const char* box, const char* text) {
        auto* edit = qobject_cast<QLineEdit*>(w.Find<Edit>(QLatin1String(box)).Widget());
        edit->clear();
        QTest::keyClicks(edit, QLatin1String(text));
    }
    static quint32 Preview(const WindowImplBase& w) {
        return w.Find<Control>(QStringLiteral("color_show_control")).BkColor();
    }
    static quint32 PaletteColor(const WindowImplBase& w) {
        return w.Find<Palette>(QStringLiteral("ColorPallet")).GetSelectColor();
    }

    CDpiColorWnd dialog;
};

TEST_F(DpiColorWndTest, ShowsTheStoredColourBelowTheSwatchAndStaysOnScreen) {
    QRect placed;
    const int result = Run(0xFF0000FF, [&](WindowImplBase& w) {
        placed = w.ScreenRect();
        EXPECT_EQ(Boxes(w), (QStringList{"0", "0", "255"}));
        EXPECT_EQ(Preview(w), 0xFF0000FFu);
        EXPECT_EQ(PaletteColor(w), 0xFF0000FFu);
        EXPECT_EQ(w.Find<Button>(QStringLiteral("mouse_dpi_color_13")).BkColor(), 0xFF1EB40Au);
        w.Find<Button>(QStringLiteral("cancel_btn")).Click();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(placed, QRect(40, 60, 250, 200));

    // A swatch near a screen edge: the dialog moves in rather than hang off the screen.
    CDpiColorWnd edge;
    edge.SetPosition({-300, 100000});
    ASSERT_TRUE(edge.Create(nullptr, kWindowToolWindow));
    EXPECT_TRUE(WindowImplBase::WorkArea().contains(edge.ScreenRect()))
        << edge.ScreenRect().x() << "," << edge.ScreenRect().y();
}

// The presets and confirm are driven from the page's own test; here the palette.
TEST_F(DpiColorWndTest, DraggingInThePaletteSetsTheChoiceThatConfirmReturns) {
    quint32 dragged = 0;
    const int result = Run(0xFF0000FF, [&](WindowImplBase& w) {
        QWidget* palette = w.Find<Palette>(QStringLiteral("ColorPallet")).Widget();
        QTest::mousePress(palette, Qt::LeftButton, {}, QPoint(palette->width() / 3, 5));
        QTest::mouseRelease(palette, Qt::LeftButton, {}, QPoint(palette->width() / 3, 5));
        dragged = PaletteColor(w);
        EXPECT_EQ(Preview(w), dragged);
        EXPECT_EQ(Boxes(w), (QStringList{QString::number((dragged >> 16) & 0xFF),
                                         QString::number((dragged >> 8) & 0xFF),
                                         QString::number(dragged & 0xFF)}));
        w.Find<Button>(QStringLiteral("confirm_btn")).Click();
    });
    EXPECT_NE(dragged, 0xFF0000FFu);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(dialog.SelectedColor(), dragged);
}

// The boxes take digits only: a sign or letters typed are not taken; a number above 255 is held
// to 255 in place.
TEST_F(DpiColorWndTest, TypedNumbersAreClampedInPlaceAndTheBoxesTakeDigitsOnly) {
    const int result = Run(0xFF102030, [](WindowImplBase& w) {
        Type(w, "g_edit", "300");
        EXPECT_EQ(Boxes(w), (QStringList{"16", "255", "48"}));
        EXPECT_EQ(PaletteColor(w), 0xFF10FF30u);
        EXPECT_EQ(Preview(w), 0xFF10FF30u);

        Type(w, "r_edit", "-5");
        EXPECT_EQ(Boxes(w).first(), QStringLiteral("5"));
        EXPECT_EQ(PaletteColor(w), 0xFF05FF30u);
        Type(w, "b_edit", "abc");
        EXPECT_EQ(Boxes(w).last(), QString());

        Type(w, "b_edit", "99999");  // as many digits as the box takes
        EXPECT_EQ(Boxes(w).last(), QStringLiteral("255"));
        Type(w, "r_edit", "12ab");
        EXPECT_EQ(Boxes(w).first(), QStringLiteral("12"));
        EXPECT_EQ(Preview(w), 0xFF0CFFFFu);
        w.Find<Button>(QStringLiteral("cancel_btn")).Click();
    });
    EXPECT_EQ(result, 0);
}

}  // namespace
