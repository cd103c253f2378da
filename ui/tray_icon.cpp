#include "ui/tray_icon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

#include "ui/popup_menu.h"
#include "ui/skin_reading.h"
#include "ui/ui_application.h"
#include "ui/window_impl_base.h"

namespace {

constexpr char kWatcherService[] = "org.kde.StatusNotifierWatcher";
constexpr char kWatcherPath[] = "/StatusNotifierWatcher";
// How often the tray's watcher is asked whether its host has come, once the watcher is there.
constexpr int kHostWatchMs = 1000;

std::optional<bool>& HostOverride() {
    static std::optional<bool> present;
    return present;
}

bool OnX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

bool StatusNotifierHostRegistered() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(QLatin1String(kWatcherService)).value()) {
        return false;
    }
    QDBusInterface watcher{QLatin1String(kWatcherService), QLatin1String(kWatcherPath),
                           QLatin1String(kWatcherService), bus};
    return watcher.property("IsStatusNotifierHostRegistered").toBool();
}

// The icon with a red battery in its lower right quarter.
QIcon WithLowBatteryBadge(const QIcon& icon) {
    QIcon badged;
    for (const int size : {16, 22, 24, 32, 48, 64, 128}) {
        QPixmap pixmap = icon.pixmap(QSize(size, size));
        if (pixmap.isNull()) {
            continue;
        }
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal s = size;
        const QRectF body(s * 0.46, s * 0.58, s * 0.46, s * 0.36);
        painter.setPen(QPen(QColor(0xff, 0xff, 0xff), std::max(1.0, s / 24)));
        painter.setBrush(QColor(0x1d, 0x21, 0x27));
        painter.drawRoundedRect(body, s * 0.06, s * 0.06);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xff, 0xff, 0xff));
        painter.drawRect(QRectF(body.right(), body.center().y() - s * 0.07, s * 0.05, s * 0.14));
        painter.setBrush(QColor(0xe5, 0x48, 0x4d));
        const qreal inset = std::max(1.5, s / 12);
        painter.drawRect(QRectF(body.left() + inset, body.top() + inset, body.width() * 0.3,
                                body.height() - 2 * inset));
        painter.end();
        badged.addPixmap(pixmap);
    }
    return badged;
}

}  // namespace

struct TrayIcon::Impl {
    std::unique_ptr<QSystemTrayIcon> icon;
    std::unique_ptr<QTimer> hostWatch;
    std::unique_ptr<QDBusServiceWatcher> watcherWatch;
    MessagePoster receiver;
    unsigned message = ui::kMsgTrayIcon;
    bool created = false;
    QIcon baseIcon;
    QString toolTip;
    PopupMenu* menu = nullptr;
    bool lowBattery = false;
};

TrayIcon::TrayIcon() : impl_(std::make_unique<Impl>()) {}

TrayIcon::~TrayIcon() = default;

void TrayIcon::Create(WindowImplBase* receiver, const QString& iconFile, const QString& toolTip,
                      PopupMenu* menu, unsigned message) {
    impl_->receiver = receiver != nullptr ? receiver->Poster() : MessagePoster();
    impl_->message = message;
    impl_->baseIcon = ui_internal::SkinIcon(UiApplication::SkinPath(iconFile));
    impl_->toolTip = toolTip;
    impl_->menu = menu;
    impl_->created = true;
    // Qt picks its tray (StatusNotifierItem or X11) once, when the first icon is made. On X11 it
    // also follows a tray that comes later; elsewhere only a host present when the icon is made
    // is used, so the icon waits for one.
    if (OnX11() || StatusNotifierHostRegistered()) {
        MakeQtIcon();
        return;
    }
    // The watcher's name appearing on the bus wakes the wait; its host registers with it a moment
    // later, so from then on the watcher is asked once a second. A desktop without any tray
    // costs nothing while it waits.
    impl_->hostWatch = std::make_unique<QTimer>();
    impl_->hostWatch->setInterval(kHostWatchMs);
    QObject::connect(impl_->hostWatch.get(), &QTimer::timeout, [this] {
        if (StatusNotifierHostRegistered()) {
            impl_->hostWatch->stop();
            impl_->watcherWatch.reset();
            MakeQtIcon();
        }
    });
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;  // no session bus: no StatusNotifierItem tray can ever come
    }
    impl_->watcherWatch = std::make_unique<QDBusServiceWatcher>(
        QLatin1String(kWatcherService), bus, QDBusServiceWatcher::WatchForRegistration);
    QObject::connect(impl_->watcherWatch.get(), &QDBusServiceWatcher::serviceRegistered,
                     [this] { impl_->hostWatch->start(); });
    if (bus.interface()->isServiceRegistered(QLatin1String(kWatcherService)).value()) {
        impl_->hostWatch->start();  // the watcher is there, its host not yet
    }
}

void TrayIcon::MakeQtIcon() {
    impl_->icon = std::make_unique<QSystemTrayIcon>();
    UpdateIcon();
    impl_->icon->setToolTip(impl_->toolTip);
    if (impl_->menu != nullptr && impl_->menu->Menu() != nullptr) {
        // Shown by the tray itself: beside the icon, kept on the screen.
        impl_->icon->setContextMenu(impl_->menu->Menu());
    }
    QObject::connect(impl_->icon.get(), &QSystemTrayIcon::activated, impl_->icon.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger) {
                             DeliverMouseMessage(ui::kMouseLeftButtonUp);
                         } else if (reason == QSystemTrayIcon::Context &&
                                    impl_->icon->contextMenu() == nullptr) {
                             DeliverMouseMessage(ui::kMouseRightButtonUp);
                         }
                     });
    // Shown whatever the tray says now: Qt docks it when a tray appears.
    impl_->icon->show();
}

void TrayIcon::UpdateIcon() {
    if (impl_->icon) {
        impl_->icon->setIcon(impl_->lowBattery ? WithLowBatteryBadge(impl_->baseIcon)
                                               : impl_->baseIcon);
    }
}

bool TrayIcon::IsCreated() const {
    return impl_->created;
}

void TrayIcon::SetToolTip(const QString& toolTip) {
    impl_->toolTip = toolTip;
    if (impl_->icon) {
        impl_->icon->setToolTip(toolTip);
    }
}

QString TrayIcon::ToolTip() const {
    return impl_->created ? impl_->toolTip : QString();
}

void TrayIcon::SetLowBatteryBadge(bool low) {
    if (low != impl_->lowBattery) {
        impl_->lowBattery = low;
        UpdateIcon();
    }
}

bool TrayIcon::HasLowBatteryBadge() const {
    return impl_->lowBattery;
}

QRect TrayIcon::Geometry() const {
    return impl_->icon ? impl_->icon->geometry() : QRect();
}

void TrayIcon::Remove() {
    impl_->watcherWatch.reset();
    impl_->hostWatch.reset();
    impl_->icon.reset();
    impl_->created = false;
}

bool TrayIcon::HostPresent() {
    if (HostOverride()) {
        return *HostOverride();
    }
    if (OnX11()) {
        return QSystemTrayIcon::isSystemTrayAvailable();
    }
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
           StatusNotifierHostRegistered();
}

void TrayIcon::OverrideHostPresent(std::optional<bool> present) {
    HostOverride() = present;
}

void TrayIcon::DeliverMouseMessage(int mouseMessage) {
    if (impl_->created) {
        impl_->receiver.Post(impl_->message, 0, mouseMessage);
    }
}
