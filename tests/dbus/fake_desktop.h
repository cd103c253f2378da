// What a desktop offers on the session bus, on a private bus of the test's own: a notification
// service (org.freedesktop.Notifications) and a tray watcher (org.kde.StatusNotifierWatcher) with
// a host registered. Like FakeBluez it answers on a thread of its own, so the test may wait for a
// process that asks it.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <QThread>

#include <memory>

class FakeDesktop {
public:
    struct Offers {
        bool notifications = true;
        bool trayHost = true;
    };
    // `name`: the connection's name in this process.
    FakeDesktop(const QString& busAddress, const QString& name, Offers offers);
    ~FakeDesktop();

    bool Registered() const { return registered_; }
    // What GetServerInformation answers.
    static constexpr char kServerName[] = "FakeNotifier";
    static constexpr char kServerVersion[] = "1.2";

private:
    class Service;
    QString name_;
    QDBusConnection bus_;
    QThread thread_;
    std::unique_ptr<Service> service_;
    Offers offers_;
    bool registered_ = false;
};
