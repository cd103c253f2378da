#include "tests/dbus/fake_portal_settings.h"

#include <QDBusMessage>

namespace {
constexpr char kService[] = "org.freedesktop.portal.Desktop";
constexpr char kPath[] = "/org/freedesktop/portal/desktop";
constexpr char kNamespace[] = "org.freedesktop.appearance";
constexpr char kKey[] = "color-scheme";
}  // namespace

FakePortalSettings::FakePortalSettings(QDBusConnection bus, uint scheme)
    : bus_(std::move(bus)), scheme_(scheme) {
    qRegisterMetaType<QDBusVariant>();
}

FakePortalSettings::~FakePortalSettings() {
    if (started_) {
        bus_.unregisterObject(QLatin1String(kPath));
        bus_.unregisterService(QLatin1String(kService));
    }
}

bool FakePortalSettings::Start() {
    started_ =
        bus_.registerObject(QLatin1String(kPath), this,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
        bus_.registerService(QLatin1String(kService));
    return started_;
}

void FakePortalSettings::SetScheme(uint scheme) {
    scheme_ = scheme;
    Q_EMIT SettingChanged(QLatin1String(kNamespace), QLatin1String(kKey),
                          QDBusVariant(QVariant::fromValue(scheme)));
}

QDBusVariant FakePortalSettings::Read(const QString& settingNamespace, const QString& key) {
    if (settingNamespace != QLatin1String(kNamespace) || key != QLatin1String(kKey)) {
        sendErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"),
                       QStringLiteral("no such setting"));
        return {};
    }
    return QDBusVariant(QVariant::fromValue(QDBusVariant(QVariant::fromValue(scheme_))));
}
