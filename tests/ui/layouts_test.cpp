// The main window's layout holds every control the program looks up, of the kind it expects, and
// its texts fit in every language.
#include <gtest/gtest.h>
#include <QDirIterator>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QWidget>
#include <utility>

#include "page/function_codes.h"
#include "tests/ui/layout_test_window.h"
#include "ui/language_manager.h"
#include "ui/ui_internal.h"

namespace {

TEST(MainLayout, TitleBarControlsAndLanguages) {
    auto w = Open(QStringLiteral("main.xml"));
    EXPECT_EQ(w->RootWidget()->size(), QSize(800, 572));
    const ComboBox languages = w->Require<ComboBox>(QStringLiteral("combo_lan"));
    ASSERT_EQ(languages.Count(), 4);
    EXPECT_EQ(languages.ItemText(0), QStringLiteral("中文"));
    EXPECT_EQ(languages.ItemText(1), QStringLiteral("English"));
    EXPECT_EQ(languages.ItemText(2), QStringLiteral("Русский"));
    EXPECT_EQ(languages.ItemText(3), QStringLiteral("Español"));
    for (const char* name : {"skin_btn", "main_menu_btn", "min_btn", "exit_btn"}) {
        w->Require<Button>(QString::fromLatin1(name));
    }
    EXPECT_EQ(w->Require<Label>(QStringLiteral("title_label")).TextKey(),
              QStringLiteral("mouse_name_text"));
    // Both apply indicators stay out of sight until an apply runs.
    EXPECT_FALSE(w->Require<Progress>(QStringLiteral("apply_progress")).IsVisible());
    EXPECT_FALSE(w->Require<Control>(QStringLiteral("apply_ring")).IsVisible());
}

TEST(MainLayout, SettingsPageIsPageZeroAndReportsToThePage) {
    auto w = Open(QStringLiteral("main.xml"));
    const TabLayout tabs = w->Require<TabLayout>(QStringLiteral("device_tab_switch"));
    auto* stack = w->WidgetOf<QStackedWidget>(tabs);
    ASSERT_NE(stack, nullptr);
    ASSERT_GE(stack->count(), 1);
    QWidget* page = stack->widget(0);
    EXPECT_EQ(page->property("virtualWindow").toString(), QStringLiteral("MS_1_Page"));
    // Every control of the page must sit on that page, or its notifications miss the page.
    const QList<QWidget*> all = w->RootWidget()->findChildren<QWidget*>();
    int pageControls = 0;
    for (const QWidget* widget : all) {
        if (widget->objectName().startsWith(QLatin1String("ms_1_"))) {
            ++pageControls;
            EXPECT_TRUE(IsInside(widget, page)) << widget->objectName().toStdString();
        }
    }
    // The page looks up 140 controls by name.
    EXPECT_GE(pageControls, 140);
}

TEST(MainLayout, ButtonRowsAndProfiles) {
    auto w = Open(QStringLiteral("main.xml"));
    for (int k = 1; k <= 18; ++k) {
        const Control row = w->Require<Control>("ms_1_hor_key_%d", k);
        const Button button = w->Require<Button>("ms_1_btn_key_%d", k);
        const Control number = w->Require<Control>("ms_1_key_control_%d", k);
        EXPECT_NE(w->WidgetOf<QPushButton>(button), nullptr) << k;
        EXPECT_TRUE(IsInside(button.Widget(), row.Widget())) << k;
        EXPECT_TRUE(IsInside(number.Widget(), row.Widget())) << k;
    }
    EXPECT_TRUE(w->FindOptional<Control>(QStringLiteral("ms_1_btn_key_19")).IsNull());
    for (int k = 1; k <= 2; ++k) {
        ExpectOptionGroup(w->Require<Option>("ms_1_option_button_mode_%d", k), "button_mode");
    }
    w->Require<Button>(QStringLiteral("ms_1_btn_macro"));
    w->Require<ListBox>(QStringLiteral("ms_1_list_profile"));
    for (const char* name :
         {"ms_1_profile_add_btn", "ms_1_profile_delete_btn", "ms_1_profile_rename_btn",
          "ms_1_profile_import_btn", "ms_1_profile_export_btn", "ms_1_profile_reset_btn",
          "ms_1_btn_mouse_attribute", "ms_1_btn_apply"}) {
        w->Require<Button>(QString::fromLatin1(name));
    }
    for (const char* name : {"ms_1_wired", "ms_1_wireless", "ms_1_BLE"}) {
        w->Require<Label>(QString::fromLatin1(name));
    }
}

QStringList g_loaderMessages;
void CaptureLoaderMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg) {
        g_loaderMessages.append(text);
    }
}

