// The notification-area icon. Clicks reach the receiver window as a message (1025) with
// lParam 514 for the left button; the right button opens the icon's menu, which the tray shows
// beside the icon (a StatusNotifierItem host draws it itself).
//
// The icon is made and shown whether or not a tray exists at start, so a tray that comes later
// (at login the program may start first) takes it: an X11 tray through Qt's own watch, a
// StatusNotifierItem host on Wayland once it registers on the session bus.
#pragma once

#include <QRect>
#include <QString>
#include <memory>
#include <optional>

#include "ui/messages.h"

class PopupMenu;
class WindowImplBase;

class TrayIcon {
public:
    TrayIcon();
    ~TrayIcon();  // removes the icon
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // `iconFile` is an image of the skin folder; `menu` (may be null) is shown on a right click
    // and must outlive the icon.
    void Create(WindowImplBase* receiver, const QString& iconFile, const QString& toolTip,
                PopupMenu* menu = nullptr, unsigned message = ui::kMsgTrayIcon);
    bool IsCreated() const;
    void SetToolTip(const QString& toolTip);
    QString ToolTip() const;
    // A red battery badge on the icon while the mouse's battery is low.
    void SetLowBatteryBadge(bool low);
    bool HasLowBatteryBadge() const;
    // The icon's place on the screen; empty when the tray does not say (StatusNotifierItem).
    QRect Geometry() const;
    void Remove();

    // Whether a tray is there to hold the icon: an X11 system tray, or a StatusNotifierItem host
    // on the session bus. Without one the window must never be hidden.
    static bool HostPresent();
    // Tests decide HostPresent() themselves; nullopt gives the question back to the desktop.
    static void OverrideHostPresent(std::optional<bool> present);

    // Reports a mouse message (514, 517) to the receiver, as a click on the icon does. Tests
    // use it where no notification area exists.
    void DeliverMouseMessage(int mouseMessage);

private:
    void MakeQtIcon();
    void UpdateIcon();

    struct Impl;
    std::unique_ptr<Impl> impl_;
};
