// The skin folder's layouts hold every control the program looks up, of the kind it expects,
// and the main window's texts fit in every language.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QWidget>
#include <memory>
#include <set>
#include <utility>

#include "page/function_codes.h"
#include "ui/language_manager.h"
#include "ui/ui_application.h"
#include "ui/window_impl_base.h"

namespace {

void EnsureApp() {
    static int argc = 1;
    static char name[] = "talvore_layouts_test";
    static char* argv[] = {name, nullptr};
    static UiApplication* app = [] {
        auto* created = new UiApplication(argc, argv);
        UiApplication::SetSkinFolder(QStringLiteral(TALVORE_SOURCE_DIR "/res"));
        return created;
    }();
    (void)app;
}

class LayoutWindow final : public WindowImplBase {
public:
    explicit LayoutWindow(QString file) : file_(std::move(file)) {}
    QString GetWindowClassName() const override { return QStringLiteral("LayoutTestWnd"); }
    QString GetSkinFile() const override { return file_; }

    // A control of kind T named `name`, or a test failure naming it.
    template <class T>
    T Require(const QString& name) const {
        T control = FindOptional<T>(name);
        EXPECT_FALSE(control.IsNull())
            << file_.toStdString() << ": no " << T::kKind << " named " << name.toStdString();
        return control;
    }
    template <class T>
    T Require(const char* pattern, int number) const {
        return Require<T>(FormatName(QString::fromLatin1(pattern), number));
    }
    template <class W>
    W* WidgetOf(const Control& control) const {
        return qobject_cast<W*>(control.Widget());
    }

private:
    QString file_;
};

std::unique_ptr<LayoutWindow> Open(const QString& file, const char* language = "lan/EN.xml") {
    EnsureApp();
    EXPECT_TRUE(LanguageManager::Instance().Load(QString::fromLatin1(language)));
    auto window = std::make_unique<LayoutWindow>(file);
    EXPECT_TRUE(window->Create(nullptr)) << file.toStdString();
    return window;
}

bool IsInside(const QWidget* widget, const QWidget* ancestor) {
    return widget != nullptr && ancestor != nullptr && ancestor->isAncestorOf(widget);
}

void ExpectSlider(const LayoutWindow& w, const QString& name, int minimum, int maximum) {
    const Slider slider = w.Require<Slider>(name);
    if (const auto* s = w.WidgetOf<QSlider>(slider)) {
        EXPECT_EQ(s->orientation(), Qt::Horizontal) << name.toStdString();
    }
    EXPECT_EQ(slider.Minimum(), minimum) << name.toStdString();
    EXPECT_EQ(slider.Maximum(), maximum) << name.toStdString();
}

void ExpectOptionGroup(const Option& option, const char* group) {
    EXPECT_EQ(option.Group(), QString::fromLatin1(group)) << option.Name().toStdString();
}

// A swatch's colour is painted by the program; a style sheet of its own would hide that.
void ExpectSwatch(const LayoutWindow& w, const QString& name) {
    const Button swatch = w.Require<Button>(name);
    if (const QWidget* widget = swatch.Widget()) {
        EXPECT_TRUE(widget->styleSheet().isEmpty()) << name.toStdString();
    }
}

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

constexpr const char* kLanguages[] = {"lan/CN.xml", "lan/EN.xml", "lan/RU.xml", "lan/ES.xml"};

// A single-line text on a control narrower than the text needs is cut off.
void ExpectFits(const QWidget* widget, const char* file, const char* language) {
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(widget); label != nullptr && !label->wordWrap()) {
        text = label->text();
    } else if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        text = button->text();
    }
    if (!text.isEmpty()) {
        EXPECT_GE(widget->width(), widget->sizeHint().width())
            << file << ", " << language << ": " << widget->objectName().toStdString() << " \""
            << text.toStdString() << "\"";
    }
}

