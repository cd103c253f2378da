// The small dialog in which the user picks the colour of a DPI stage indicator or of the
// lighting: a palette, sixteen presets, red, green and blue number boxes and a preview.
//
//   CDpiColorWnd dialog;
//   dialog.SetSelectedColor(0xFF0000FF);
//   dialog.SetPosition(below the swatch);
//   if (dialog.Create(owner, kWindowToolWindow) && dialog.ShowModal() == 1) use
//   dialog.SelectedColor()
#pragma once

#include <array>

#include <QPoint>

#include "ui/window_impl_base.h"

class CDpiColorWnd final : public WindowImplBase {
public:
    static constexpr int kWidth = 250;
    static constexpr int kHeight = 200;
    static constexpr std::array<quint32, 16> kPresetColors = {
        0xFF00FFFF, 0xFF6CFF00, 0xFF7F00FF, 0xFF007FFF, 0xFF0000FF, 0xFF7FFF00,
        0xFFFF5400, 0xFFFF7F00, 0xFFFFB400, 0xFFFFFF00, 0xFFFF0000, 0xFFFF00FF,
        0xFF1EB40A, 0xFF48B1FF, 0xFFFF48B0, 0xFFFFFFFF};

    QString GetWindowClassName() const override { return QStringLiteral("DpiColorWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("DpiColorDialog.xml"); }

    // The colour as 0xAARRGGBB: set before Create, read after the dialog returned 1.
    void SetSelectedColor(quint32 argb) { selected_ = argb; }
    quint32 SelectedColor() const { return selected_; }
    // The screen position of the dialog's top-left corner; set before Create.
    void SetPosition(QPoint topLeft) { position_ = topLeft; }

protected:
    void InitWindow() override;
    void Notify(const Notification& n) override;

private:
    // The three boxes and the preview from a colour.
    void ShowRgb(quint32 argb);
    void ShowPreview(quint32 argb);
    void OnPresetClicked(int index);
    void OnPaletteChanged();
    void OnTyped(const Control& sender);

    quint32 selected_ = 0xFF000000;
    QPoint position_;
    Button confirm_, cancel_;
    Control preview_;
    Palette palette_;
    Edit red_, green_, blue_;
    std::array<Button, kPresetColors.size()> presets_;
};
