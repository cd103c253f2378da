#include "dialogs/config_name_wnd.h"

#include "dialogs/msg_wnd.h"
#include "page/profile_store.h"

void CMS_1_ConfigName::InitWindow() {
    ok_ = Find<Button>(QStringLiteral("btn_ok"));
    cancel_ = Find<Button>(QStringLiteral("btn_cancel"));
    exit_ = Find<Button>(QStringLiteral("btn_exit"));
    name_ = Find<Edit>(QStringLiteral("edit_name"));
    name_.SetMaxChars(kProfileNameMaxLength);
    Find<Label>(QStringLiteral("title_string")).SetTextKey(titleKey_);
}

void CMS_1_ConfigName::Notify(const Notification& n) {
    if (n.Is("click")) {
        OnClick(n);
    }
}

void CMS_1_ConfigName::OnClick(const Notification& n) {
    if (n.sender == cancel_ || n.sender == exit_) {
        Close(0);
        return;
    }
    if (!(n.sender == ok_)) {
        return;
    }
    // Spaces around a name are no part of it, and spaces alone are no name.
    const QString name = name_.Text().trimmed();
    const QString title = QStringLiteral("warning_title_text");
    if (name.isEmpty()) {
        CMsgWnd::Show(this, title, QStringLiteral("warn_name_1_text"), CMsgWnd::Kind::kWarning);
    } else if (profiles_.ProfileNameExists(name)) {
        CMsgWnd::Show(this, title, QStringLiteral("warn_name_2_text"), CMsgWnd::Kind::kWarning);
    } else {
        resultName_ = name;
        Close(1);
    }
}
