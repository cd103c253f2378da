#include "sys/single_instance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QFile>
#include <QLoggingCategory>
#include <QPointer>
#include <QSocketNotifier>

namespace {

Q_LOGGING_CATEGORY(lcInstance, "talvore.instance")

// Tokens are short (compositors use a UUID or a few dozen characters); a line never grows past.
constexpr qsizetype kMaxShowLine = 512;
// A running instance answers a local connection at once; these only bound a hung one.
constexpr int kConnectTimeoutMs = 1000;
constexpr int kWriteTimeoutMs = 1000;

}  // namespace

// One connection of a later start or of talvorectl, read as its bytes come.
class SingleInstance::Connection final : public QObject {
public:
    Connection(LocalSocket socket, QObject* parent)
        : QObject(parent), socket_(std::move(socket)),
          readable_(socket_.Descriptor(), QSocketNotifier::Read, this) {}

    LocalSocket& Socket() { return socket_; }
    QSocketNotifier& Readable() { return readable_; }
    bool Ended() const { return !socket_.IsOpen(); }
    // Nothing more is read or written; the object goes when control is back in the event loop.
    void End() {
        readable_.setEnabled(false);
        socket_.Close();
        deleteLater();
    }
    // Sends the last message and ends the connection.
    void SendAndEnd(const InstanceReply& reply) {
        socket_.WriteAll(Frame(EncodeReply(reply)), QDeadlineTimer(kWriteTimeoutMs));
        End();
    }

    QByteArray received;

private:
    LocalSocket socket_;
    QSocketNotifier readable_;
};

SingleInstance::SingleInstance(const QString& instanceName, QObject* parent)
    : QObject(parent), address_(AddressFor(instanceName)) {}

SingleInstance::~SingleInstance() {
    delete incoming_;
    listener_.Close();
    // The socket file goes with the instance that made it, never a later instance's file.
    if (fileInode_ != 0) {
        const QByteArray path = QFile::encodeName(address_.name);
        struct stat info {};
        if (::lstat(path.constData(), &info) == 0 && info.st_dev == fileDevice_ &&
            info.st_ino == fileInode_) {
            ::unlink(path.constData());
        }
    }
}

bool SingleInstance::SignalRunningInstance() const {
    LocalSocket socket;
    // An abstract name can be taken by anyone: only a program of this user is told to show.
    if (socket.Connect(address_, QDeadlineTimer(kConnectTimeoutMs)) != LocalSocket::Connected::Yes ||
        !PeerIsThisUser(socket.Descriptor())) {
        return false;
    }
    // The token is the launcher's gift to this start; the running instance makes use of it.
    QByteArray request(kShowRequest);
    const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (!token.isEmpty() && token.size() < kMaxShowLine - 8 && !token.contains('\n') &&
        !token.contains(' ')) {
        request += ' ' + token;
    }
    return socket.WriteAll(request + '\n', QDeadlineTimer(kWriteTimeoutMs));
}

SingleInstance::Role SingleInstance::Start() {
    if (incoming_ != nullptr) {
        return Role::First;
    }
    if (SignalRunningInstance()) {
        return Role::Second;
    }
    LocalSocket::Listened listened = listener_.Listen(address_);
    if (listened == LocalSocket::Listened::InUse) {
        // Either another instance began listening a moment ago, or nobody answers on a socket
        // left by an instance that crashed (an abstract name goes with its process).
        if (SignalRunningInstance()) {
            return Role::Second;
        }
        if (!address_.abstractNamespace) {
            ::unlink(QFile::encodeName(address_.name).constData());
            listened = listener_.Listen(address_);
        }
    }
    if (listened != LocalSocket::Listened::Yes) {
        // Without the socket the program runs unguarded as the first instance.
        qCWarning(lcInstance) << "cannot guard the single instance at" << address_.name << ":"
                              << std::strerror(errno);
        return Role::First;
    }
    WatchConnections();
    return Role::First;
}