// The UI loader skips a property it cannot read with no more than a warning, and each Qt release
// reads a little differently: every layout of the skin folder must load without a word from it.
TEST(Layouts, EveryLayoutLoadsWithoutAWarning) {
    EnsureApp();
    const QDir skin(QStringLiteral(TALVORE_SOURCE_DIR "/res"));
    QDirIterator files(skin.path(), {QStringLiteral("*.xml")}, QDir::Files,
                       QDirIterator::Subdirectories);
    int loaded = 0;
    while (files.hasNext()) {
        const QString file = skin.relativeFilePath(files.next());
        if (file.startsWith(QLatin1String("lan/"))) {
            continue;  // language files, not layouts
        }
        g_loaderMessages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(CaptureLoaderMessages);
        QString error;
        std::unique_ptr<QWidget> root(ui_internal::LoadLayout(file, nullptr, &error));
        qInstallMessageHandler(previous);
        EXPECT_NE(root, nullptr) << error.toStdString();
        EXPECT_TRUE(g_loaderMessages.isEmpty())
            << file.toStdString() << ":\n" << g_loaderMessages.join(QLatin1Char('\n')).toStdString();
        ++loaded;
    }
    EXPECT_GE(loaded, 12);
}

// The buttons that open a chooser (a button's function, a colour) show the pointing hand.
TEST(MainLayout, ChooserButtonsShowThePointingHand) {
    auto w = Open(QStringLiteral("main.xml"));
    QStringList names;
    for (int k = 1; k <= 18; ++k) {
        names << QStringLiteral("ms_1_btn_key_%1").arg(k);
    }
    for (int k = 1; k <= 8; ++k) {
        names << QStringLiteral("ms_1_btn_dpi_color_%1").arg(k);
    }
    names << QStringLiteral("ms_1_btn_light_color");
    for (const QString& name : names) {
        const QWidget* button = w->Require<Button>(name).Widget();
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->testAttribute(Qt::WA_SetCursor)) << name.toStdString();
        EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor) << name.toStdString();
    }
}

TEST(MainLayout, SectionSwitchesStartCheckedOutsideTheirSections) {
    auto w = Open(QStringLiteral("main.xml"));
    const std::pair<const char*, const char*> switches[] = {
        {"ms_1_check_button", "ms_1_hor_button"},
        {"ms_1_check_profile", "ms_1_ver_profile"},
        {"ms_1_check_power", "ms_1_ver_power"},
        {"ms_1_check_dpi", "ms_1_hor_dpi"},
        {"ms_1_check_light", "ms_1_ver_light"},
        {"ms_1_check_prate", "ms_1_ver_prate"},
        {"ms_1_check_mouse_attribute", "ms_1_ver_mouse_attribute"},
        {"ms_1_check_power_setting", "ms_1_ver_power_setting"}};
    for (const auto& [check, section] : switches) {
        const CheckBox box = w->Require<CheckBox>(QString::fromLatin1(check));
        const Control panel = w->Require<Control>(QString::fromLatin1(section));
        EXPECT_TRUE(box.GetCheck()) << check;
        EXPECT_TRUE(panel.IsVisible()) << section;
        // Hiding the section must leave its switch on screen to bring it back.
        EXPECT_FALSE(IsInside(box.Widget(), panel.Widget())) << check;
    }
    const Control noPower = w->Require<Control>(QStringLiteral("ms_1_ver_no_power"));
    const Control power = w->Require<Control>(QStringLiteral("ms_1_ver_power"));
    EXPECT_FALSE(noPower.IsVisible());
    EXPECT_FALSE(IsInside(noPower.Widget(), power.Widget()));
    // The battery switch governs both views, so neither may hold it.
    EXPECT_FALSE(IsInside(w->Require<Control>(QStringLiteral("ms_1_check_power")).Widget(),
                          noPower.Widget()));
    w->Require<Control>(QStringLiteral("ms_1_ver_setting"));
}

