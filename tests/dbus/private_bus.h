// A D-Bus daemon of the test's own, so a test can stand in for logind or BlueZ without touching
// the machine's buses. Not running (with a reason) when dbus-daemon is missing or fails to start,
// or in a ThreadSanitizer build; tests then skip.
#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool Running() const { return !address_.isEmpty(); }
    // Why the bus is not running.
    QString Problem() const { return problem_; }
    QString Address() const { return address_; }

    // A connection of its own to the bus; `name` must be unique in the process.
    QDBusConnection Connect(const QString& name);

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QString problem_;
    QStringList connections_;
};
