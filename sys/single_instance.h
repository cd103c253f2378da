// Keeps the program to one running instance per user, on a local socket named after the
// instance name. The first start listens; a later start connects, tells the first one to come
// forward and learns that it must exit. The same socket takes talvorectl's requests
// (sys/instance_channel.h).
//
// The socket lies where every start of the same user finds it, whatever its temp folder: in the
// user's runtime folder, or else in the abstract namespace under a name that carries the user id.
#pragma once

#include <sys/types.h>

#include <functional>

#include <QObject>
#include <QString>

#include "sys/instance_channel.h"
#include "sys/local_socket.h"

class QSocketNotifier;

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

    using Address = InstanceAddress;
    static Address AddressFor(const QString& instanceName) {
        return InstanceAddressFor(instanceName);
    }

    // Carries out a request on the UI thread and returns the reply. `accept` is to be called once
    // the request is to be carried out, before anything changes: it tells the client so, and is
    // false when the client is gone (then nothing is to be done). A request whose deadline has
    // passed, or one from another user, never reaches the handler.
    using Accept = std::function<bool()>;
    using RequestHandler =
        std::function<InstanceReply(const InstanceRequest& request, const Accept& accept)>;
    void SetRequestHandler(RequestHandler handler) { handler_ = std::move(handler); }

Q_SIGNALS:
    // A later start asked this instance to show itself. `activationToken` is the token its
    // launcher gave it (XDG_ACTIVATION_TOKEN), empty when none: with it a Wayland compositor
    // lets this instance's window take the focus.
    void SecondStart(const QString& activationToken);

private:
    class Connection;

    bool SignalRunningInstance() const;
    // Accepts on the listening socket from now on.
    void WatchConnections();
    void AcceptConnections();
    // What came on a connection so far; the connection ends once it is understood.
    void OnReadable(Connection* connection);
    // A second start's "show" line, with the launcher's activation token when it has one.
    void TakeShowLine(Connection* connection);
    void AnswerRequest(Connection* connection, const QByteArray& payload);

    Address address_;
    LocalSocket listener_;
    QSocketNotifier* incoming_ = nullptr;
    // The socket file this instance made, so that it removes its own file only.
    dev_t fileDevice_ = 0;
    ino_t fileInode_ = 0;
    RequestHandler handler_;
};