// Every visible text of a layout fits in every language; long Russian texts catch this first.
void ExpectTextsFit(const char* file) {
    for (const char* language : kLanguages) {
        auto w = Open(QString::fromLatin1(file), language);
        QWidget* root = w->RootWidget();
        root->show();
        root->layout()->activate();
        for (QWidget* widget : root->findChildren<QWidget*>()) {
            if (widget->isVisibleTo(root)) {
                widget->ensurePolished();
                ExpectFits(widget, file, language);
            }
        }
    }
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

TEST(SmallLayouts, TrayMenu) {
    auto w = Open(QStringLiteral("traymenu.xml"));
    EXPECT_EQ(w->Require<Button>(QStringLiteral("configuration")).TextKey(),
              QStringLiteral("configuration_text"));
    EXPECT_EQ(w->Require<Button>(QStringLiteral("exit")).TextKey(), QStringLiteral("exit_text"));
}

TEST(SmallLayouts, MessageBox) {
    auto w = Open(QStringLiteral("msg.xml"));
    w->Require<Label>(QStringLiteral("warning_title"));
    const Label message = w->Require<Label>(QStringLiteral("warning"));
    if (const auto* label = w->WidgetOf<QLabel>(message)) {
        EXPECT_TRUE(label->wordWrap());
    }
    EXPECT_EQ(w->Require<Button>(QStringLiteral("btn_ok")).TextKey(), QStringLiteral("ok_text"));
    EXPECT_EQ(w->Require<Button>(QStringLiteral("btn_cancel")).TextKey(),
              QStringLiteral("cancel_text"));
}

// The longest message the box shows, the hint for a mouse this user may not open, wraps inside
// the box in every language.
TEST(SmallLayouts, MessageBoxHoldsTheDeviceAccessHint) {
    for (const char* language : {"lan/CN.xml", "lan/EN.xml", "lan/RU.xml", "lan/ES.xml"}) {
        auto w = Open(QStringLiteral("msg.xml"), language);
        Label message = w->Require<Label>(QStringLiteral("warning"));
        message.SetTextKey(QStringLiteral("device_access_text"));
        QWidget* root = w->RootWidget();
        root->show();
        root->layout()->activate();
        const auto* label = w->WidgetOf<QLabel>(message);
        ASSERT_NE(label, nullptr);
        EXPECT_NE(label->text(), QStringLiteral("device_access_text")) << language;
        EXPECT_LE(label->heightForWidth(label->contentsRect().width()),
                  label->contentsRect().height())
            << language << ": \"" << label->text().toStdString() << "\"";
    }
}

// The data folder's messages wrap inside the box in every language.
TEST(SmallLayouts, MessageBoxHoldsTheDataFolderMessages) {
    for (const char* language : {"lan/CN.xml", "lan/EN.xml", "lan/RU.xml", "lan/ES.xml"}) {
        for (const char* key : {"data_not_saved_text", "store_kept_aside_text",
                                "import_not_saved_text", "store_full_text"}) {
            auto w = Open(QStringLiteral("msg.xml"), language);
            Label message = w->Require<Label>(QStringLiteral("warning"));
            message.SetTextKey(QLatin1String(key));
            QWidget* root = w->RootWidget();
            root->show();
            root->layout()->activate();
            const auto* label = w->WidgetOf<QLabel>(message);
            ASSERT_NE(label, nullptr);
            EXPECT_NE(label->text(), QLatin1String(key)) << language << " lacks " << key;
            EXPECT_LE(label->heightForWidth(label->contentsRect().width()),
                      label->contentsRect().height())
                << language << ": " << key;
        }
    }
}

TEST(SmallLayouts, DpiPopup) {
    auto w = Open(QStringLiteral("DPImsg.xml"));
    EXPECT_EQ(w->RootWidget()->size(), QSize(200, 50));
    w->Require<Label>(QStringLiteral("dpi_label"));
}

TEST(SmallLayouts, ProfileNameDialog) {
    auto w = Open(QStringLiteral("MS/MS_1/profilename.xml"));
    w->Require<Label>(QStringLiteral("title_string"));
    const Edit name = w->Require<Edit>(QStringLiteral("edit_name"));
    if (const auto* edit = w->WidgetOf<QLineEdit>(name)) {
        EXPECT_EQ(edit->maxLength(), 49);
    }
    for (const char* button : {"btn_ok", "btn_cancel", "btn_exit"}) {
        w->Require<Button>(QString::fromLatin1(button));
    }
}

TEST(SmallLayouts, ColourDialog) {
    auto w = Open(QStringLiteral("DpiColorDialog.xml"));
    EXPECT_EQ(w->RootWidget()->size(), QSize(250, 200));
    const Palette palette = w->Require<Palette>(QStringLiteral("ColorPallet"));
    if (const QWidget* widget = palette.Widget()) {
        EXPECT_GE(widget->minimumWidth(), 100);
    }
    w->Require<Control>(QStringLiteral("color_show_control"));
    for (const char* box : {"r_edit", "g_edit", "b_edit"}) {
        const Edit edit = w->Require<Edit>(QString::fromLatin1(box));
        if (const auto* line = w->WidgetOf<QLineEdit>(edit)) {
            EXPECT_GE(line->maxLength(), 3) << box;  // room for "255" and "-5"
        }
    }
    for (int i = 1; i <= 16; ++i) {
        ExpectSwatch(*w, WindowImplBase::FormatName(QStringLiteral("mouse_dpi_color_%d"), i));
    }
    EXPECT_TRUE(w->FindOptional<Control>(QStringLiteral("mouse_dpi_color_17")).IsNull());
    EXPECT_EQ(w->Require<Button>(QStringLiteral("confirm_btn")).TextKey(),
              QStringLiteral("ok_text"));
    EXPECT_EQ(w->Require<Button>(QStringLiteral("cancel_btn")).TextKey(),
              QStringLiteral("cancel_text"));
}

TEST(SmallLayouts, DialogTextsFitInEveryLanguage) {
    ExpectTextsFit("DpiColorDialog.xml");
    ExpectTextsFit("MS/MS_1/profilename.xml");
    ExpectTextsFit("msg.xml");
}

TEST(SmallLayouts, ShortcutDialog) {
    auto w = Open(QStringLiteral("shortcut.xml"));
    const char* const modifiers[] = {"keyboard_ctrl_text", "keyboard_shift_text",
                                     "keyboard_alt_text", "keyboard_win_text"};
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(w->Require<CheckBox>("check_flag_%d", k).TextKey(),
                  QString::fromLatin1(modifiers[k - 1]));
    }
    w->Require<Edit>(QStringLiteral("edit_key"));
    for (const char* button : {"btn_ok", "btn_cancel", "btn_exit"}) {
        w->Require<Button>(QString::fromLatin1(button));
    }
    ExpectTextsFit("shortcut.xml");
}

