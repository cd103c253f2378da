#include "app/dpi_popup_holder.h"

#include <utility>

#include "app/dpi_msg.h"

DpiPopupHolder::~DpiPopupHolder() {
    delete std::exchange(current_, nullptr);
    for (CDPIMsg* popup : std::exchange(closing_, {})) {
        delete popup;
    }
}

void DpiPopupHolder::Show(WindowImplBase* owner, const QString& text) {
    if (current_ != nullptr) {
        current_->SetDisplayText(text);
        return;
    }
    current_ = CDPIMsg::Open(owner, text, [this](CDPIMsg* popup) { Ended(popup); });
}

void DpiPopupHolder::Close() {
    CDPIMsg* popup = std::exchange(current_, nullptr);
    if (popup != nullptr) {
        closing_.push_back(popup);
        popup->Close(0);
    }
}

void DpiPopupHolder::Ended(CDPIMsg* popup) {
    if (current_ == popup) {
        current_ = nullptr;  // ended by something other than Close (its owner went away)
    }
    std::erase(closing_, popup);
}
