#include "sys/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcInstance, "talvore.instance")

// What a second start sends: "show", or "show <activation token>", and a newline; anything else
// on the socket is ignored.
constexpr char kShowRequest[] = "show";
// Tokens are short (compositors use a UUID or a few dozen characters); a line never grows past.
constexpr qint64 kMaxRequestLine = 512;
// A running instance answers a local connection at once; these only bound a hung one.
constexpr int kConnectTimeoutMs = 1000;
constexpr int kWriteTimeoutMs = 1000;

// The runtime folder of the user running us, or empty when $XDG_RUNTIME_DIR is unset or not a
// folder that belongs to us alone.
QString PrivateRuntimeFolder() {
    const QString folder = QFile::decodeName(qgetenv("XDG_RUNTIME_DIR"));
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) {
        return {};
    }
    struct stat info {};
    if (stat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != getuid() || (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        return {};
    }
    return QDir::cleanPath(folder);
}

}  // namespace

SingleInstance::SingleInstance(const QString& instanceName, QObject* parent)
    : QObject(parent), address_(AddressFor(instanceName)) {}

SingleInstance::~SingleInstance() = default;

SingleInstance::Address SingleInstance::AddressFor(const QString& instanceName) {
    const QString runtime = PrivateRuntimeFolder();
    if (!runtime.isEmpty()) {
        const QString path = runtime + QLatin1Char('/') + instanceName;
        // A path that does not fit a socket address would make every start the first.
        if (QFile::encodeName(path).size() <
            static_cast<qsizetype>(sizeof(sockaddr_un::sun_path))) {
            return {path, false};
        }
    }
    return {instanceName + QLatin1Char('-') + QString::number(getuid()), true};
}

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
    if (!token.isEmpty() && token.size() < kMaxRequestLine - 8 && !token.contains('\n') &&
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
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequestLine) {
                    socket->abort();  // not one of ours
                }
                return;
            }
            QByteArray line = socket->readLine(kMaxRequestLine + 1);
            socket->disconnectFromServer();
            if (!line.endsWith('\n')) {
                return;  // longer than any request of ours
            }
            line.chop(1);
            const QByteArray withToken = QByteArray(kShowRequest) + ' ';
            if (line == kShowRequest) {
                Q_EMIT SecondStart(QString());
            } else if (line.startsWith(withToken) && line.size() > withToken.size()) {
                Q_EMIT SecondStart(QString::fromUtf8(line.mid(withToken.size())));
            }
        });
    }
}
