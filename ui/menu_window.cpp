#include "ui/menu_window.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPointer>
#include <QStyle>
#include <QVariant>
#include <QWidget>
#include <cstdlib>

#include "ui/ui_internal.h"
#include "ui/window_impl_base.h"
#include "ui/window_registry.h"

namespace {
Q_LOGGING_CATEGORY(lcMenu, "talvore.ui.menu")
}

namespace {

// The visible items of a menu, in layout order.
QList<QAbstractButton*> VisibleItems(QWidget* root) {
    QList<QAbstractButton*> items;
    for (QAbstractButton* item : root->findChildren<QAbstractButton*>()) {
        if (item->isVisibleTo(root) && item->isEnabled()) {
            items.append(item);
        }
    }
    return items;
}

// The keyboard in a menu: the arrows move among the items (up and down within a column, left and
// right to the nearest item of the next column), Return or Enter choose, Escape closes.
class MenuKeys final : public QObject {
public:
    explicit MenuKeys(QWidget* root) : QObject(root), root_(root) {}

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* focused = qobject_cast<QAbstractButton*>(root_->focusWidget());
        switch (key) {
            case Qt::Key_Escape:
                root_->hide();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Space:
                if (focused != nullptr) {
                    focused->click();
                }
                return true;
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_Left:
            case Qt::Key_Right:
                if (QAbstractButton* next = Neighbour(focused, key)) {
                    next->setFocus(Qt::TabFocusReason);
                }
                return true;
            default:
                return false;
        }
    }

private:
    QRect Place(const QWidget* item) const {
        return QRect(item->mapTo(root_, QPoint(0, 0)), item->size());
    }

    QAbstractButton* Neighbour(QAbstractButton* from, int key) const {
        const QList<QAbstractButton*> items = VisibleItems(root_);
        if (items.isEmpty()) {
            return nullptr;
        }
        const int at = items.indexOf(from);
        if (at < 0) {
            return items.constFirst();
        }
        const QRect here = Place(from);
        QAbstractButton* best = nullptr;
        int bestDistance = 0;
        for (QAbstractButton* item : items) {
            if (item == from) {
                continue;
            }
            const QRect there = Place(item);
            const bool sameColumn = there.left() < here.right() && there.right() > here.left();
            int distance = -1;
            if ((key == Qt::Key_Up || key == Qt::Key_Down) && sameColumn) {
                const int dy = there.center().y() - here.center().y();
                distance = key == Qt::Key_Down ? dy : -dy;
            } else if (key == Qt::Key_Left || key == Qt::Key_Right) {
                const int dx = there.center().x() - here.center().x();
                const int along = key == Qt::Key_Right ? dx : -dx;
                distance = along > 0 && !sameColumn
                               ? along + 4 * std::abs(there.center().y() - here.center().y())
                               : -1;
            }
            if (distance > 0 && (best == nullptr || distance < bestDistance)) {
                best = item;
                bestDistance = distance;
            }
        }
        if (best == nullptr && (key == Qt::Key_Up || key == Qt::Key_Down)) {
            // Past the end of a column: on to the next item in the menu's order, round.
            const int step = key == Qt::Key_Down ? 1 : -1;
            best = items[(at + step + items.size()) % items.size()];
        }
        return best;
    }

    QWidget* root_;
};

}  // namespace

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
    auto* keys = new MenuKeys(root);
    root->installEventFilter(keys);
    for (QAbstractButton* item : root->findChildren<QAbstractButton*>()) {
        QObject::connect(item, &QAbstractButton::clicked, root, [this, item] { Choose(item); });
        item->setFocusPolicy(Qt::StrongFocus);
        item->installEventFilter(keys);
    }
    ResizeToContent();
    MoveTo(point, alignment);
    root->show();
    return true;
}

void MenuWindow::MarkItem(const QString& name) {
    QWidget* root = impl_->root;
    if (root == nullptr) {
        return;
    }
    QAbstractButton* marked = name.isEmpty() ? nullptr : root->findChild<QAbstractButton*>(name);
    for (QAbstractButton* item : root->findChildren<QAbstractButton*>()) {
        const bool current = item == marked;
        if (item->property("current").toBool() != current) {
            item->setProperty("current", current ? QVariant(true) : QVariant());
            item->style()->unpolish(item);
            item->style()->polish(item);
        }
    }
    // The arrow keys start from the current function, or from the first item.
    const QList<QAbstractButton*> items = VisibleItems(root);
    if (marked != nullptr && items.contains(marked)) {
        marked->setFocus(Qt::PopupFocusReason);
    } else if (!items.isEmpty()) {
        items.constFirst()->setFocus(Qt::PopupFocusReason);
    }
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
