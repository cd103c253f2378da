#include "sys/session_type.h"

#include <QCoreApplication>
#include <QVariant>

namespace {

bool HasWaylandSession(const QByteArray& waylandDisplay, const QByteArray& sessionType) {
    return !waylandDisplay.isEmpty() || sessionType.toLower() == "wayland";
}

}  // namespace

SessionKind SessionKindOf(const QString& platformName, const QByteArray& overrideValue,
                          const QByteArray& waylandDisplay, const QByteArray& display,
                          const QByteArray& sessionType) {
    const QByteArray forced = overrideValue.trimmed().toLower();
    if (forced == "x11") {
        return SessionKind::X11;
    }
    if (forced == "wayland") {
        return SessionKind::Wayland;
    }
    if (forced == "other") {
        return SessionKind::Other;
    }
    if (!platformName.isEmpty()) {
        if (platformName == QLatin1String("xcb")) {
            return SessionKind::X11;
        }
        if (platformName.startsWith(QLatin1String("wayland"))) {
            return SessionKind::Wayland;  // "wayland", "wayland-egl"
        }
        return SessionKind::Other;
    }
    if (!waylandDisplay.isEmpty()) {
        return SessionKind::Wayland;
    }
    if (!display.isEmpty()) {
        return SessionKind::X11;
    }
    const QByteArray type = sessionType.toLower();
    if (type == "wayland") {
        return SessionKind::Wayland;
    }
    return type == "x11" ? SessionKind::X11 : SessionKind::Other;
}

SessionKind CurrentSessionKind() {
    QString platform;
    // QGuiApplication's platformName, read without a Qt Gui header: only ui/ includes those.
    if (const QCoreApplication* app = QCoreApplication::instance();
        app != nullptr && app->inherits("QGuiApplication")) {
        platform = app->property("platformName").toString();
    }
    return SessionKindOf(platform, qgetenv("TALVORE_SESSION"), qgetenv("WAYLAND_DISPLAY"),
                         qgetenv("DISPLAY"), qgetenv("XDG_SESSION_TYPE"));
}

QByteArray PreferredQtPlatform(const QByteArray& qtPlatform, const QByteArray& waylandDisplay,
                               const QByteArray& display, const QByteArray& sessionType) {
    if (!qtPlatform.isEmpty()) {
        return {};
    }
    if (HasWaylandSession(waylandDisplay, sessionType)) {
        // Qt 6.4 ignores XDG_SESSION_TYPE=wayland under GNOME and would pick xcb: say it.
        return display.isEmpty() ? QByteArrayLiteral("wayland") : QByteArrayLiteral("wayland;xcb");
    }
    return QByteArrayLiteral("xcb");
}

void ChooseQtPlatform() {
    const QByteArray platform =
        PreferredQtPlatform(qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"),
                            qgetenv("DISPLAY"), qgetenv("XDG_SESSION_TYPE"));
    if (!platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", platform);
    }
}

const char* SessionKindName(SessionKind kind) {
    switch (kind) {
        case SessionKind::X11:
            return "X11";
        case SessionKind::Wayland:
            return "Wayland";
        case SessionKind::Other:
            break;
    }
    return "other";
}