TEST(MainLayout, DpiStages) {
    auto w = Open(QStringLiteral("main.xml"));
    for (int k = 1; k <= 8; ++k) {
        ExpectSlider(*w, WindowImplBase::FormatName(QStringLiteral("ms_1_slider_dpi_%d"), k), 1,
                     160);
        w->Require<Label>("ms_1_label_dpi_%d", k);
        ExpectOptionGroup(w->Require<Option>("ms_1_option_dpi_step_%d", k), "dpi_step");
        ExpectSwatch(*w, WindowImplBase::FormatName(QStringLiteral("ms_1_btn_dpi_color_%d"), k));
        EXPECT_TRUE(IsInside(w->Require<Control>("ms_1_slider_dpi_%d", k).Widget(),
                             w->Require<Control>(QStringLiteral("ms_1_hor_dpi")).Widget()));
    }
    EXPECT_TRUE(w->FindOptional<Control>(QStringLiteral("ms_1_slider_dpi_9")).IsNull());
}

TEST(MainLayout, LightingRateAndTimers) {
    auto w = Open(QStringLiteral("main.xml"));
    const ComboBox effects = w->Require<ComboBox>(QStringLiteral("ms_1_combo_light"));
    ASSERT_EQ(effects.Count(), 12);
    EXPECT_EQ(effects.ItemText(0), QStringLiteral("Off"));
    EXPECT_EQ(effects.ItemText(1), QStringLiteral("Steady"));
    EXPECT_EQ(effects.ItemText(2), QStringLiteral("Breathing"));
    const Control light = w->Require<Control>(QStringLiteral("ms_1_ver_light"));
    const std::pair<const char*, const char*> rows[] = {
        {"ms_1_hor_brightness", "ms_1_slider_brightness"},
        {"ms_1_hor_breathspeed", "ms_1_slider_breathspeed"},
        {"ms_1_hor_light_color", "ms_1_btn_light_color"}};
    for (const auto& [row, control] : rows) {
        const Control r = w->Require<Control>(QString::fromLatin1(row));
        EXPECT_TRUE(
            IsInside(w->Require<Control>(QString::fromLatin1(control)).Widget(), r.Widget()))
            << control;
        EXPECT_TRUE(IsInside(r.Widget(), light.Widget())) << row;
    }
    ExpectSlider(*w, QStringLiteral("ms_1_slider_brightness"), 1, 10);
    ExpectSlider(*w, QStringLiteral("ms_1_slider_breathspeed"), 1, 8);
    ExpectSwatch(*w, QStringLiteral("ms_1_btn_light_color"));

    const char* const rates[] = {"125 Hz", "250 Hz", "500 Hz", "1000 Hz"};
    for (int k = 1; k <= 4; ++k) {
        const Option rate = w->Require<Option>("ms_1_btn_prate_%d", k);
        ExpectOptionGroup(rate, "prate");
        EXPECT_EQ(rate.Text(), QString::fromLatin1(rates[k - 1]));
        EXPECT_EQ(rate.Widget()->property("role").toString(), QStringLiteral("segment"));
    }
    w->Require<Label>(QStringLiteral("ms_1_label_prate"));

    ExpectSlider(*w, QStringLiteral("ms_1_slider_light_off"), 1, 60);
    ExpectSlider(*w, QStringLiteral("ms_1_slider_sleep_timer"), 1, 60);
    w->Require<Label>(QStringLiteral("ms_1_label_light_off"));
    w->Require<Label>(QStringLiteral("ms_1_label_sleep_timer"));
    w->Require<CheckBox>(QStringLiteral("ms_1_check_movemode"));
}

