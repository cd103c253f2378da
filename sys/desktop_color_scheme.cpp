#include "sys/desktop_color_scheme.h"

#include <QDBusMessage>
#include <QDBusReply>

#include <QDBusPendingCallWatcher>

namespace {
// A running portal answers at once; the start-up waits no longer than this. A portal the bus is
// still starting answers later, and its answer is taken then.
constexpr int kReadTimeoutMs = 500;
constexpr int kLateReadTimeoutMs = 10000;
}  // namespace

DesktopColorScheme::DesktopColorScheme(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    qRegisterMetaType<QDBusVariant>();
    if (!bus_.isConnected()) {
        return;
    }
    QDBusMessage read =
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                       QLatin1String(kInterface), QStringLiteral("Read"));
    read << QLatin1String(kNamespace) << QLatin1String(kKey);
    const QDBusMessage reply = bus_.call(read, QDBus::Block, kReadTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        answered_ = true;
        current_ = FromPortalValue(reply.arguments().constFirst());
    } else if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply")) {
        auto* late = new QDBusPendingCallWatcher(bus_.asyncCall(read, kLateReadTimeoutMs), this);
        connect(late, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* call) {
                    call->deleteLater();
                    const QDBusMessage answer = call->reply();
                    if (answer.type() != QDBusMessage::ReplyMessage ||
                        answer.arguments().isEmpty() || answered_) {
                        return;  // no portal after all, or a change said it already
                    }
                    answered_ = true;
                    const ColorScheme scheme = FromPortalValue(answer.arguments().constFirst());
                    if (scheme != current_) {
                        current_ = scheme;
                        Q_EMIT Changed(scheme);
                    }
                });
    }
    bus_.connect(QLatin1String(kService), QLatin1String(kPath), QLatin1String(kInterface),
                 QStringLiteral("SettingChanged"), this,
                 SLOT(OnSettingChanged(QString, QString, QDBusVariant)));
}

ColorScheme DesktopColorScheme::FromPortalValue(const QVariant& value) {
    QVariant inner = value;
    // Read gives the value in a variant of its own (older portals: a variant in a variant).
    for (int depth = 0; depth < 3 && inner.canConvert<QDBusVariant>() &&
                        inner.userType() == qMetaTypeId<QDBusVariant>();
         ++depth) {
        inner = inner.value<QDBusVariant>().variant();
    }
    bool ok = false;
    const uint scheme = inner.toUInt(&ok);
    if (!ok) {
        return ColorScheme::NoPreference;
    }
    return scheme == 1   ? ColorScheme::Dark
           : scheme == 2 ? ColorScheme::Light
                         : ColorScheme::NoPreference;
}

void DesktopColorScheme::OnSettingChanged(const QString& settingNamespace, const QString& key,
                                          const QDBusVariant& value) {
    if (settingNamespace != QLatin1String(kNamespace) || key != QLatin1String(kKey)) {
        return;
    }
    answered_ = true;
    const ColorScheme scheme = FromPortalValue(value.variant());
    if (scheme != current_) {
        current_ = scheme;
        Q_EMIT Changed(scheme);
    }
}
