#include "cli/desktop_checks.h"

#include <xcb/xcb.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMap>
#include <QRegularExpression>
#include <QVariantMap>

#include "sys/session_type.h"

namespace {

constexpr int kAnswerMs = 3000;

using InterfaceMap = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceMap>;

QString Variable(const char* name) {
    return qEnvironmentVariable(name);
}

QDBusMessage Call(const QDBusConnection& bus, const QString& service, const QString& path,
                  const QString& interface, const QString& member, const QVariantList& args = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, member);
    call.setArguments(args);
    return bus.call(call, QDBus::Block, kAnswerMs);
}

// Qt's own test on X11: a tray is there when some client owns the system tray selection.
enum class XTray { Present, Absent, NoDisplay };
XTray XEmbedTray() {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return XTray::NoDisplay;
    }
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.constData()),
        nullptr);
    bool owned = false;
    if (atom != nullptr && atom->atom != XCB_ATOM_NONE) {
        xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
        owned = owner != nullptr && owner->owner != XCB_WINDOW_NONE;
        free(owner);  // NOLINT: xcb hands out malloc'd replies
    }
    free(atom);  // NOLINT
    xcb_disconnect(connection);
    return owned ? XTray::Present : XTray::Absent;
}

// A StatusNotifier host (the tray of KDE, of GNOME with the AppIndicator extension, of most
// Wayland panels) registered with the watcher.
bool StatusNotifierHost(const QDBusConnection& session) {
    const QDBusMessage reply =
        Call(session, QStringLiteral("org.kde.StatusNotifierWatcher"),
             QStringLiteral("/StatusNotifierWatcher"),
             QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
             {QStringLiteral("org.kde.StatusNotifierWatcher"),
              QStringLiteral("IsStatusNotifierHostRegistered")});
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           qdbus_cast<QDBusVariant>(reply.arguments().at(0)).variant().toBool();
}

DoctorLine SessionLine(SessionKind session, const QString& why) {
    switch (session) {
        case SessionKind::X11:
            return {QStringLiteral("session"), QStringLiteral("X11 (%1)").arg(why)};
        case SessionKind::Wayland:
            return {QStringLiteral("session"), QStringLiteral("Wayland (%1)").arg(why)};
        case SessionKind::Other:
            break;
    }
    return {QStringLiteral("session"),
            QStringLiteral("no desktop session (%1): the program needs one").arg(why)};
}

DoctorLine TrayLine(SessionKind session, const QDBusConnection& sessionBus, XTray xtray) {
    const QString label = QStringLiteral("tray");
    if (sessionBus.isConnected() && StatusNotifierHost(sessionBus)) {
        return {label, QStringLiteral("a StatusNotifier host (the panel's tray) is there: the "
                                      "program can wait in the tray")};
    }
    if (session == SessionKind::X11 && xtray == XTray::Present) {
        return {label, QStringLiteral("an X11 system tray is there: the program can wait in the "
                                      "tray")};
    }
    return {label, QStringLiteral("none: the program keeps its window shown instead of waiting "
                                  "in the tray (on GNOME the AppIndicator extension adds one)")};
}

DoctorLine NotificationLine(const QDBusConnection& sessionBus) {
    const QString label = QStringLiteral("notifications");
    const QDBusMessage reply =
        sessionBus.isConnected() ? Call(sessionBus, QStringLiteral("org.freedesktop.Notifications"),
                                        QStringLiteral("/org/freedesktop/Notifications"),
                                        QStringLiteral("org.freedesktop.Notifications"),
                                        QStringLiteral("GetServerInformation"))
                                 : QDBusMessage();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 3) {
        return {label, QStringLiteral("no notification service answers: low-battery warnings "
                                      "are not shown on the desktop")};
    }
    const QVariantList info = reply.arguments();
    return {label, QStringLiteral("%1 %2 answers: low-battery warnings appear on the desktop")
                       .arg(info.at(0).toString(), info.at(2).toString())};
}

DoctorLine RecordingLine(SessionKind session, bool hookLoads, XTray xtray) {
    const QString label = QStringLiteral("macro recording");
    const QString local = QStringLiteral("in the macro editor's window only: ");
    switch (session) {
        case SessionKind::Wayland:
            return {label, local + QStringLiteral("under Wayland no program sees the keys typed "
                                                  "in other windows")};
        case SessionKind::X11:
            if (xtray == XTray::NoDisplay) {
                return {label, local + QStringLiteral("the X display %1 cannot be reached")
                                           .arg(Variable("DISPLAY"))};
            }
            if (!hookLoads) {
                return {label, local + QStringLiteral("the input hook Hook.so does not load")};
            }
            return {label, QStringLiteral("global: the input hook sees keys and buttons in every "
                                          "window")};
        case SessionKind::Other:
            break;
    }
    return {label, local + QStringLiteral("there is no desktop session")};
}

bool IsMouse(const QString& modalias) {
    static const QRegularExpression mouse(QStringLiteral("^(usb|bluetooth):v045Ep0069"),
                                          QRegularExpression::CaseInsensitiveOption);
    return mouse.match(modalias).hasMatch();
}

