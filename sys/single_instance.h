// Keeps the program to one running instance per user, on a local socket named after the
// instance name. The first start listens; a later start connects, tells the first one to come
// forward and learns that it must exit.
//
// The socket lies where every start of the same user finds it, whatever its temp folder: in the
// user's runtime folder, or else in the abstract namespace under a name that carries the user id.
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

    struct Address {
        QString name;  // the socket's path, or its abstract name
        bool abstractNamespace = false;
    };
    // The runtime folder is $XDG_RUNTIME_DIR when that is a folder of this user closed to others
    // (anyone could leave a socket in an open one); the abstract name is the instance name and
    // the user id, so two users never meet.
    static Address AddressFor(const QString& instanceName);

Q_SIGNALS:
    // A later start asked this instance to show itself. `activationToken` is the token its
    // launcher gave it (XDG_ACTIVATION_TOKEN), empty when none: with it a Wayland compositor
    // lets this instance's window take the focus.
    void SecondStart(const QString& activationToken);

private:
    bool SignalRunningInstance() const;
    void AcceptConnections();

    Address address_;
    QLocalServer* server_ = nullptr;
};
