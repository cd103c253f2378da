// What a control reports to its receiver: a window's Notify or a virtual window's routes.
#pragma once

#include <QString>

#include "ui/control.h"

class WindowImplBase;

struct Notification {
    QString type;           // "click", "selectchanged", "itemselect", "timer", ...
    Control sender;         // compare with held handles: n.sender == okButton
    QString senderName;     // the sender's object name
    quintptr wParam = 0;    // per type: new index, value, check state, timer id
    qintptr lParam = 0;     // per type: previous index
    QString virtualWindow;  // the "virtualWindow" property of the sender or an ancestor
    WindowImplBase* window = nullptr;

    bool Is(const char* t) const { return type == QLatin1String(t); }
    bool From(const char* name) const { return senderName == QLatin1String(name); }
};
