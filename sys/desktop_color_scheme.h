// The desktop's light or dark preference, from the XDG desktop portal's settings
// (org.freedesktop.portal.Settings, namespace "org.freedesktop.appearance", key "color-scheme":
// 0 no preference, 1 dark, 2 light), followed while the program runs.
#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <QString>

enum class ColorScheme { NoPreference, Dark, Light };

class DesktopColorScheme final : public QObject {
    Q_OBJECT
public:
    // Reads the preference once (a bounded call) and listens for changes on `bus`.
    explicit DesktopColorScheme(QDBusConnection bus = QDBusConnection::sessionBus(),
                                QObject* parent = nullptr);

    // NoPreference also when no portal answers.
    ColorScheme Current() const { return current_; }
    // Whether a portal answered the question.
    bool PortalAnswered() const { return answered_; }

    // The preference a portal value stands for (the value may come wrapped in variants).
    static ColorScheme FromPortalValue(const QVariant& value);

    static constexpr char kService[] = "org.freedesktop.portal.Desktop";
    static constexpr char kPath[] = "/org/freedesktop/portal/desktop";
    static constexpr char kInterface[] = "org.freedesktop.portal.Settings";
    static constexpr char kNamespace[] = "org.freedesktop.appearance";
    static constexpr char kKey[] = "color-scheme";

Q_SIGNALS:
    void Changed(ColorScheme scheme);

private Q_SLOTS:
    void OnSettingChanged(const QString& settingNamespace, const QString& key,
                          const QDBusVariant& value);

private:
    QDBusConnection bus_;
    ColorScheme current_ = ColorScheme::NoPreference;
    bool answered_ = false;
};
