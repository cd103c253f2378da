#include "ui/menu_window.h"

#include <QAbstractButton>
#include <QLoggingCategory>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include "ui/ui_internal.h"
#include "ui/window_impl_base.h"
#include "ui/window_registry.h"

namespace {
Q_LOGGING_CATEGORY(lcMenu, "talvore.ui.menu")
}

struct MenuWindow::Impl {
    QPointer<QWidget> root;
    MessagePoster receiver;
    QString layoutFile;
};

MenuWindow::MenuWindow() : impl_(std::make_unique<Impl>()) {}

MenuWindow::~MenuWindow() {
    delete impl_->root.data();
}

bool MenuWindow::Create(WindowImplBase* receiver, const QString& layoutFile, QPoint point,
                        unsigned alignment) {
    delete impl_->root.data();
    QString error;
    QWidget* root = ui_internal::LoadLayout(layoutFile, nullptr, &error);
    if (root == nullptr) {
        qCCritical(lcMenu).noquote() << "menu:" << error;
        return false;
    }
    QWidget* ownerWidget = receiver != nullptr ? receiver->RootWidget() : nullptr;
    root->setParent(ownerWidget, Qt::Popup | Qt::FramelessWindowHint);
    root->setAttribute(Qt::WA_DeleteOnClose, false);
    impl_->root = root;
    impl_->receiver = receiver != nullptr ? receiver->Poster() : MessagePoster();
    impl_->layoutFile = layoutFile;
    ui_internal::ApplyTextKeys(root);
    ui_internal::RegisterTextRoot(root);
    for (QAbstractButton* item : root->findChildren<QAbstractButton*>()) {
        QObject::connect(item, &QAbstractButton::clicked, root, [this, item] { Choose(item); });
    }
    ResizeToContent();
    MoveTo(point, alignment);
    root->show();
    return true;
}

bool MenuWindow::IsOpen() const {
    return impl_->root != nullptr && impl_->root->isVisible();
}

QString MenuWindow::LayoutFile() const {
    return impl_->layoutFile;
}

void MenuWindow::Close() {
    if (impl_->root != nullptr) {
        impl_->root->hide();
    }
}

int MenuWindow::VisibleItemCount() const {
    if (impl_->root == nullptr) {
        return 0;
    }
    int count = 0;
    for (const QAbstractButton* item : impl_->root->findChildren<QAbstractButton*>()) {
        count += item->isHidden() ? 0 : 1;
    }
    return count;
}

void MenuWindow::ResizeToContent() {
    if (impl_->root != nullptr) {
        impl_->root->adjustSize();
    }
}

void MenuWindow::MoveTo(QPoint point, unsigned alignment) {
    QWidget* root = impl_->root;
    if (root == nullptr) {
        return;
    }
    const QSize size = root->size();
    const int x = (alignment & kMenuAlignRight) != 0 ? point.x() - size.width() : point.x();
    const int y = (alignment & kMenuAlignBottom) != 0 ? point.y() - size.height() : point.y();
    root->move(x, y);
}

QRect MenuWindow::ScreenRect() const {
    return impl_->root == nullptr ? QRect() : impl_->root->geometry();
}

QWidget* MenuWindow::FindWidget(const QString& name, bool (*accepts)(const QWidget*),
                                const char* kind) const {
    if (impl_->root == nullptr) {
        qCCritical(lcMenu).noquote() << "menu not open; looked for" << name;
        return nullptr;
    }
    QWidget* w = impl_->root->findChild<QWidget*>(name);
    if (w == nullptr || !accepts(w)) {
        qCCritical(lcMenu).noquote()
            << "layout error: menu" << impl_->layoutFile
            << (w == nullptr ? "has no" : "has another kind than") << kind << "named" << name;
        return nullptr;
    }
    return w;
}

bool MenuWindow::ChooseItem(const QString& name) {
    if (impl_->root == nullptr) {
        return false;
    }
    auto* item = impl_->root->findChild<QAbstractButton*>(name);
    if (item == nullptr || item->isHidden() || !item->isEnabled()) {
        return false;
    }
    item->click();
    return true;
}

void MenuWindow::Choose(QWidget* item) {
    auto command = std::make_shared<MenuCommand>();
    command->name = item->objectName();
    command->userData = item->property("userData").toString();
    command->text = ui_internal::WidgetText(item);
    Close();
    // The command lives with the queued message and goes with it, handled or dropped.
    impl_->receiver.Post(ui::kMsgMenuCommand, reinterpret_cast<quintptr>(command.get()), 0,
                         command);
}