void SingleInstance::WatchConnections() {
    struct stat info {};
    if (!address_.abstractNamespace &&
        ::lstat(QFile::encodeName(address_.name).constData(), &info) == 0) {
        fileDevice_ = info.st_dev;
        fileInode_ = info.st_ino;
    }
    incoming_ = new QSocketNotifier(listener_.Descriptor(), QSocketNotifier::Read, this);
    connect(incoming_, &QSocketNotifier::activated, this, &SingleInstance::AcceptConnections);
}

void SingleInstance::AcceptConnections() {
    for (LocalSocket socket = listener_.Accept(); socket.IsOpen(); socket = listener_.Accept()) {
        auto* connection = new Connection(std::move(socket), this);
        connect(&connection->Readable(), &QSocketNotifier::activated, this,
                [this, connection] { OnReadable(connection); });
    }
}

void SingleInstance::OnReadable(Connection* connection) {
    if (connection->Ended()) {
        return;  // already answered
    }
    LocalSocket::Read read = LocalSocket::Read::Some;
    while (read == LocalSocket::Read::Some) {
        read = connection->Socket().ReadAvailable(connection->received);
    }
    const QByteArray& received = connection->received;
    const QByteArray request(kCommandRequestLine);
    if (received.startsWith(request)) {
        QByteArray frame = received.mid(request.size());
        QByteArray payload;
        switch (TakeFrame(frame, payload)) {
            case FrameState::Incomplete:
                break;
            case FrameState::Bad:
                connection->End();
                return;
            case FrameState::Whole:
                AnswerRequest(connection, payload);
                return;
        }
    } else if (!request.startsWith(received)) {
        TakeShowLine(connection);
    }
    if (read == LocalSocket::Read::Ended && !connection->Ended()) {
        connection->End();  // gone before saying anything whole
    }
}

void SingleInstance::TakeShowLine(Connection* connection) {
    const QByteArray& received = connection->received;
    const QByteArray show(kShowRequest);
    if (!received.startsWith(show) && !show.startsWith(received)) {
        connection->End();  // not one of ours
        return;
    }
    const qsizetype end = received.indexOf('\n');
    if (end < 0) {
        if (received.size() > kMaxShowLine) {
            connection->End();  // longer than any request of ours
        }
        return;
    }
    const QByteArray line = received.left(end);
    connection->End();
    if (line == show) {
        Q_EMIT SecondStart(QString());
    } else if (line.startsWith(show + ' ') && line.size() > show.size() + 1) {
        Q_EMIT SecondStart(QString::fromUtf8(line.mid(show.size() + 1)));
    }
}

void SingleInstance::AnswerRequest(Connection* connection, const QByteArray& payload) {
    // A name in the abstract namespace can be reached by anyone: only this user gives commands.
    if (!PeerIsThisUser(connection->Socket().Descriptor())) {
        connection->End();
        return;
    }
    // One request per connection: whatever else comes is not read.
    connection->Readable().setEnabled(false);
    const std::optional<InstanceRequest> request = DecodeRequest(payload);
    InstanceReply reply;
    if (!request) {
        reply.error = QStringLiteral("the program did not understand the request");
    } else if (request->Expired()) {
        // The client has given up waiting, and takes it that nothing was done.
        reply.error = QStringLiteral("the request came too late; nothing was changed");
    } else if (!handler_) {
        reply.error = QStringLiteral("this program takes no commands; nothing was changed");
    } else {
        const QPointer<Connection> alive(connection);
        // A client that went away makes the write fail: then nothing is to be done.
        const Accept accept = [alive, deadline = request->deadlineNs] {
            return !alive.isNull() && !alive->Ended() && SteadyNowNs() <= deadline &&
                   alive->Socket().WriteAll(Frame(EncodeAccepted()),
                                            QDeadlineTimer(kWriteTimeoutMs));
        };
        reply = handler_(*request, accept);
        if (alive.isNull() || alive->Ended()) {
            return;
        }
    }
    connection->SendAndEnd(reply);
}
