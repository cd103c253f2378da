#include "page/dpi_color_wnd.h"

#include <algorithm>

namespace {

constexpr int kComponentMax = 255;

// A number box's text as the user means it: optional spaces and sign, then the leading digits
// ("12ab" is 12, "abc" is 0). Long digit runs saturate instead of overflowing.
int LeadingDecimal(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    constexpr int kCeiling = 1'000'000;  // far above any colour part, far below int's limit
    int value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = std::min(kCeiling, value * 10 + (text[i].unicode() - u'0'));
    }
    return negative ? -value : value;
}

}  // namespace

void CDpiColorWnd::InitWindow() {
    // Below the swatch that opened it, but never partly off the screen.
    QRect rect(position_, QSize(kWidth, kHeight));
    const QRect area = WorkArea();
    if (area.isValid()) {
        rect.moveLeft(std::clamp(rect.left(), area.left(), area.right() + 1 - kWidth));
        rect.moveTop(std::clamp(rect.top(), area.top(), area.bottom() + 1 - kHeight));
    }
    MoveWindow(rect);

    confirm_ = Find<Button>(QStringLiteral("confirm_btn"));
    cancel_ = Find<Button>(QStringLiteral("cancel_btn"));
    preview_ = Find<Control>(QStringLiteral("color_show_control"));
    palette_ = Find<Palette>(QStringLiteral("ColorPallet"));
    red_ = Find<Edit>(QStringLiteral("r_edit"));
    green_ = Find<Edit>(QStringLiteral("g_edit"));
    blue_ = Find<Edit>(QStringLiteral("b_edit"));
    for (Edit* box : {&red_, &green_, &blue_}) {
        box->SetDigitsOnly(3);  // 0 to 255: a sign or a letter has no place here
    }
    for (std::size_t i = 0; i < presets_.size(); ++i) {
        presets_[i] = Find<Button>(QStringLiteral("mouse_dpi_color_%d"), static_cast<int>(i) + 1);
        presets_[i].SetBkColor(kPresetColors[i]);
    }
    palette_.SetSelectColor(selected_);
    ShowPreview(selected_);
    ShowRgb(selected_);
}

void CDpiColorWnd::Notify(const Notification& n) {
    if (n.Is("click")) {
        if (n.sender == confirm_) {
            Close(1);
        } else if (n.sender == cancel_) {
            Close(0);
        } else {
            const auto preset = std::find(presets_.begin(), presets_.end(), n.sender);
            if (preset != presets_.end()) {
                OnPresetClicked(static_cast<int>(preset - presets_.begin()));
            }
        }
    } else if (n.Is("colorchanged") || n.Is("colorchangedbuttonup")) {
        if (n.sender == palette_) {
            OnPaletteChanged();
        }
    } else if (n.Is("textchanged")) {
        OnTyped(n.sender);
    }
}

void CDpiColorWnd::ShowRgb(quint32 argb) {
    red_.SetText(QString::number((argb >> 16) & 0xFF));
    green_.SetText(QString::number((argb >> 8) & 0xFF));
    blue_.SetText(QString::number(argb & 0xFF));
    ShowPreview(argb);
}

void CDpiColorWnd::ShowPreview(quint32 argb) {
    preview_.SetBkColor(0xFF000000u | argb);
}

void CDpiColorWnd::OnPresetClicked(int index) {
    selected_ = kPresetColors[static_cast<std::size_t>(index)];
    palette_.SetSelectColor(selected_);
    ShowPreview(selected_);
    ShowRgb(selected_);
}

void CDpiColorWnd::OnPaletteChanged() {
    // The palette's own selection stays as it is; everything else follows it.
    selected_ = palette_.GetSelectColor();
    ShowPreview(selected_);
    ShowRgb(selected_);
}

void CDpiColorWnd::OnTyped(const Control& sender) {
    selected_ |= 0xFF000000u;
    const std::array<Edit*, 3> boxes = {&red_, &green_, &blue_};  // R, G, B from the high byte
    const auto box =
        std::find_if(boxes.begin(), boxes.end(), [&](const Edit* e) { return *e == sender; });
    if (box == boxes.end()) {
        return;
    }
    const int typed = LeadingDecimal((*box)->Text());
    const int value = std::clamp(typed, 0, kComponentMax);
    // Only an out-of-range number is rewritten; any other text stays as the user typed it.
    if (value != typed) {
        (*box)->SetText(QString::number(value));
    }
    const int shift = 16 - 8 * static_cast<int>(box - boxes.begin());
    selected_ = (selected_ & ~(0xFFu << shift)) | static_cast<quint32>(value) << shift;
    palette_.SetSelectColor(selected_);
    ShowPreview(selected_);
}
