// A notification receiver that is not a window: a virtual window registered with a window under
// a name. Controls tagged with that name (property "virtualWindow" on them or on an ancestor)
// send their notifications here, and a table of routes picks the handler by notification type.
#pragma once

#include <QHash>
#include <QString>
#include <functional>

#include "ui/notification.h"

class CNotifyPump {
public:
    using Handler = std::function<void(const Notification&)>;

    virtual ~CNotifyPump() = default;

    // One handler per type; a later route for the same type replaces the earlier one.
    void Route(const QString& type, Handler handler) { routes_.insert(type, std::move(handler)); }
    template <class Receiver>
    void Route(const QString& type, Receiver* self, void (Receiver::*method)(const Notification&)) {
        Route(type, [self, method](const Notification& n) { (self->*method)(n); });
    }

    // Runs the route of the notification's type; false when there is none (ignored).
    bool NotifyPump(const Notification& n) const {
        const auto it = routes_.constFind(n.type);
        if (it == routes_.constEnd()) {
            return false;
        }
        it.value()(n);
        return true;
    }

private:
    QHash<QString, Handler> routes_;
};
