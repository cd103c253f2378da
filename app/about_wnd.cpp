#include "app/about_wnd.h"

#include "ui/language_manager.h"

void CAboutWnd::Show(WindowImplBase* owner) {
    CAboutWnd box;
    if (!box.Create(owner, kWindowToolWindow)) {
        return;
    }
    box.CenterWindow();
    box.ShowModal();
}

QString CAboutWnd::Version() {
    return QStringLiteral(TALVORE_VERSION);
}

void CAboutWnd::InitWindow() {
    ok_ = Find<Button>(QStringLiteral("btn_ok"));
    exit_ = Find<Button>(QStringLiteral("btn_exit"));
    const QString format = LanguageManager::Instance().Text(QStringLiteral("about_version_text"));
    Find<Label>(QStringLiteral("about_version")).SetText(format.arg(Version()));
}

void CAboutWnd::Notify(const Notification& n) {
    if (n.Is("click") && (n.sender == ok_ || n.sender == exit_)) {
        Close(1);
    }
}
