// Desktop notifications (org.freedesktop.Notifications on the session bus). One channel per
// purpose: each keeps the id the service gave its last notification and passes it as
// replaces_id, so successive messages of one channel replace each other on the desktop instead
// of piling up. Without a notification service nothing is shown and nothing is reported to the
// user; Available() tells callers who want another way.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

struct DesktopNote {
    QString summary;
    QString body;
    QString icon;           // an icon name or an absolute file path; empty for the service's own
    int expireMs = -1;      // -1: the service decides; 0: until dismissed
    bool critical = false;  // urgency 2 (critical), else 1 (normal)
};

class DesktopNotifications final : public QObject {
    Q_OBJECT
public:
    // `bus` is the session bus in the program, a private bus in tests.
    explicit DesktopNotifications(QDBusConnection bus = QDBusConnection::sessionBus(),
                                  QObject* parent = nullptr);
    ~DesktopNotifications() override;

    // Whether a notification service owns its name on the bus now.
    bool Available() const;

    // Shows `note`, replacing the last notification of this channel while it is on screen.
    // Never blocks: the call goes out at once; a note given while the service has not answered
    // the previous one waits for that answer (only the newest waiting note is sent), so the
    // replacement always knows the id it replaces.
    void Show(const DesktopNote& note);

    // The id the service gave this channel's last notification; 0 before the first answer.
    uint LastId() const { return lastId_; }

    static constexpr char kService[] = "org.freedesktop.Notifications";
    static constexpr char kPath[] = "/org/freedesktop/Notifications";
    static constexpr char kInterface[] = "org.freedesktop.Notifications";

Q_SIGNALS:
    // A Notify answered by the service, with the id it gave.
    void Shown(uint id);

private:
    void Send(const DesktopNote& note);

    QDBusConnection bus_;
    uint lastId_ = 0;
    bool waiting_ = false;
    std::optional<DesktopNote> queued_;
};
