#include "app/dpi_msg.h"

CDPIMsg* CDPIMsg::Open(WindowImplBase* owner, const QString& text,
                       std::function<void(CDPIMsg*)> onEnded) {
    auto* popup = new CDPIMsg(text, std::move(onEnded));
    popup->freeOnClose_ = true;
    if (!popup->Create(owner, kWindowToolWindow | kWindowTopMost | kWindowNoActivate,
                       QRect(0, 0, 800, 800))) {
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
    const QRect area = WorkArea();
    MoveWindow(QRect(area.width() - 210, area.height() - 60, kWidth, kHeight));
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
