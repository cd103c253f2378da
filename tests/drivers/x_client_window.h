// An ordinary client window on the X display of $DISPLAY, for tests of input hooks: it sits at the
// top-left corner of the screen and listens for button presses, so the X server grabs the pointer
// for it from each press until the release, as it does for every real application window.
#pragma once

#include <memory>

class XClientWindow {
public:
    // Maps a 400 x 300 window at (0, 0) and waits until the server has shown it.
    XClientWindow();
    ~XClientWindow();
    XClientWindow(const XClientWindow&) = delete;
    XClientWindow& operator=(const XClientWindow&) = delete;

    // False when no display answered.
    bool Mapped() const;

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
};
