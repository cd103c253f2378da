// Whether the program runs in an X11 session, a Wayland session or neither (offscreen tests,
// a virtual frame buffer without X), and which Qt platform to start on.
//
// What depends on it: global input capture and window placement work on X11 only; on Wayland
// the DPI popup becomes a desktop notification and recording listens inside the editor.
#pragma once

#include <QByteArray>
#include <QString>

enum class SessionKind { X11, Wayland, Other };

// From the running application's Qt platform when there is one ("xcb" X11, "wayland" Wayland,
// anything else Other), else from the environment (WAYLAND_DISPLAY, DISPLAY, XDG_SESSION_TYPE).
// TALVORE_SESSION=x11|wayland|other overrides both, for tests.
SessionKind CurrentSessionKind();

// The same decision from given values; `platformName` empty when no application exists.
SessionKind SessionKindOf(const QString& platformName, const QByteArray& overrideValue,
                          const QByteArray& waylandDisplay, const QByteArray& display,
                          const QByteArray& sessionType);

// The Qt platform to start on when the user has not chosen one (QT_QPA_PLATFORM unset):
// "wayland;xcb" in a Wayland session (native, with X11 through Xwayland as the fallback), "xcb"
// elsewhere. Empty: leave Qt's own choice (the user set QT_QPA_PLATFORM).
QByteArray PreferredQtPlatform(const QByteArray& qtPlatform, const QByteArray& waylandDisplay,
                               const QByteArray& display, const QByteArray& sessionType);

// Reads the environment and sets QT_QPA_PLATFORM accordingly; call before the application
// object exists.
void ChooseQtPlatform();

const char* SessionKindName(SessionKind kind);
