#include "sys/desktop_notifications.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>
#include <QVariantMap>

namespace {
Q_LOGGING_CATEGORY(lcNotes, "talvore.notifications")

// Every call is bounded; a service that hangs must not hold back the next message for long.
constexpr int kCallTimeoutMs = 5000;
}  // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {}

DesktopNotifications::~DesktopNotifications() = default;

bool DesktopNotifications::Available() const {
    if (!bus_.isConnected() || bus_.interface() == nullptr) {
        return false;
    }
    const QDBusReply<bool> registered =
        bus_.interface()->isServiceRegistered(QLatin1String(kService));
    return registered.isValid() && registered.value();
}

void DesktopNotifications::Show(const DesktopNote& note) {
    if (!bus_.isConnected()) {
        qCDebug(lcNotes) << "no session bus; not shown:" << note.summary;
        return;
    }
    if (waiting_) {
        queued_ = note;
        return;
    }
    Send(note);
}

void DesktopNotifications::Send(const DesktopNote& note) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                       QLatin1String(kInterface), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(note.critical ? 2 : 1));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.talvore.Talvore"));
    call << QCoreApplication::applicationName() << lastId_ << note.icon << note.summary << note.body
         << QStringList() << hints << note.expireMs;
    waiting_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* done) {
                done->deleteLater();
                const QDBusPendingReply<uint> reply = *done;
                waiting_ = false;
                if (reply.isError()) {
                    // No service, or one that refused: the desktop shows nothing, as it would
                    // without notifications at all.
                    qCDebug(lcNotes) << "notification not shown:" << reply.error().message();
                } else {
                    lastId_ = reply.value();
                    Q_EMIT Shown(lastId_);
                }
                if (std::optional<DesktopNote> next = std::exchange(queued_, std::nullopt)) {
                    Send(*next);
                }
            });
}
