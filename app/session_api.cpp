#include "app/session_api.h"

#include <QDBusMessage>
#include <QLoggingCategory>
#include <QThread>
#include <QTimer>
#include <QVariantMap>

Q_LOGGING_CATEGORY(lcSessionApi, "talvore.dbus")

namespace {

constexpr char kBusyError[] = "org.talvore.Talvore1.Error.Busy";

}  // namespace

SessionApi::SessionApi(SessionApiBackend& backend, QDBusConnection bus, QString serviceName)
    : backend_(backend), bus_(std::move(bus)), serviceName_(std::move(serviceName)) {
    state_ = backend_.State();
    if (!bus_.isConnected()) {
        qCInfo(lcSessionApi) << "no session bus: the D-Bus API is not offered";
        return;
    }
    if (!bus_.registerObject(
            QLatin1String(kSessionApiPath), this,
            QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSlots)) {
        qCWarning(lcSessionApi) << "cannot export" << kSessionApiPath << ":"
                                << bus_.lastError().message();
        return;
    }
    if (!bus_.registerService(serviceName_)) {
        qCWarning(lcSessionApi) << "cannot own" << serviceName_ << ":"
                                << bus_.lastError().message();
        bus_.unregisterObject(QLatin1String(kSessionApiPath));
        return;
    }
    published_ = true;
    qCInfo(lcSessionApi) << "offered as" << serviceName_;
}

SessionApi::~SessionApi() {
    if (published_) {
        bus_.unregisterService(serviceName_);
        bus_.unregisterObject(QLatin1String(kSessionApiPath));
    }
}

void SessionApi::NoteChange() {
    if (refreshQueued_) {
        return;
    }
    refreshQueued_ = true;
    QTimer::singleShot(0, this, [this] { Refresh(); });
}

void SessionApi::Refresh() {
    refreshQueued_ = false;
    const SessionApiState now = backend_.State();
    if (now == state_) {
        return;
    }
    QVariantMap changed;
    if (now.profiles != state_.profiles) {
        changed.insert(QStringLiteral("Profiles"), now.profiles);
    }
    if (now.currentProfile != state_.currentProfile) {
        changed.insert(QStringLiteral("CurrentProfile"), now.currentProfile);
    }
    if (now.batteryLevel != state_.batteryLevel) {
        changed.insert(QStringLiteral("BatteryLevel"), now.batteryLevel);
    }
    if (now.charging != state_.charging) {
        changed.insert(QStringLiteral("Charging"), now.charging);
    }
    if (now.connected != state_.connected) {
        changed.insert(QStringLiteral("Connected"), now.connected);
    }
    if (now.links != state_.links) {
        changed.insert(QStringLiteral("Links"), now.links);
    }
    state_ = now;
    if (!published_) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(kSessionApiPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QLatin1String(kSessionApiInterface) << changed << QStringList();
    bus_.send(signal);
}

QString SessionApi::Answer(const std::function<SessionApiBackend::Outcome()>& work) {
    // Calls are delivered by whatever event loop runs: inside a dialog's own loop the page may be
    // half-way through a change of the user's.
    if (QThread::currentThread()->loopLevel() > 1 && calledFromDBus()) {
        sendErrorReply(QLatin1String(kBusyError),
                       QStringLiteral("talvore has a dialog open; close it and try again; "
                                      "nothing was changed"));
        return {};
    }
    const SessionApiBackend::Outcome outcome = work();
    Refresh();
    if (!outcome.done && calledFromDBus()) {
        sendErrorReply(outcome.error, outcome.message);
    }
    return outcome.done ? outcome.value : QString();
}

void SessionApi::SelectProfile(const QString& name) {
    Answer([&] { return backend_.SelectProfile(name); });
}

void SessionApi::Apply() {
    Answer([&] { return backend_.Apply(); });
}

QString SessionApi::ImportProfile(const QString& path) {
    return Answer([&] { return backend_.ImportProfile(path); });
}
