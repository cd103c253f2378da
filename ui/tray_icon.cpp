#include "ui/tray_icon.h"

#include <QIcon>
#include <QSystemTrayIcon>

#include "ui/skin_reading.h"
#include "ui/ui_application.h"
#include "ui/window_impl_base.h"

struct TrayIcon::Impl {
    std::unique_ptr<QSystemTrayIcon> icon;
    MessagePoster receiver;
    unsigned message = ui::kMsgTrayIcon;
};

TrayIcon::TrayIcon() : impl_(std::make_unique<Impl>()) {}

TrayIcon::~TrayIcon() = default;

void TrayIcon::Create(WindowImplBase* receiver, const QString& iconFile, const QString& toolTip,
                      unsigned message) {
    impl_->receiver = receiver != nullptr ? receiver->Poster() : MessagePoster();
    impl_->message = message;
    impl_->icon =
        std::make_unique<QSystemTrayIcon>(ui_internal::SkinIcon(UiApplication::SkinPath(iconFile)));
    impl_->icon->setToolTip(toolTip);
    QObject::connect(impl_->icon.get(), &QSystemTrayIcon::activated, impl_->icon.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger) {
                             DeliverMouseMessage(ui::kMouseLeftButtonUp);
                         } else if (reason == QSystemTrayIcon::Context) {
                             DeliverMouseMessage(ui::kMouseRightButtonUp);
                         }
                     });
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        impl_->icon->show();
    }
}

bool TrayIcon::IsCreated() const {
    return impl_->icon != nullptr;
}

void TrayIcon::SetToolTip(const QString& toolTip) {
    if (impl_->icon) {
        impl_->icon->setToolTip(toolTip);
    }
}

QString TrayIcon::ToolTip() const {
    return impl_->icon ? impl_->icon->toolTip() : QString();
}

void TrayIcon::Remove() {
    impl_->icon.reset();
}

void TrayIcon::DeliverMouseMessage(int mouseMessage) {
    if (impl_->icon) {
        impl_->receiver.Post(impl_->message, 0, mouseMessage);
    }
}
