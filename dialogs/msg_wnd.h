// The message box for every warning and confirmation: a title key and a message key, whose text
// may take arguments (%1, %2, ...) that name what the message is about.
#pragma once

#include <QStringList>

#include "ui/window_impl_base.h"

class CMsgWnd final : public WindowImplBase {
public:
    enum class Kind { kWarning, kConfirm };  // a warning has only its OK button

    CMsgWnd(QString titleKey, QString messageKey, Kind kind = Kind::kConfirm,
            QStringList arguments = {})
        : titleKey_(std::move(titleKey)),
          messageKey_(std::move(messageKey)),
          kind_(kind),
          arguments_(std::move(arguments)) {}

    QString GetWindowClassName() const override { return QStringLiteral("MsgWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("msg.xml"); }

    // Shows a box owned by `owner`, centred and modal: 1 for OK, 0 for cancel.
    static int Show(WindowImplBase* owner, const QString& titleKey, const QString& messageKey,
                    Kind kind = Kind::kConfirm, const QStringList& arguments = {});

protected:
    void InitWindow() override;
    void Notify(const Notification& n) override;

private:
    QString titleKey_;
    QString messageKey_;
    Kind kind_;
    QStringList arguments_;
    Button ok_;
    Button cancel_;
};
