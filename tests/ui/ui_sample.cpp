// Renders a sample window of the UI library to a PNG, for the look of the theme:
//   ui_sample <skin folder> <out.png> [theme.qss]
// Run it under xvfb-run (or with QT_QPA_PLATFORM=offscreen).
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <cstdio>

#include "ui/language_manager.h"
#include "ui/ui_application.h"
#include "ui/window_impl_base.h"

namespace {
class SampleWindow final : public WindowImplBase {
public:
    QString GetWindowClassName() const override { return QStringLiteral("SampleWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("window.xml"); }

protected:
    void InitWindow() override {
        Find<Option>("option_step_%d", 2).Select(Notify::kNo);
        Find<CheckBox>("check_move").SetCheck(true, Notify::kNo);
        Find<Slider>("slider_dpi_1").SetValue(16);
        Find<Progress>("progress_power").SetValue(70);
        ListBox list = Find<ListBox>("list_profile");
        list.AddLabel(QStringLiteral("Default"), 29);
        list.AddLabel(QStringLiteral("Work"), 29);
        const Control row = list.AddRow(QStringLiteral("keylistitem.xml"), 30);
        row.FindChild<Label>(QStringLiteral("key")).SetText(QStringLiteral("A"));
        row.FindChild<Label>(QStringLiteral("action")).SetText(QStringLiteral("down"));
        row.FindChild<Label>(QStringLiteral("delay")).SetText(QStringLiteral("10"));
        list.Select(1, TakeFocus::kNo, Notify::kNo);
        Find<ComboBox>("combo_lan").Select(1, TakeFocus::kNo, Notify::kNo);
        Find<Edit>("edit_name").SetText(QStringLiteral("Profile 1"));
        Find<Button>("btn_cancel").SetBkColor(0xFF3A7BD5u);
        Find<Palette>("ColorPallet").SetSelectColor(0xFF3A7BD5u);
    }
};
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <skin folder> <out.png> [theme.qss]\n", argv[0]);
        return 1;
    }
    UiApplication app(argc, argv);
    UiApplication::SetSkinFolder(QString::fromLocal8Bit(argv[1]));
    if (argc > 3 && !UiApplication::LoadTheme(QString::fromLocal8Bit(argv[3]))) {
        return 2;
    }
    LanguageManager::Instance().Load(QStringLiteral("lan/EN.xml"));
    SampleWindow window;
    if (!window.Create(nullptr, kWindowCaption)) {
        return 2;
    }
    window.ShowWindow();
    QWidget* root = window.RootWidget();
    root->adjustSize();
    if (!root->grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 2;
    }
    return 0;
}
