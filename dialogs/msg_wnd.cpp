#include "dialogs/msg_wnd.h"

int CMsgWnd::Show(WindowImplBase* owner, const QString& titleKey, const QString& messageKey,
                  Kind kind) {
    CMsgWnd box(titleKey, messageKey, kind);
    if (!box.Create(owner, kWindowToolWindow)) {
        return 0;
    }
    box.CenterWindow();
    return box.ShowModal() == 1 ? 1 : 0;
}

void CMsgWnd::InitWindow() {
    ok_ = Find<Button>(QStringLiteral("btn_ok"));
    cancel_ = Find<Button>(QStringLiteral("btn_cancel"));
    Find<Label>(QStringLiteral("warning_title")).SetTextKey(titleKey_);
    Find<Label>(QStringLiteral("warning")).SetTextKey(messageKey_);
    cancel_.SetVisible(kind_ == Kind::kConfirm);
}

void CMsgWnd::Notify(const Notification& n) {
    if (!n.Is("click")) {
        return;
    }
    if (n.sender == ok_) {
        Close(1);
    } else if (n.sender == cancel_) {
        Close(0);
    }
}