TEST(MainLayout, BatteryDisplay) {
    auto w = Open(QStringLiteral("main.xml"));
    const Progress power = w->Require<Progress>(QStringLiteral("ms_1_progress_power"));
    if (const auto* bar = w->WidgetOf<QProgressBar>(power)) {
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), 100);
    }
    w->Require<Label>(QStringLiteral("ms_1_label_power"));
    EXPECT_FALSE(w->Require<Label>(QStringLiteral("ms_1_low_power_label")).IsVisible());
    EXPECT_EQ(w->Require<Label>(QStringLiteral("ms_1_sleep_label")).TextKey(),
              QStringLiteral("sleep_text"));
}

// The effect names follow a language switch like every other text.
TEST(MainLayout, EffectNamesFollowTheLanguage) {
    auto w = Open(QStringLiteral("main.xml"), "lan/RU.xml");
    const ComboBox effects = w->Require<ComboBox>(QStringLiteral("ms_1_combo_light"));
    EXPECT_EQ(effects.ItemText(2), QStringLiteral("Дыхание"));
    ASSERT_TRUE(LanguageManager::Instance().Load(QStringLiteral("lan/ES.xml")));
    w->ReloadTexts();
    EXPECT_EQ(effects.ItemText(2), QStringLiteral("Respiración"));
    EXPECT_EQ(effects.Count(), 12);
}

TEST(MainLayout, TextsFitInEveryLanguage) {
    ExpectTextsFit("main.xml");
}

// The notice that settings did not reach the mouse starts hidden and, once shown, wraps into
// the room it gets without losing a line, in every language.
TEST(MainLayout, ApplyNoticeFitsWhenShown) {
    for (const char* language : {"lan/CN.xml", "lan/EN.xml", "lan/RU.xml", "lan/ES.xml"}) {
        auto w = Open(QStringLiteral("main.xml"), language);
        const Label notice = w->Require<Label>(QStringLiteral("ms_1_apply_notice"));
        auto* label = w->WidgetOf<QLabel>(notice);
        ASSERT_NE(label, nullptr);
        EXPECT_FALSE(notice.IsVisible());
        EXPECT_EQ(notice.TextKey(), QStringLiteral("apply_undelivered_text"));
        EXPECT_TRUE(label->wordWrap());

        QWidget* root = w->RootWidget();
        root->show();
        label->setVisible(true);
        root->layout()->activate();
        label->parentWidget()->layout()->activate();
        EXPECT_FALSE(label->text().isEmpty());
        EXPECT_GE(label->height(), label->heightForWidth(label->width())) << language;
    }
}

// The page writes some labels itself: the charge label holds "charging_text" while the cable is
// in, and the timer labels the longest values their sliders reach.
TEST(MainLayout, TextsThePageWritesFitInEveryLanguage) {
    for (const char* language : kLanguages) {
        auto w = Open(QStringLiteral("main.xml"), language);
        QWidget* root = w->RootWidget();
        root->show();
        root->layout()->activate();
        Label power = w->Require<Label>(QStringLiteral("ms_1_label_power"));
        power.Widget()->ensurePolished();
        power.SetTextKey(QStringLiteral("charging_text"));
        ExpectFits(power.Widget(), "main.xml", language);
        power.SetText(QStringLiteral("100%"));
        ExpectFits(power.Widget(), "main.xml", language);

        const auto& texts = LanguageManager::Instance();
        Label sleep = w->Require<Label>(QStringLiteral("ms_1_label_sleep_timer"));
        const Slider sleepSlider = w->Require<Slider>(QStringLiteral("ms_1_slider_sleep_timer"));
        sleep.SetText(texts.Text(QStringLiteral("sleep_timer_3_text")) +
                      QString::number(sleepSlider.Maximum()) + QLatin1Char(' ') +
                      texts.Text(QStringLiteral("sleep_timer_2_text")));
        ExpectFits(sleep.Widget(), "main.xml", language);
        Label lightOff = w->Require<Label>(QStringLiteral("ms_1_label_light_off"));
        const Slider offSlider = w->Require<Slider>(QStringLiteral("ms_1_slider_light_off"));
        lightOff.SetText(texts.Text(QStringLiteral("sleep_timer_1_text")) +
                         QString::number(offSlider.Maximum() * 0.5, 'f', 1) + QLatin1Char(' ') +
                         texts.Text(QStringLiteral("sleep_timer_2_text")));
        ExpectFits(lightOff.Widget(), "main.xml", language);
    }
}

