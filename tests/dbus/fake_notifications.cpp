#include "tests/dbus/fake_notifications.h"

#include <QDBusConnectionInterface>

namespace {
constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
}  // namespace

FakeNotifications::FakeNotifications(QDBusConnection bus) : bus_(std::move(bus)) {}

FakeNotifications::~FakeNotifications() {
    if (started_) {
        bus_.unregisterObject(QLatin1String(kPath));
        bus_.unregisterService(QLatin1String(kService));
    }
}

bool FakeNotifications::Start() {
    started_ = bus_.registerObject(QLatin1String(kPath), this, QDBusConnection::ExportAllSlots) &&
               bus_.registerService(QLatin1String(kService));
    return started_;
}

uint FakeNotifications::Notify(const QString& appName, uint replacesId, const QString& icon,
                               const QString& summary, const QString& body,
                               const QStringList& /*actions*/, const QVariantMap& hints,
                               int expireTimeout) {
    ReceivedNote note{appName, replacesId, icon, summary, body, hints, expireTimeout, 0};
    const bool replaces = replacesId != 0 && replacesId <= lastId_;
    note.givenId = replaces ? replacesId : ++lastId_;
    received_.append(note);
    return note.givenId;
}

QStringList FakeNotifications::GetCapabilities() {
    return {QStringLiteral("body")};
}

void FakeNotifications::CloseNotification(uint /*id*/) {}

QString FakeNotifications::GetServerInformation(QString& vendor, QString& version,
                                                QString& specVersion) {
    vendor = QStringLiteral("talvore tests");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("fake notifications");
}
