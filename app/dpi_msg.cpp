#include "app/dpi_msg.h"

#include "sys/session_type.h"

CDPIMsg* CDPIMsg::Open(WindowImplBase* owner, const QString& text,
                       std::function<void(CDPIMsg*)> onEnded) {
    auto* popup = new CDPIMsg(text, std::move(onEnded));
    popup->freeOnClose_ = true;
    // On X11 a notification bubble at the corner of the screen. A Wayland window cannot place
    // itself: there the popup is a popup of the main window, centred on it, and neither takes
    // the focus.
    popup->onWayland_ =
        CurrentSessionKind() == SessionKind::Wayland && owner != nullptr && owner->IsVisible();
    const unsigned style = popup->onWayland_ ? kWindowTip | kWindowNoActivate
                                             : kWindowToolWindow | kWindowTopMost |
                                                   kWindowNoActivate | kWindowNotification;
    if (!popup->Create(owner, style, QRect(0, 0, 800, 800))) {
        delete popup;
        return nullptr;
    }
    popup->ShowWindow(true, false);
    return popup;
}

void CDPIMsg::InitWindow() {
    label_ = FindOptional<Label>(QStringLiteral("dpi_label"));
    if (!label_) {
        return;  // a layout without the label: no text, no placement
    }
    label_.SetText(text_);
    if (onWayland_) {
        MoveWindow(QRect(0, 0, kWidth, kHeight));
        CenterWindow();
        return;
    }
    const QRect area = WorkArea();
    MoveWindow(QRect(area.right() + 1 - 210, area.bottom() + 1 - 60, kWidth, kHeight));
}

void CDPIMsg::SetDisplayText(const QString& text) {
    text_ = text;
    label_.SetText(text_);
}

void CDPIMsg::OnFinalMessage() {
    if (onEnded_) {
        onEnded_(this);
    }
    if (freeOnClose_) {
        delete this;
    }
}