// The rightmost column of `image` whose pixel differs from `other` (or, without `other`, from
// the control's fill at its centre), inside a 3-pixel frame; -1 when none does.
int RightmostDifferingColumn(const QImage& image, const QImage* other) {
    const QRgb fill = image.pixel(image.width() / 2, image.height() / 2);
    for (int x = image.width() - 4; x >= 3; --x) {
        for (int y = 3; y < image.height() - 3; ++y) {
            const QRgb base = other != nullptr ? other->pixel(x, y) : fill;
            if (image.pixel(x, y) != base) {
                return x;
            }
        }
    }
    return -1;
}

// The leftmost column, in the right half, where the label's arrow is drawn.
int ArrowLeft(const QImage& empty) {
    const QRgb fill = empty.pixel(empty.width() / 2, empty.height() / 2);
    for (int x = empty.width() / 2; x < empty.width() - 3; ++x) {
        for (int y = 3; y < empty.height() - 3; ++y) {
            if (empty.pixel(x, y) != fill) {
                return x;
            }
        }
    }
    return -1;
}

// The button labels are filled by the page: every function name must fit in every row, and
// the longest must end before the row's arrow.
TEST(MainLayout, EveryFunctionNameFitsInEveryButtonLabel) {
    for (const char* language : kLanguages) {
        auto w = Open(QStringLiteral("main.xml"), language);
        QWidget* root = w->RootWidget();
        root->show();
        root->layout()->activate();
        QString longest;
        for (int k = 1; k <= 18; ++k) {
            Button label = w->Require<Button>("ms_1_btn_key_%d", k);
            label.Widget()->ensurePolished();
            for (int code = 0; code <= 0xFF; ++code) {
                const QString key = FunctionTextKey(static_cast<uint8_t>(code));
                if (!key.isEmpty()) {
                    label.SetTextKey(key);
                    ExpectFits(label.Widget(), "main.xml", language);
                    const QFontMetrics metrics = label.Widget()->fontMetrics();
                    if (metrics.horizontalAdvance(label.Text()) >
                        metrics.horizontalAdvance(longest)) {
                        longest = label.Text();
                    }
                }
            }
        }
        Button label = w->Require<Button>("ms_1_btn_key_%d", 9);
        label.SetText(QString());
        const QImage empty = label.Widget()->grab().toImage();
        const int arrow = ArrowLeft(empty);
        ASSERT_GT(arrow, 0) << language << ": no arrow drawn";
        // A macro's name or a key combination can be longer than any row: it is cut short.
        const QString composed = QStringLiteral("Ctrl+Shift+Alt+Win+Scroll Lock Wwwwwwwwwwwww");
        for (const QString& text : {longest, composed}) {
            label.SetElidedText(text);
            ExpectFits(label.Widget(), "main.xml", language);
            const QImage full = label.Widget()->grab().toImage();
            EXPECT_LT(RightmostDifferingColumn(full, &empty), arrow - 1)
                << language << ": \"" << text.toStdString() << "\" runs under the arrow";
        }
    }
}

}  // namespace
