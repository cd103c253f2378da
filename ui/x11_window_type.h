// The X11 window type of a top-level widget (_NET_WM_WINDOW_TYPE), for kinds Qt does not set
// from its window flags. Nothing on other platforms.
#pragma once

class QWidget;

// Marks `window` as a notification bubble (_NET_WM_WINDOW_TYPE_NOTIFICATION, with UTILITY for
// window managers that do not know it): not decorated, not focused, left where it is put. Call
// before it is first shown; it makes the native window.
void MarkAsX11Notification(QWidget* window);
