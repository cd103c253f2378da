// Keeps the program to one running instance per user, on a local socket named after the
// instance name. The first start listens; a later start connects, tells the first one to come
// forward and learns that it must exit.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

inline constexpr char kInstanceName[] = "Corvane TALVORE Mouse";

class SingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class Role {
        First,   // this process holds the name and receives SecondStart()
        Second,  // another instance runs and has been signalled; exit with code 1
    };

    explicit SingleInstance(const QString& instanceName = QString::fromLatin1(kInstanceName),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // Decides the role. A socket left behind by an instance that crashed is taken over. When
    // the socket cannot be created at all, the program runs unguarded as the first instance.
    Role Start();

    // The socket name: the instance name and the user id, so two users never meet.
    static QString ServerNameFor(const QString& instanceName);

Q_SIGNALS:
    // A later start asked this instance to show itself.
    void SecondStart();

private:
    bool SignalRunningInstance() const;
    void AcceptConnections();

    QString serverName_;
    QLocalServer* server_ = nullptr;
};
