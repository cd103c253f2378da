// The About box of the program menu: the program's name, its version and what it is for.
#pragma once

#include "ui/window_impl_base.h"

class CAboutWnd final : public WindowImplBase {
public:
    QString GetWindowClassName() const override { return QStringLiteral("AboutWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("about.xml"); }

    // Shows the box owned by `owner`, centred and modal.
    static void Show(WindowImplBase* owner);
    // "0.1.0", from the build.
    static QString Version();

protected:
    void InitWindow() override;
    void Notify(const Notification& n) override;

private:
    Button ok_, exit_;
};
