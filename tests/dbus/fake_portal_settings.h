// The desktop portal's settings (org.freedesktop.portal.Settings on
// org.freedesktop.portal.Desktop) as far as the colour-scheme preference goes.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QObject>

class FakePortalSettings final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    // `scheme`: 0 no preference, 1 dark, 2 light.
    FakePortalSettings(QDBusConnection bus, uint scheme);
    ~FakePortalSettings() override;

    bool Start();
    // Changes the preference and says so, as the portal does when the user changes it.
    void SetScheme(uint scheme);

public Q_SLOTS:
    // As older portals answer: the value in a variant in a variant.
    QDBusVariant Read(const QString& settingNamespace, const QString& key);

Q_SIGNALS:
    void SettingChanged(const QString& settingNamespace, const QString& key,
                        const QDBusVariant& value);

private:
    QDBusConnection bus_;
    uint scheme_;
    bool started_ = false;
};
