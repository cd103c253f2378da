#include "sys/single_instance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcInstance, "talvore.instance")

// What a second start sends; anything else on the socket is ignored.
constexpr char kShowRequest[] = "show\n";
// A running instance answers a local connection at once; these only bound a hung one.
constexpr int kConnectTimeoutMs = 1000;
constexpr int kWriteTimeoutMs = 1000;

}  // namespace

SingleInstance::SingleInstance(const QString& instanceName, QObject* parent)
    : QObject(parent), serverName_(ServerNameFor(instanceName)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::ServerNameFor(const QString& instanceName) {
    return instanceName + QStringLiteral("-") + QString::number(getuid());
}

bool SingleInstance::SignalRunningInstance() const {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return false;
    }
    socket.write(kShowRequest);
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
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverName_)) {
        // Either another instance began listening a moment ago, or nobody answers on a
        // socket left by an instance that crashed.
        if (SignalRunningInstance()) {
            delete server_;
            server_ = nullptr;
            return Role::Second;
        }
        QLocalServer::removeServer(serverName_);
        if (!server_->listen(serverName_)) {
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
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > 64) {
                    socket->abort();  // not one of ours
                }
                return;
            }
            const QByteArray line = socket->readLine(64);
            socket->disconnectFromServer();
            if (line == kShowRequest) {
                Q_EMIT SecondStart();
            }
        });
    }
}
