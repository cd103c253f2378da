#include "tests/dbus/fake_status_notifier_watcher.h"

#include <QDBusMessage>

namespace {
constexpr char kService[] = "org.kde.StatusNotifierWatcher";
constexpr char kPath[] = "/StatusNotifierWatcher";
}  // namespace

FakeStatusNotifierWatcher::FakeStatusNotifierWatcher(QDBusConnection bus) : bus_(std::move(bus)) {}

FakeStatusNotifierWatcher::~FakeStatusNotifierWatcher() {
    if (started_) {
        bus_.unregisterObject(QLatin1String(kPath));
        bus_.unregisterService(QLatin1String(kService));
    }
}

bool FakeStatusNotifierWatcher::Start() {
    started_ =
        bus_.registerObject(QLatin1String(kPath), this,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                QDBusConnection::ExportAllProperties) &&
        bus_.registerService(QLatin1String(kService));
    if (started_) {
        Q_EMIT StatusNotifierHostRegistered();
    }
    return started_;
}

void FakeStatusNotifierWatcher::RegisterStatusNotifierItem(const QString& service) {
    // An item names its bus name, or only its object path (then it is the caller's name).
    const QString item = service.startsWith(QLatin1Char('/'))
                             ? message().service() + service
                             : service + QStringLiteral("/StatusNotifierItem");
    items_.append(item);
    Q_EMIT StatusNotifierItemRegistered(item);
}

void FakeStatusNotifierWatcher::RegisterStatusNotifierHost(const QString& /*service*/) {
    Q_EMIT StatusNotifierHostRegistered();
}
