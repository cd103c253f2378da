// A colour palette control: a hue (across) by saturation (down) field over a brightness strip.
// The selection is an opaque colour 0xAARRGGBB; a colour set from code is kept exactly as given.
// Dragging reports ColorChanged on every move and ColorChangedButtonUp on release. Layouts
// create it by class name: <widget class="ColorPalette" name="ColorPallet"/>.
#pragma once

#include <QWidget>

class ColorPalette final : public QWidget {
    Q_OBJECT
public:
    explicit ColorPalette(QWidget* parent = nullptr);

    void SetSelectColor(quint32 argb);
    quint32 GetSelectColor() const { return selected_; }

    QSize sizeHint() const override { return {200, 150}; }

Q_SIGNALS:
    void ColorChanged(quint32 argb);
    void ColorChangedButtonUp(quint32 argb);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Part { kNone, kField, kStrip };
    QRect FieldRect() const;
    QRect StripRect() const;
    void PickAt(QPoint pos);
    void RebuildField();

    quint32 selected_ = 0xFFFF0000u;
    int hue_ = 0;           // 0..359
    int saturation_ = 255;  // 0..255
    int value_ = 255;       // 0..255
    Part dragging_ = Part::kNone;
    QImage field_;
};
