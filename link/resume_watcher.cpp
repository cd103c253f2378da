#include "link/resume_watcher.h"

#include <QDBusConnection>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcResume, "talvore.session")

ResumeWatcher::ResumeWatcher(const QDBusConnection& bus, std::function<void()> onResume)
    : onResume_(std::move(onResume)) {
    QDBusConnection connection(bus);
    listening_ =
        connection.isConnected() &&
        connection.connect(QStringLiteral("org.freedesktop.login1"),
                           QStringLiteral("/org/freedesktop/login1"),
                           QStringLiteral("org.freedesktop.login1.Manager"),
                           QStringLiteral("PrepareForSleep"), this, SLOT(OnPrepareForSleep(bool)));
    if (!listening_) {
        qCDebug(lcResume) << "no system bus: resumes from sleep go unnoticed";
    }
}

void ResumeWatcher::OnPrepareForSleep(bool sleeping) {
    qCInfo(lcResume) << (sleeping ? "the system goes to sleep" : "the system has resumed");
    if (!sleeping && onResume_) {
        onResume_();
    }
}
