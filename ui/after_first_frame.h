// Work a window's first frame does not need (its icon, menus, the tray icon) is done after that
// frame has been painted, so the window shows sooner.
#pragma once

#include <functional>

class QWidget;

// Runs `work` once, after `window`'s first paint; or, when the window is still hidden at the
// event loop's first pass (a start without a mouse, or one that waits in the tray), then. `work`
// is dropped if the window goes first.
void RunAfterFirstFrame(QWidget* window, std::function<void()> work);
