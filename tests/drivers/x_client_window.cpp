#include "tests/drivers/x_client_window.h"

// Xlib's macros (Status, Bool, None, ...) stay in this file.
#include <X11/Xlib.h>

struct XClientWindow::Connection {
    Display* display = nullptr;
    bool mapped = false;
};

XClientWindow::XClientWindow() : connection_(std::make_unique<Connection>()) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return;
    }
    connection_->display = display;
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 300, 0, 0, 0);
    XSelectInput(display, window,
                 ButtonPressMask | ButtonReleaseMask | KeyPressMask | StructureNotifyMask);
    XMapWindow(display, window);
    XFlush(display);
    XEvent event;
    while (!connection_->mapped) {
        XNextEvent(display, &event);
        connection_->mapped = event.type == MapNotify;
    }
}

XClientWindow::~XClientWindow() {
    if (connection_->display != nullptr) {
        XCloseDisplay(connection_->display);
    }
}

bool XClientWindow::Mapped() const {
    return connection_->mapped;
}
