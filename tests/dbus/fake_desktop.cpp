#include "tests/dbus/fake_desktop.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>

namespace {

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

}  // namespace

class FakeDesktop::Service final : public QDBusVirtualObject {
public:
    explicit Service(const Offers& offers) : offers_(offers) {}
    QString introspect(const QString&) const override { return QString(); }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        bus.send(Answer(message));
        return true;
    }

private:
    QDBusMessage Answer(const QDBusMessage& message) const {
        if (offers_.notifications && message.interface() == kNotifications &&
            message.member() == QLatin1String("GetServerInformation")) {
            return message.createReply(
                QVariantList{QLatin1String(kServerName), QStringLiteral("talvore tests"),
                             QLatin1String(kServerVersion), QStringLiteral("1.2")});
        }
        if (offers_.trayHost && message.path() == QLatin1String("/StatusNotifierWatcher") &&
            message.member() == QLatin1String("Get") && message.arguments().size() == 2 &&
            message.arguments().at(0).toString() == kWatcher) {
            const QString property = message.arguments().at(1).toString();
            if (property == QLatin1String("IsStatusNotifierHostRegistered")) {
                return message.createReply(QVariant::fromValue(QDBusVariant(true)));
            }
        }
        return message.createErrorReply(QDBusError::UnknownMethod, message.member());
    }

    Offers offers_;
};

FakeDesktop::FakeDesktop(const QString& busAddress, const QString& name, Offers offers)
    : name_(name), bus_(QDBusConnection::connectToBus(busAddress, name)), offers_(offers) {
    service_ = std::make_unique<Service>(offers_);
    registered_ =
        bus_.isConnected() &&
        bus_.registerVirtualObject(QStringLiteral("/"), service_.get(), QDBusConnection::SubPath);
    thread_.start();
    service_->moveToThread(&thread_);
    if (offers_.notifications) {
        registered_ = registered_ && bus_.registerService(kNotifications);
    }
    if (offers_.trayHost) {
        registered_ = registered_ && bus_.registerService(kWatcher);
    }
}

FakeDesktop::~FakeDesktop() {
    bus_.unregisterObject(QStringLiteral("/"), QDBusConnection::UnregisterTree);
    QDBusConnection::disconnectFromBus(name_);
    thread_.quit();
    thread_.wait();
    service_.reset();
}
