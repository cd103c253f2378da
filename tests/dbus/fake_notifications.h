// A desktop notification service (org.freedesktop.Notifications) on a test's bus: it answers
// every Notify with an id (the replaced one when replaces_id names one it gave) and keeps what it
// was sent.
#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

struct ReceivedNote {
    QString appName;
    uint replacesId = 0;
    QString icon;
    QString summary;
    QString body;
    QVariantMap hints;
    int expireTimeout = 0;
    uint givenId = 0;
};

class FakeNotifications final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit FakeNotifications(QDBusConnection bus);
    ~FakeNotifications() override;

    // Takes the service's name on the bus; false when it could not.
    bool Start();
    const QList<ReceivedNote>& Received() const { return received_; }

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int expireTimeout);
    QStringList GetCapabilities();
    void CloseNotification(uint id);
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion);

private:
    QDBusConnection bus_;
    QList<ReceivedNote> received_;
    uint lastId_ = 0;
    bool started_ = false;
};
