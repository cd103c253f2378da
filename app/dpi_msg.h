// The short-lived popup with the mouse's new DPI value, in the bottom-right corner of the work
// area (centred on the main window on Wayland, where windows cannot place themselves), above
// other windows and never taking the focus. It frees itself when its window ends.
#pragma once

#include <functional>

#include "ui/window_impl_base.h"

class CDPIMsg final : public WindowImplBase {
public:
    // onEnded runs with the popup when its window has ended, whatever ended it.
    CDPIMsg(QString text, std::function<void(CDPIMsg*)> onEnded)
        : text_(std::move(text)), onEnded_(std::move(onEnded)) {}

    QString GetWindowClassName() const override { return QStringLiteral("DPIWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("DPImsg.xml"); }

    // Creates the popup on the heap, owned by `owner`; it deletes itself when it ends.
    static CDPIMsg* Open(WindowImplBase* owner, const QString& text,
                         std::function<void(CDPIMsg*)> onEnded);
    // Replaces the text at once.
    void SetDisplayText(const QString& text);
    QString DisplayText() const { return text_; }

    static constexpr int kWidth = 200;
    static constexpr int kHeight = 50;

protected:
    void InitWindow() override;
    void OnFinalMessage() override;

private:
    QString text_;
    std::function<void(CDPIMsg*)> onEnded_;
    Label label_;
    bool freeOnClose_ = false;
    bool onWayland_ = false;
};
