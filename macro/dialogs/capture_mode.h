// Where the keys and mouse buttons for a recording or a key box come from. In an X11 session the
// input hook hears the whole desktop. Elsewhere (a Wayland session, where the hook only hears
// programs running through Xwayland, or no display at all) only what the program's own windows
// receive can be read, and the windows say so.
#pragma once

#include <optional>

enum class CaptureMode {
    GlobalHook,  // keys and buttons pressed anywhere
    OwnWindow,   // keys and buttons pressed in the capturing control
};

// Decided from the session: Wayland (WAYLAND_DISPLAY, XDG_SESSION_TYPE=wayland, or Qt running on
// its wayland platform) gives OwnWindow, an X display GlobalHook, nothing OwnWindow.
CaptureMode CurrentCaptureMode();

// For tests: the mode to report instead of the session's; nothing goes back to the session's.
void OverrideCaptureMode(std::optional<CaptureMode> mode);