// The session as the program decides it (sys/session_type), with the variable that decided.
// A QT_QPA_PLATFORM the user set is the platform the program will run on.
SessionKind SessionOfProgram(QString& why) {
    const auto because = [&why](const char* name) {
        why = QStringLiteral("%1=%2").arg(QLatin1String(name), Variable(name));
    };
    const QByteArray forced = qgetenv("TALVORE_SESSION").trimmed().toLower();
    const QString platform = Variable("QT_QPA_PLATFORM").section(QLatin1Char(';'), 0, 0);
    if (forced == "x11" || forced == "wayland" || forced == "other") {
        because("TALVORE_SESSION");
    } else if (!platform.isEmpty()) {
        because("QT_QPA_PLATFORM");
    } else if (!Variable("WAYLAND_DISPLAY").isEmpty()) {
        because("WAYLAND_DISPLAY");
    } else if (!Variable("DISPLAY").isEmpty()) {
        because("DISPLAY");
    } else if (!Variable("XDG_SESSION_TYPE").isEmpty()) {
        because("XDG_SESSION_TYPE");
    } else {
        why = QStringLiteral("no WAYLAND_DISPLAY, DISPLAY or XDG_SESSION_TYPE");
    }
    return SessionKindOf(platform, forced, qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"),
                         qgetenv("XDG_SESSION_TYPE"));
}

std::vector<DoctorLine> BluetoothLines() {
    qDBusRegisterMetaType<InterfaceMap>();
    qDBusRegisterMetaType<ManagedObjects>();
    const QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected()) {
        return {{QStringLiteral("bluetoothd"),
                 QStringLiteral("no system bus: Bluetooth cannot be reached")}};
    }
    const QDBusMessage reply = Call(system, QStringLiteral("org.bluez"), QStringLiteral("/"),
                                    QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                    QStringLiteral("GetManagedObjects"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {{QStringLiteral("bluetoothd"),
                 QStringLiteral("not running (%1): the mouse cannot be used over Bluetooth")
                     .arg(reply.errorName().isEmpty() ? QStringLiteral("no answer")
                                                      : reply.errorName())}};
    }
    const auto objects = qdbus_cast<ManagedObjects>(reply.arguments().at(0));
    QStringList adapters;
    bool batteries = false;
    QStringList mice;
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        const InterfaceMap& interfaces = it.value();
        if (interfaces.contains(QStringLiteral("org.bluez.Adapter1"))) {
            const bool powered = interfaces.value(QStringLiteral("org.bluez.Adapter1"))
                                     .value(QStringLiteral("Powered"))
                                     .toBool();
            adapters.append(QStringLiteral("%1 %2").arg(
                it.key().path().section(QLatin1Char('/'), -1),
                powered ? QStringLiteral("powered") : QStringLiteral("switched off")));
            batteries = batteries ||
                        interfaces.contains(QStringLiteral("org.bluez.BatteryProviderManager1"));
        }
        const QVariantMap device = interfaces.value(QStringLiteral("org.bluez.Device1"));
        if (IsMouse(device.value(QStringLiteral("Modalias")).toString())) {
            mice.append(
                QStringLiteral("%1 %2").arg(device.value(QStringLiteral("Address")).toString(),
                                            device.value(QStringLiteral("Connected")).toBool()
                                                ? QStringLiteral("connected")
                                                : QStringLiteral("known, not connected")));
        }
    }
    std::vector<DoctorLine> lines;
    lines.push_back(
        {QStringLiteral("bluetoothd"),
         adapters.isEmpty()
             ? QStringLiteral("running, but there is no Bluetooth adapter")
             : QStringLiteral("running; adapter %1").arg(adapters.join(QLatin1String(", ")))});
    lines.push_back(
        {QStringLiteral("battery"),
         batteries ? QStringLiteral("BlueZ takes battery levels from programs: over Bluetooth the "
                                    "mouse's level shows in the desktop's power settings")
                   : QStringLiteral("BlueZ takes no battery levels from programs (set "
                                    "Experimental = true in /etc/bluetooth/main.conf): the "
                                    "desktop's power settings will not show the mouse")});
    lines.push_back({QStringLiteral("mouse"),
                     mice.isEmpty() ? QStringLiteral("no TALVORE is known to BlueZ (pair it in "
                                                     "the desktop's Bluetooth settings)")
                                    : mice.join(QLatin1String("; "))});
    return lines;
}

}  // namespace

#define TALVORECTL_EXPORT extern "C" __attribute__((visibility("default")))

TALVORECTL_EXPORT void talvorectl_check_desktop(bool hookLoads, std::vector<DoctorLine>* lines) {
    QString why;
    const SessionKind session = SessionOfProgram(why);
    const QDBusConnection sessionBus = QDBusConnection::sessionBus();
    const XTray xtray = session == SessionKind::X11 ? XEmbedTray() : XTray::NoDisplay;
    lines->insert(lines->end(),
                  {SessionLine(session, why), TrayLine(session, sessionBus, xtray),
                   NotificationLine(sessionBus), RecordingLine(session, hookLoads, xtray)});
}

TALVORECTL_EXPORT void talvorectl_check_bluetooth(std::vector<DoctorLine>* lines) {
    const std::vector<DoctorLine> found = BluetoothLines();
    lines->insert(lines->end(), found.begin(), found.end());
}

// The exports have the types the doctor binds them to, or this does not compile.
[[maybe_unused]] static constexpr CheckDesktopFn* kCheckDesktopHasItsType = &talvorectl_check_desktop;
[[maybe_unused]] static constexpr CheckBluetoothFn* kCheckBluetoothHasItsType =
    &talvorectl_check_bluetooth;
