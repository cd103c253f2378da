#include "dialogs/msg_wnd.h"

#include "ui/language_manager.h"

int CMsgWnd::Show(WindowImplBase* owner, const QString& titleKey, const QString& messageKey,
                  Kind kind, const QStringList& arguments) {
    CMsgWnd box(titleKey, messageKey, kind, arguments);
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
    Label message = Find<Label>(QStringLiteral("warning"));
    message.SetTextKey(messageKey_);
    message.SetUserData(messageKey_);  // which message it is, also once filled in
    if (!arguments_.isEmpty()) {
        // The arguments are filled in once; the box lives for one answer.
        QString text = LanguageManager::Instance().Text(messageKey_);
        for (const QString& argument : arguments_) {
            text = text.arg(argument);
        }
        message.SetText(text);
    }
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
