#include "ui/color_palette.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {
constexpr int kStripHeight = 14;
constexpr int kGap = 6;
}  // namespace

ColorPalette::ColorPalette(QWidget* parent) : QWidget(parent) {
    setMinimumSize(60, 40);
    setCursor(Qt::CrossCursor);
}

void ColorPalette::SetSelectColor(quint32 argb) {
    selected_ = argb;
    const QColor c = QColor::fromRgba(selected_).toHsv();
    // Greys have no hue of their own: keep the field where it was.
    if (c.hsvHue() >= 0) {
        hue_ = c.hsvHue();
    }
    saturation_ = c.hsvSaturation();
    value_ = c.value();
    update();
}

QRect ColorPalette::FieldRect() const {
    return QRect(0, 0, width(), std::max(1, height() - kStripHeight - kGap));
}

QRect ColorPalette::StripRect() const {
    return QRect(0, height() - kStripHeight, width(), kStripHeight);
}

void ColorPalette::RebuildField() {
    const QRect r = FieldRect();
    field_ = QImage(r.size(), QImage::Format_RGB32);
    for (int y = 0; y < r.height(); ++y) {
        const int s = 255 - y * 255 / std::max(1, r.height() - 1);
        for (int x = 0; x < r.width(); ++x) {
            const int h = x * 359 / std::max(1, r.width() - 1);
            field_.setPixel(x, y, QColor::fromHsv(h, s, 255).rgb());
        }
    }
}

void ColorPalette::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RebuildField();
}

void ColorPalette::paintEvent(QPaintEvent* /*event*/) {
    if (field_.size() != FieldRect().size()) {
        RebuildField();
    }
    QPainter p(this);
    const QRect field = FieldRect();
    p.drawImage(field.topLeft(), field_);
    const QRect strip = StripRect();
    QLinearGradient gradient(strip.topLeft(), strip.topRight());
    gradient.setColorAt(0, Qt::black);
    gradient.setColorAt(1, QColor::fromHsv(hue_, saturation_, 255));
    p.fillRect(strip, gradient);

    // Markers: a ring on the field, a bar on the strip.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(value_ > 128 ? Qt::black : Qt::white, 1.5));
    const QPointF ring(field.left() + hue_ * (field.width() - 1) / 359.0,
                       field.top() + (255 - saturation_) * (field.height() - 1) / 255.0);
    p.drawEllipse(ring, 5, 5);
    const int bar = strip.left() + value_ * (strip.width() - 1) / 255;
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(bar, strip.top() - 2, bar, strip.bottom() + 2);
}

void ColorPalette::PickAt(QPoint pos) {
    if (dragging_ == Part::kField) {
        const QRect field = FieldRect();
        const int x = std::clamp(pos.x() - field.left(), 0, field.width() - 1);
        const int y = std::clamp(pos.y() - field.top(), 0, field.height() - 1);
        hue_ = x * 359 / std::max(1, field.width() - 1);
        saturation_ = 255 - y * 255 / std::max(1, field.height() - 1);
    } else if (dragging_ == Part::kStrip) {
        const QRect strip = StripRect();
        const int x = std::clamp(pos.x() - strip.left(), 0, strip.width() - 1);
        value_ = x * 255 / std::max(1, strip.width() - 1);
    } else {
        return;
    }
    selected_ = QColor::fromHsv(hue_, saturation_, value_).rgba();
    update();
}

void ColorPalette::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pos = event->position().toPoint();
    dragging_ = StripRect().contains(pos)   ? Part::kStrip
                : FieldRect().contains(pos) ? Part::kField
                                            : Part::kNone;
    if (dragging_ != Part::kNone) {
        PickAt(pos);
        Q_EMIT ColorChanged(selected_);
    }
}

void ColorPalette::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ != Part::kNone) {
        PickAt(event->position().toPoint());
        Q_EMIT ColorChanged(selected_);
    }
}

void ColorPalette::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dragging_ == Part::kNone) {
        return;
    }
    PickAt(event->position().toPoint());
    dragging_ = Part::kNone;
    Q_EMIT ColorChangedButtonUp(selected_);
}
