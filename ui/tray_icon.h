// The notification-area icon. Clicks reach the receiver window as a message (1025) with
// lParam 514 for the left button and 517 for the right button.
#pragma once

#include <QString>
#include <memory>

#include "ui/messages.h"

class WindowImplBase;

class TrayIcon {
public:
    TrayIcon();
    ~TrayIcon();  // removes the icon
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // `iconFile` is an image of the skin folder.
    void Create(WindowImplBase* receiver, const QString& iconFile, const QString& toolTip,
                unsigned message = ui::kMsgTrayIcon);
    bool IsCreated() const;
    void SetToolTip(const QString& toolTip);
    QString ToolTip() const;
    void Remove();

    // Reports a mouse message (514, 517) to the receiver, as a click on the icon does. Tests
    // use it where no notification area exists.
    void DeliverMouseMessage(int mouseMessage);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
