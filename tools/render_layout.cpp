// Renders a window layout of a skin folder to a PNG, to judge its look in each language:
//   render_layout <skin folder> <layout> <language file> <out.png> [height]
// e.g. render_layout build/bin/res main.xml lan/RU.xml main-ru.png 1400
// A height taller than the layout's shows what the page's scroll area holds below the fold.
// The settings page is filled with the values of a fresh profile so it looks as it does in use.
// Run it under xvfb-run (or with QT_QPA_PLATFORM=offscreen).
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <utility>

#include "ui/language_manager.h"
#include "ui/ui_application.h"
#include "ui/window_impl_base.h"

namespace {

// Functions of the 18 buttons in a fresh profile, as the page would show them.
const char* const kButtonKeys[18] = {"left_click_text",   "right_click_text", "wheel_click_text",
                                     "backward_text",     "forward_text",     "dpi_cycle_text",
                                     "dpi_up_text",       "dpi_down_text",    "scroll_up_text",
                                     "scroll_down_text",  "titl_left_text",   "titl_right_text",
                                     "double_click_text", "fire_button_text", "play_pause_text",
                                     "volume_up_text",    "volume_down_text", "led_loop_text"};
const int kDpi[8] = {8, 12, 16, 24, 32, 60, 80, 100};
const quint32 kStageColours[8] = {0xFFE5484D, 0xFF2EC4DC, 0xFF3DDC84, 0xFFF5A623,
                                  0xFF9B6DFF, 0xFFFF6FB5, 0xFFF3F6FA, 0xFF3A7BD5};

class LayoutWindow final : public WindowImplBase {
public:
    explicit LayoutWindow(QString file) : file_(std::move(file)) {}
    QString GetWindowClassName() const override { return QStringLiteral("RenderWnd"); }
    QString GetSkinFile() const override { return file_; }

protected:
    void InitWindow() override {
        FillSettingsPage();
        if (Label dpi = FindOptional<Label>("dpi_label"); !dpi.IsNull()) {
            dpi.SetText(QStringLiteral("DPI :1600"));
        }
        if (Label title = FindOptional<Label>("warning_title"); !title.IsNull()) {
            title.SetTextKey(QStringLiteral("warning_title_text"));
            FindOptional<Label>("warning").SetTextKey(QStringLiteral("restore_text"));
        }
        if (Label title = FindOptional<Label>("title_string"); !title.IsNull()) {
            title.SetTextKey(QStringLiteral("profile_name_2_text"));
            FindOptional<Edit>("edit_name").SetText(QStringLiteral("Shooter"));
        }
    }

private:
    void FillSettingsPage() {
        if (ComboBox languages = FindOptional<ComboBox>("combo_lan"); !languages.IsNull()) {
            languages.Select(LanguageManager::Instance().LanguageId() - 1, TakeFocus::kNo,
                             Notify::kNo);
        }
        ListBox profiles = FindOptional<ListBox>("ms_1_list_profile");
        if (profiles.IsNull()) {
            return;
        }
        for (const char* name : {"Default", "Shooter", "Office"}) {
            profiles.AddLabel(QString::fromLatin1(name), 29);
        }
        profiles.Select(1, TakeFocus::kNo, Notify::kNo);
        const LanguageManager& texts = LanguageManager::Instance();
        for (int k = 1; k <= 18; ++k) {
            Find<Button>("ms_1_btn_key_%d", k)
                .SetText(texts.Text(QString::fromLatin1(kButtonKeys[k - 1])));
        }
        for (int k = 1; k <= 8; ++k) {
            Find<Slider>("ms_1_slider_dpi_%d", k).SetValue(kDpi[k - 1]);
            Find<Label>("ms_1_label_dpi_%d", k).SetText(QString::number(kDpi[k - 1] * 100));
            Find<Button>("ms_1_btn_dpi_color_%d", k).SetBkColor(kStageColours[k - 1]);
        }
        Find<Option>("ms_1_option_dpi_step_%d", 3).Select(Notify::kNo);
        Find<Option>("ms_1_btn_prate_%d", 4).Select(Notify::kNo);
        Find<ComboBox>("ms_1_combo_light").Select(2, TakeFocus::kNo, Notify::kNo);
        Find<Slider>("ms_1_slider_brightness").SetValue(8);
        Find<Slider>("ms_1_slider_breathspeed").SetValue(6);
        Find<Button>("ms_1_btn_light_color").SetBkColor(0xFFE5484D);
        Find<Slider>("ms_1_slider_light_off").SetValue(1);
        Find<Label>("ms_1_label_light_off")
            .SetText(texts.Text(QStringLiteral("sleep_timer_1_text")) + QStringLiteral("0.5 ") +
                     texts.Text(QStringLiteral("sleep_timer_2_text")));
        Find<Slider>("ms_1_slider_sleep_timer").SetValue(10);
        Find<Label>("ms_1_label_sleep_timer")
            .SetText(texts.Text(QStringLiteral("sleep_timer_3_text")) + QStringLiteral("10 ") +
                     texts.Text(QStringLiteral("sleep_timer_2_text")));
        Find<Progress>("ms_1_progress_power").SetValue(80);
        Find<Label>("ms_1_label_power").SetText(QStringLiteral("80%"));
        Find<Control>("ms_1_BLE").SetVisible(false);
        Find<TabLayout>("device_tab_switch").SelectPage(0);
    }

    QString file_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: %s <skin folder> <layout> <language file> <out.png> [height]\n",
                     argv[0]);
        return 1;
    }
    UiApplication app(argc, argv);
    UiApplication::SetSkinFolder(QString::fromLocal8Bit(argv[1]));
    if (!LanguageManager::Instance().Load(QString::fromLocal8Bit(argv[3]))) {
        return 2;
    }
    LayoutWindow window(QString::fromLocal8Bit(argv[2]));
    if (!window.Create(nullptr)) {
        return 2;
    }
    window.ShowWindow();
    QWidget* root = window.RootWidget();
    if (argc > 5) {
        root->resize(root->width(), QString::fromLocal8Bit(argv[5]).toInt());
    }
    if (!root->grab().save(QString::fromLocal8Bit(argv[4]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[4]);
        return 2;
    }
    return 0;
}