TEST(SmallLayouts, MacroSelectionDialog) {
    auto w = Open(QStringLiteral("MS/MS_1/selectmacro.xml"));
    w->Require<ListBox>(QStringLiteral("list_macro"));
    for (int k = 1; k <= 3; ++k) {
        ExpectOptionGroup(w->Require<Option>("repeat_%d", k), "repeat");
    }
    const Control panel = w->Require<Control>(QStringLiteral("hor_loop_time"));
    EXPECT_TRUE(
        IsInside(w->Require<Edit>(QStringLiteral("edit_loop_time")).Widget(), panel.Widget()));
    for (const char* button : {"btn_ok", "btn_cancel", "btn_exit"}) {
        w->Require<Button>(QString::fromLatin1(button));
    }
    ExpectTextsFit("MS/MS_1/selectmacro.xml");
}

// Both function menus offer every function a menu can choose, each once, by its table name.
TEST(SmallLayouts, FunctionMenus) {
    for (const char* file : {"MS/MS_1/ms_1_menu.xml", "MS/MS_1/ms_1_menu_1.xml"}) {
        auto w = Open(QString::fromLatin1(file));
        std::set<uint8_t> codes;
        const auto items = w->RootWidget()->findChildren<QAbstractButton*>();
        for (const QAbstractButton* item : items) {
            const auto code = FunctionOfMenuItem(item->objectName());
            EXPECT_TRUE(code.has_value()) << file << ": " << item->objectName().toStdString();
            if (code) {
                codes.insert(*code);
                EXPECT_EQ(item->property("textKey").toString(),
                          *code == 0x10   ? QStringLiteral("shortcut_text")
                          : *code == 0x11 ? QStringLiteral("select_macro_text")
                                          : FunctionTextKey(*code))
                    << file << ": " << item->objectName().toStdString();
            }
        }
        EXPECT_EQ(items.size(), 55) << file;
        EXPECT_EQ(codes.size(), 55u) << file;
        ExpectTextsFit(file);
    }
}

