// The dialog in which the user types a profile name, without the spaces around it; it refuses an
// empty name (or spaces only) and one the profile list already holds (in any letter case).
#pragma once

#include "ui/window_impl_base.h"

class ProfileStore;

class CMS_1_ConfigName final : public WindowImplBase {
public:
    CMS_1_ConfigName(QString titleKey, const ProfileStore& profiles)
        : titleKey_(std::move(titleKey)), profiles_(profiles) {}

    QString GetWindowClassName() const override { return QStringLiteral("MS_1_ConfigName"); }
    QString GetSkinFile() const override { return QStringLiteral("MS/MS_1/profilename.xml"); }

    // The name typed, once the dialog closed with 1.
    QString ResultName() const { return resultName_; }

protected:
    void InitWindow() override;
    void Notify(const Notification& n) override;
    void OnClick(const Notification& n) override;

private:
    QString titleKey_;
    const ProfileStore& profiles_;
    QString resultName_;
    Button ok_, cancel_, exit_;
    Edit name_;
};
