#include "sys/single_instance.h"

#include <memory>

#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QPointer>

namespace {

Q_LOGGING_CATEGORY(lcInstance, "talvore.instance")

// Tokens are short (compositors use a UUID or a few dozen characters); a line never grows past.
constexpr qsizetype kMaxShowLine = 512;
// A running instance answers a local connection at once; these only bound a hung one.
constexpr int kConnectTimeoutMs = 1000;
constexpr int kWriteTimeoutMs = 1000;

void SendAndClose(QLocalSocket* socket, const InstanceReply& reply) {
    socket->write(Frame(EncodeReply(reply)));
    socket->disconnectFromServer();  // after what is still to be written
}

}  // namespace

SingleInstance::SingleInstance(const QString& instanceName, QObject* parent)
    : QObject(parent), address_(AddressFor(instanceName)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::SignalRunningInstance() const {
    QLocalSocket socket;
    if (address_.abstractNamespace) {
        socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    }
    socket.connectToServer(address_.name);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return false;
    }
    // The token is the launcher's gift to this start; the running instance makes use of it.
    QByteArray request(kShowRequest);
    const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (!token.isEmpty() && token.size() < kMaxShowLine - 8 && !token.contains('\n') &&
        !token.contains(' ')) {
        request += ' ' + token;
    }
    socket.write(request + '\n');
    const bool sent = socket.waitForBytesWritten(kWriteTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(kWriteTimeoutMs);
    }
    return sent;
}

SingleInstance::Role SingleInstance::Start() {
    if (server_ != nullptr) {
        return Role::First;
    }
    if (SignalRunningInstance()) {
        return Role::Second;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(address_.abstractNamespace ? QLocalServer::AbstractNamespaceOption
                                                         : QLocalServer::UserAccessOption);
    if (!server_->listen(address_.name)) {
        // Either another instance began listening a moment ago, or nobody answers on a
        // socket left by an instance that crashed (an abstract name goes with its process).
        if (SignalRunningInstance()) {
            delete server_;
            server_ = nullptr;
            return Role::Second;
        }
        if (!address_.abstractNamespace) {
            QLocalServer::removeServer(address_.name);
        }
        if (address_.abstractNamespace || !server_->listen(address_.name)) {
            qCWarning(lcInstance) << "cannot guard the single instance:" << server_->errorString();
            return Role::First;
        }
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::AcceptConnections);
    return Role::First;
}

void SingleInstance::AcceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto received = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this,
                [this, socket, received] { OnReadable(socket, *received); });
    }
}

void SingleInstance::OnReadable(QLocalSocket* socket, QByteArray& received) {
    if (socket->state() != QLocalSocket::ConnectedState) {
        return;  // already answered
    }
    received += socket->readAll();
    const QByteArray request(kCommandRequestLine);
    if (!received.startsWith(request)) {
        if (!request.startsWith(received)) {
            TakeShowLine(socket, received);
        }
        return;
    }
    QByteArray frame = received.mid(request.size());
    QByteArray payload;
    switch (TakeFrame(frame, payload)) {
        case FrameState::Incomplete:
            return;
        case FrameState::Bad:
            socket->abort();
            return;
        case FrameState::Whole:
            received.clear();
            AnswerRequest(socket, payload);
            return;
    }
}

void SingleInstance::TakeShowLine(QLocalSocket* socket, const QByteArray& received) {
    const QByteArray show(kShowRequest);
    if (!received.startsWith(show) && !show.startsWith(received)) {
        socket->abort();  // not one of ours
        return;
    }
    const qsizetype end = received.indexOf('\n');
    if (end < 0) {
        if (received.size() > kMaxShowLine) {
            socket->abort();  // longer than any request of ours
        }
        return;
    }
    const QByteArray line = received.left(end);
    socket->disconnectFromServer();
    if (line == show) {
        Q_EMIT SecondStart(QString());
    } else if (line.startsWith(show + ' ') && line.size() > show.size() + 1) {
        Q_EMIT SecondStart(QString::fromUtf8(line.mid(show.size() + 1)));
    }
}

void SingleInstance::AnswerRequest(QLocalSocket* socket, const QByteArray& payload) {
    // A name in the abstract namespace can be reached by anyone: only this user gives commands.
    if (!PeerIsThisUser(socket->socketDescriptor())) {
        socket->abort();
        return;
    }
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
        const QPointer<QLocalSocket> alive(socket);
        const Accept accept = [socket, alive, deadline = request->deadlineNs] {
            if (alive.isNull() || SteadyNowNs() > deadline ||
                socket->state() != QLocalSocket::ConnectedState) {
                return false;
            }
            socket->write(Frame(EncodeAccepted()));
            return socket->waitForBytesWritten(kWriteTimeoutMs) &&
                   socket->state() == QLocalSocket::ConnectedState;
        };
        reply = handler_(*request, accept);
        if (alive.isNull()) {
            return;
        }
    }
    SendAndClose(socket, reply);
}
