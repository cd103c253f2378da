// The system's resume from sleep, as logind announces it on the system bus: PrepareForSleep(true)
// before the system sleeps, PrepareForSleep(false) once it runs again. The mouse may have lost
// power meanwhile, so the page sends it the whole profile again. Without a bus or without
// logind nothing is ever announced; that is not an error.
#pragma once

#include <functional>

#include <QObject>

class QDBusConnection;

class ResumeWatcher final : public QObject {
    Q_OBJECT
public:
    // onResume runs on the thread that creates the watcher, once per resume.
    ResumeWatcher(const QDBusConnection& bus, std::function<void()> onResume);

    // Whether the watcher listens at all (the bus is there).
    bool Listening() const { return listening_; }

private Q_SLOTS:
    void OnPrepareForSleep(bool sleeping);

private:
    std::function<void()> onResume_;
    bool listening_ = false;
};