TEST(MacroEditorLayout, EveryControlOfTheEditorAndTheActionRow) {
    auto w = Open(QStringLiteral("MS/MS_1/ms_1_macropage.xml"));
    for (const char* name :
         {"btn_exit", "ms_1_macro_add_btn", "ms_1_macro_delete_btn", "ms_1_macro_up_btn",
          "ms_1_macro_down_btn", "ms_1_macro_delete_action_btn", "ms_1_macro_clear_action_btn",
          "ms_1_macro_import_btn", "ms_1_macro_export_btn", "ms_1_macro_save_btn",
          "ms_1_macro_cancel_btn"}) {
        w->Require<Button>(QString::fromLatin1(name));
    }
    for (int k = 1; k <= 5; ++k) {
        w->Require<Button>("ms_1_macro_key%d_btn", k);
    }
    for (const char* name : {"ms_1_macro_list", "ms_1_macro_action_list"}) {
        w->Require<ListBox>(QString::fromLatin1(name));
    }
    for (const char* name :
         {"ms_1_macro_name_edit", "ms_1_default_delay_edit", "ms_1_macro_action_edit",
          "ms_1_macro_delay_edit", "ms_1_macro_mouseaction_delay_edit"}) {
        w->Require<Edit>(QString::fromLatin1(name));
    }
    for (const char* name :
         {"ms_1_macro_insert_mouse_btn", "ms_1_macro_record_btn", "ms_1_macro_action_edit_check"}) {
        w->Require<CheckBox>(QString::fromLatin1(name));
    }
    for (const char* name :
         {"ms_1_record_delay_btn", "ms_1_default_delay_btn", "ms_1_no_delay_btn"}) {
        ExpectOptionGroup(w->Require<Option>(QString::fromLatin1(name)), "delay_mode");
    }
    EXPECT_TRUE(w->Require<Option>(QStringLiteral("ms_1_default_delay_btn")).IsSelected());
    EXPECT_EQ(w->Require<Edit>(QStringLiteral("ms_1_default_delay_edit")).Text(),
              QStringLiteral("10"));
    // Typing into the key box would scramble the captured key's name; space would toggle a
    // focused record button in the middle of a recording.
    EXPECT_EQ(w->Require<Control>(QStringLiteral("ms_1_macro_record_btn")).Widget()->focusPolicy(),
              Qt::NoFocus);
    EXPECT_EQ(w->Require<TabLayout>(QStringLiteral("ms_1_macro_action_edit_tab")).PageCount(), 3);
    const ComboBox buttons = w->Require<ComboBox>(QStringLiteral("ms_1_macro_mouse_action_combo"));
    ASSERT_EQ(buttons.Count(), 5);
    EXPECT_EQ(buttons.ItemText(3), QStringLiteral("Forward button"));
    EXPECT_EQ(buttons.ItemText(4), QStringLiteral("Back button"));
    for (const char* name : {"ms_1_macro_name_tab", "ms_1_macro_mouse_event_tab",
                             "ms_1_macro_savedata_tab", "ms_1_macro_exportorimport_tab"}) {
        w->Require<Control>(QString::fromLatin1(name));
    }
    if (const auto* edit =
            w->WidgetOf<QLineEdit>(w->Require<Edit>(QStringLiteral("ms_1_macro_name_edit")))) {
        EXPECT_EQ(edit->maxLength(), 23);
    }

    auto row = Open(QStringLiteral("keylistitem.xml"));
    for (const char* part : {"key", "action", "delay"}) {
        row->Require<Label>(QString::fromLatin1(part));
    }
}

// Every panel the editor can show, in every language: the mouse-click panel instead of the
// name, and both pages of the edit pane.
TEST(MacroEditorLayout, TextsFitInEveryLanguage) {
    const char* file = "MS/MS_1/ms_1_macropage.xml";
    for (const char* language : kLanguages) {
        for (int page : {1, 2}) {
            auto w = Open(QString::fromLatin1(file), language);
            const bool mousePanel = page == 2;
            w->Require<Control>(QStringLiteral("ms_1_macro_mouse_event_tab"))
                .SetVisible(mousePanel);
            w->Require<Control>(QStringLiteral("ms_1_macro_name_tab")).SetVisible(!mousePanel);
            w->Require<TabLayout>(QStringLiteral("ms_1_macro_action_edit_tab")).SelectPage(page);
            w->Require<CheckBox>(QStringLiteral("ms_1_macro_record_btn"))
                .SetTextKey(QStringLiteral("stop_recording_text"));
            QWidget* root = w->RootWidget();
            root->show();
            root->layout()->activate();
            for (QWidget* widget : root->findChildren<QWidget*>()) {
                if (widget->isVisibleTo(root)) {
                    widget->ensurePolished();
                    ExpectFits(widget, file, language);
                }
            }
        }
    }
}

}  // namespace
