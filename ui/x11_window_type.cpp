#include "ui/x11_window_type.h"

#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QWidget>

#include <cstdlib>
#include <memory>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

}  // namespace

void MarkAsX11Notification(QWidget* window) {
    auto* x11 = qGuiApp == nullptr ? nullptr
                                   : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (window == nullptr || x11 == nullptr || x11->connection() == nullptr) {
        return;
    }
    xcb_connection_t* connection = x11->connection();
    // Qt writes the type from the window flags when it makes the native window; this replaces
    // it before the window is mapped, and Qt does not write it again.
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t types[] = {Atom(connection, "_NET_WM_WINDOW_TYPE_NOTIFICATION"),
                                Atom(connection, "_NET_WM_WINDOW_TYPE_UTILITY")};
    const xcb_atom_t property = Atom(connection, "_NET_WM_WINDOW_TYPE");
    if (property == XCB_ATOM_NONE || types[0] == XCB_ATOM_NONE) {
        return;
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, property, XCB_ATOM_ATOM, 32, 2,
                        types);
    xcb_flush(connection);
}
