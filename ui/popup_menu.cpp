#include "ui/popup_menu.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QLoggingCategory>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include "ui/menu_window.h"
#include "ui/skin_reading.h"
#include "ui/ui_application.h"
#include "ui/ui_internal.h"
#include "ui/window_impl_base.h"

namespace {
Q_LOGGING_CATEGORY(lcPopupMenu, "talvore.ui.menu")

QRect ScreenAreaAt(QPoint point) {
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen == nullptr ? QRect() : screen->availableGeometry();
}

// Layout order: top to bottom, then left to right, as the user reads the layout.
bool ComesBefore(const QWidget* a, const QWidget* b, const QWidget* root) {
    const QPoint pa = a->mapTo(root, QPoint());
    const QPoint pb = b->mapTo(root, QPoint());
    return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
}
}  // namespace

// The menu is a child of its window, so that Wayland opens it as that window's popup; it goes
// with the window when that is destroyed first.
struct MenuOwner {
    QPointer<QMenu> menu;
    ~MenuOwner() { delete menu.data(); }
    QMenu* get() const { return menu.data(); }
    QMenu* operator->() const { return menu.data(); }
    explicit operator bool() const { return !menu.isNull(); }
};

struct PopupMenu::Impl {
    MenuOwner menu;
    MessagePoster receiver;
    QHash<QAction*, QString> keys;
    // The item's image of the skin folder, and whether the images shown are the light look's.
    QHash<QAction*, QString> images;
    bool lightImages = false;

    // After a switch of the look the items take that look's images.
    void FollowTheLook() {
        if (lightImages == UiApplication::HasSkinVariant()) {
            return;
        }
        lightImages = UiApplication::HasSkinVariant();
        for (auto it = images.cbegin(); it != images.cend(); ++it) {
            it.key()->setIcon(ui_internal::SkinIcon(UiApplication::SkinPath(it.value())));
        }
    }
};

PopupMenu::PopupMenu() : impl_(std::make_unique<Impl>()) {}

PopupMenu::~PopupMenu() = default;

bool PopupMenu::Load(WindowImplBase* receiver, const QString& layoutFile) {
    QString error;
    std::unique_ptr<QWidget> layout(ui_internal::LoadLayout(layoutFile, nullptr, &error));
    if (!layout) {
        qCCritical(lcPopupMenu).noquote() << "menu:" << error;
        return false;
    }
    layout->adjustSize();  // the items' places give their order
    QList<QWidget*> entries;
    for (QWidget* w : layout->findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(w) != nullptr ||
            w->property("role").toString() == QLatin1String("separator")) {
            entries.append(w);
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [&](QWidget* a, QWidget* b) { return ComesBefore(a, b, layout.get()); });

    QWidget* parent = receiver != nullptr ? receiver->RootWidget() : nullptr;
    delete impl_->menu.get();
    impl_->menu.menu = new QMenu(parent);
    impl_->menu->setObjectName(layout->objectName());
    impl_->receiver = receiver != nullptr ? receiver->Poster() : MessagePoster();
    impl_->keys.clear();
    impl_->images.clear();
    impl_->lightImages = UiApplication::HasSkinVariant();
    QHash<QString, QActionGroup*> groups;
    for (QWidget* entry : entries) {
        auto* button = qobject_cast<QAbstractButton*>(entry);
        if (button == nullptr) {
            impl_->menu->addSeparator();
            continue;
        }
        QAction* action = impl_->menu->addAction(button->icon(), button->text());
        action->setObjectName(button->objectName());
        action->setData(button->property("userData"));
        action->setCheckable(button->isCheckable());
        action->setEnabled(button->isEnabled());
        impl_->keys.insert(action, button->property("textKey").toString());
        if (const QString image = ui_internal::SkinImageOf(button); !image.isEmpty()) {
            impl_->images.insert(action, image);
        }
        const QString group = button->property("group").toString();
        if (!group.isEmpty()) {
            QActionGroup*& actions = groups[group];
            if (actions == nullptr) {
                actions = new QActionGroup(impl_->menu.get());
                actions->setExclusive(true);
            }
            actions->addAction(action);
        }
        QObject::connect(action, &QAction::triggered, impl_->menu.get(), [this, action] {
            auto command = std::make_shared<MenuCommand>();
            command->name = action->objectName();
            command->userData = action->data().toString();
            command->text = action->text();
            // The command lives with the queued message and goes with it, handled or dropped.
            impl_->receiver.Post(ui::kMsgMenuCommand, reinterpret_cast<quintptr>(command.get()), 0,
                                 command);
        });
    }
    QObject::connect(impl_->menu.get(), &QMenu::aboutToShow, impl_->menu.get(), [this] {
        ReloadTexts();
        impl_->FollowTheLook();
    });
    ReloadTexts();
    return true;
}

bool PopupMenu::IsLoaded() const {
    return static_cast<bool>(impl_->menu);
}

void PopupMenu::PopupAt(QPoint point) {
    if (impl_->menu) {
        impl_->menu->popup(point);
    }
}

void PopupMenu::PopupBelow(const Control& anchor) {
    QWidget* widget = anchor.Widget();
    if (!impl_->menu || widget == nullptr) {
        return;
    }
    ReloadTexts();
    const QSize size = impl_->menu->sizeHint();
    const QPoint below = widget->mapToGlobal(QPoint(widget->width(), widget->height()));
    const QRect area = ScreenAreaAt(below);
    QPoint at(below.x() - size.width(), below.y() + 2);
    if (area.isValid() && at.y() + size.height() > area.bottom() + 1) {
        at.setY(widget->mapToGlobal(QPoint()).y() - size.height() - 2);  // no room: above
    }
    impl_->menu->popup(at);
}

QPoint PopupMenu::PlaceBeside(const QRect& iconRect, QSize menuSize, const QRect& screen) {
    QPoint at;
    if (iconRect.center().y() > screen.center().y()) {
        at = QPoint(iconRect.left(), iconRect.top() - menuSize.height());  // panel at the bottom
    } else {
        at = QPoint(iconRect.left(), iconRect.bottom() + 1);
    }
    at.setX(std::clamp(at.x(), screen.left(),
                       std::max(screen.left(), screen.right() + 1 - menuSize.width())));
    at.setY(std::clamp(at.y(), screen.top(),
                       std::max(screen.top(), screen.bottom() + 1 - menuSize.height())));
    return at;
}

void PopupMenu::PopupBeside(const QRect& iconRect) {
    if (!impl_->menu) {
        return;
    }
    ReloadTexts();
    const QScreen* screen = QGuiApplication::screenAt(iconRect.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    // The whole screen, not its free area: the tray's panel is what the icon sits on.
    const QRect area = screen != nullptr ? screen->geometry() : QRect();
    impl_->menu->popup(PlaceBeside(iconRect, impl_->menu->sizeHint(), area));
}

bool PopupMenu::IsOpen() const {
    return impl_->menu && impl_->menu->isVisible();
}

void PopupMenu::Close() {
    if (impl_->menu) {
        impl_->menu->hide();
    }
}

QRect PopupMenu::ScreenRect() const {
    return impl_->menu ? impl_->menu->geometry() : QRect();
}

static QAction* FindAction(QMenu* menu, const QString& name) {
    return menu == nullptr ? nullptr : menu->findChild<QAction*>(name);
}

void PopupMenu::SetChecked(const QString& item, bool checked) {
    if (QAction* action = FindAction(impl_->menu.get(), item)) {
        action->setChecked(checked);
    }
}

bool PopupMenu::IsChecked(const QString& item) const {
    const QAction* action = FindAction(impl_->menu.get(), item);
    return action != nullptr && action->isChecked();
}

void PopupMenu::ReloadTexts() {
    if (!impl_->menu) {
        return;  // gone with its window, and its items with it
    }
    for (auto it = impl_->keys.cbegin(); it != impl_->keys.cend(); ++it) {
        if (!it.value().isEmpty()) {
            it.key()->setText(ui_internal::DisplayText(it.value()));
        }
    }
}

QIcon PopupMenu::ItemIcon(const QString& item) const {
    const QAction* action = FindAction(impl_->menu.get(), item);
    return action != nullptr ? action->icon() : QIcon();
}

QString PopupMenu::ItemText(const QString& item) const {
    const QAction* action = FindAction(impl_->menu.get(), item);
    return action != nullptr ? action->text() : QString();
}

QStringList PopupMenu::ItemNames() const {
    QStringList names;
    if (impl_->menu) {
        for (const QAction* action : impl_->menu->actions()) {
            if (!action->isSeparator()) {
                names << action->objectName();
            }
        }
    }
    return names;
}

bool PopupMenu::ChooseItem(const QString& item) {
    QAction* action = FindAction(impl_->menu.get(), item);
    if (action == nullptr || !action->isEnabled()) {
        return false;
    }
    impl_->menu->hide();
    action->trigger();
    return true;
}

QMenu* PopupMenu::Menu() const {
    return impl_->menu.get();
}
