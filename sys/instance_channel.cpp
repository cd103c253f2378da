#include "sys/instance_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <thread>
#include <vector>

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QtEndian>

namespace {

// The acceptance leaves the program the moment it decides; this only covers the way here.
constexpr qint64 kAcceptanceGraceMs = 2000;
// Once accepted, an operation waits for the store's lock (10 s at most) and writes the stores.
constexpr qint64 kReplyWaitMs = 120000;

const QString kCommandKey = QStringLiteral("command");
const QString kArgsKey = QStringLiteral("args");
const QString kDataFolderKey = QStringLiteral("dataFolder");
const QString kDeadlineKey = QStringLiteral("deadline");
const QString kAcceptedKey = QStringLiteral("accepted");
const QString kExitKey = QStringLiteral("exit");
const QString kOutKey = QStringLiteral("out");
const QString kErrorKey = QStringLiteral("error");

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

std::optional<QCborMap> MapOf(const QByteArray& payload) {
    QCborParserError error;
    const QCborValue value = QCborValue::fromCbor(payload, &error);
    if (error.error != QCborError::NoError || !value.isMap()) {
        return std::nullopt;
    }
    return value.toMap();
}

// The client's end of the socket: plain POSIX, so that talvorectl needs no QtNetwork. The
// program's end is a QLocalServer (sys/single_instance).
class ClientSocket {
public:
    ClientSocket() = default;
    ClientSocket(const ClientSocket&) = delete;
    ClientSocket& operator=(const ClientSocket&) = delete;
    ~ClientSocket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    enum class Connected { Yes, NobodyListens, Busy };
    // Connects without blocking; a listener whose queue is full is tried again until the
    // deadline.
    Connected Connect(const InstanceAddress& address, const QDeadlineTimer& deadline) {
        const QByteArray name = QFile::encodeName(address.name);
        const std::size_t lead = address.abstractNamespace ? 1 : 0;
        sockaddr_un where{};
        where.sun_family = AF_UNIX;
        if (name.isEmpty() || lead + static_cast<std::size_t>(name.size()) >= sizeof where.sun_path) {
            return Connected::NobodyListens;
        }
        std::memcpy(where.sun_path + lead, name.constData(), static_cast<std::size_t>(name.size()));
        const auto exact =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + lead + name.size());
        // An abstract name is taken by its length: Qt before 6.6 listens on the whole zero-padded
        // sun_path, later versions on the name alone. Both are tried.
        std::vector<socklen_t> lengths{exact};
        if (address.abstractNamespace) {
            lengths.push_back(sizeof where);
        }
        for (;;) {
            bool busy = false;
            for (socklen_t length : lengths) {
                Reopen();
                if (fd_ < 0) {
                    return Connected::NobodyListens;
                }
                if (::connect(fd_, reinterpret_cast<const sockaddr*>(&where), length) == 0) {
                    return Connected::Yes;
                }
                busy = busy || errno == EAGAIN;
            }
            if (!busy || deadline.hasExpired()) {
                return busy ? Connected::Busy : Connected::NobodyListens;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    int Descriptor() const { return fd_; }

    // Sends every byte before the deadline; false when the other end went or time ran out.
    bool WriteAll(QByteArrayView bytes, const QDeadlineTimer& deadline) {
        while (!bytes.isEmpty()) {
            const ssize_t sent = ::send(fd_, bytes.data(), static_cast<std::size_t>(bytes.size()),
                                        MSG_NOSIGNAL);
            if (sent > 0) {
                bytes = bytes.sliced(sent);
            } else if ((sent < 0 && errno != EAGAIN && errno != EINTR) ||
                       !WaitFor(POLLOUT, deadline)) {
                return false;
            }
        }
        return true;
    }

    // Appends what has come to `buffer`, waiting for it until the deadline; false when the
    // connection ended or nothing came in time.
    bool ReadMore(QByteArray& buffer, const QDeadlineTimer& deadline) {
        char chunk[4096];
        for (;;) {
            const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
            if (got > 0) {
                buffer.append(chunk, got);
                return true;
            }
            if (got == 0 || (errno != EAGAIN && errno != EINTR) || !WaitFor(POLLIN, deadline)) {
                return false;
            }
        }
    }

private:
    void Reopen() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    }

    bool WaitFor(short events, const QDeadlineTimer& deadline) const {
        for (;;) {
            pollfd entry{fd_, events, 0};
            const int ready = ::poll(&entry, 1, static_cast<int>(deadline.remainingTime()));
            if (ready > 0) {
                return true;
            }
            if (ready == 0 || errno != EINTR) {
                return false;
            }
        }
    }

    int fd_ = -1;
};

// The next message of the program, or nothing when none came whole before the deadline.
std::optional<ProgramMessage> NextMessage(ClientSocket& socket, QByteArray& buffer,
                                          const QDeadlineTimer& deadline) {
    for (;;) {
        QByteArray payload;
        switch (TakeFrame(buffer, payload)) {
            case FrameState::Whole:
                return DecodeProgramMessage(payload);
            case FrameState::Bad:
                return std::nullopt;
            case FrameState::Incomplete:
                break;
        }
        if (!socket.ReadMore(buffer, deadline)) {
            return std::nullopt;
        }
    }
}

}  // namespace

InstanceAddress InstanceAddressFor(const QString& instanceName) {
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

bool InstanceRequest::Expired() const {
    return SteadyNowNs() > deadlineNs;
}

qint64 SteadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QByteArray Frame(const QByteArray& payload) {
    QByteArray frame(4, '\0');
    qToBigEndian(static_cast<quint32>(payload.size()), frame.data());
    return frame + payload;
}

FrameState TakeFrame(QByteArray& buffer, QByteArray& payload) {
    if (buffer.size() < 4) {
        return FrameState::Incomplete;
    }
    const quint32 length = qFromBigEndian<quint32>(buffer.constData());
    if (length > static_cast<quint32>(kMaxFrameBytes)) {
        return FrameState::Bad;
    }
    if (buffer.size() < 4 + static_cast<qsizetype>(length)) {
        return FrameState::Incomplete;
    }
    payload = buffer.mid(4, static_cast<qsizetype>(length));
    buffer.remove(0, 4 + static_cast<qsizetype>(length));
    return FrameState::Whole;
}

QByteArray EncodeRequest(const InstanceRequest& request) {
    QCborArray args;
    for (const QByteArray& arg : request.args) {
        args.append(arg);
    }
    QCborMap map;
    map.insert(kCommandKey, request.command);
    map.insert(kArgsKey, args);
    map.insert(kDataFolderKey, request.dataFolder);
    map.insert(kDeadlineKey, request.deadlineNs);
    return map.toCborValue().toCbor();
}

std::optional<InstanceRequest> DecodeRequest(const QByteArray& payload) {
    const std::optional<QCborMap> map = MapOf(payload);
    if (!map || !map->value(kCommandKey).isString() || !map->value(kArgsKey).isArray() ||
        !map->value(kDataFolderKey).isByteArray() || !map->value(kDeadlineKey).isInteger()) {
        return std::nullopt;
    }
    InstanceRequest request;
    request.command = map->value(kCommandKey).toString();
    for (const QCborValue& arg : map->value(kArgsKey).toArray()) {
        if (!arg.isByteArray()) {
            return std::nullopt;
        }
        request.args.append(arg.toByteArray());
    }
    request.dataFolder = map->value(kDataFolderKey).toByteArray();
    request.deadlineNs = map->value(kDeadlineKey).toInteger();
    return request;
}

QByteArray EncodeAccepted() {
    QCborMap map;
    map.insert(kAcceptedKey, true);
    return map.toCborValue().toCbor();
}

QByteArray EncodeReply(const InstanceReply& reply) {
    QCborMap map;
    map.insert(kExitKey, reply.exitCode);
    map.insert(kOutKey, QCborArray::fromStringList(reply.out));
    map.insert(kErrorKey, reply.error);
    return map.toCborValue().toCbor();
}

std::optional<ProgramMessage> DecodeProgramMessage(const QByteArray& payload) {
    const std::optional<QCborMap> map = MapOf(payload);
    if (!map) {
        return std::nullopt;
    }
    ProgramMessage message;
    if (map->value(kAcceptedKey).isTrue()) {
        message.accepted = true;
        return message;
    }
    if (!map->value(kExitKey).isInteger() || !map->value(kOutKey).isArray() ||
        !map->value(kErrorKey).isString()) {
        return std::nullopt;
    }
    message.reply.exitCode = static_cast<int>(map->value(kExitKey).toInteger());
    for (const QCborValue& line : map->value(kOutKey).toArray()) {
        message.reply.out.append(line.toString());
    }
    message.reply.error = map->value(kErrorKey).toString();
    return message;
}

bool PeerIsThisUser(qintptr socketDescriptor) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &credentials,
                        &size) == 0 &&
           credentials.uid == ::getuid();
}

HandOver SendInstanceRequest(const InstanceAddress& address, const InstanceRequest& request,
                             InstanceReply& reply) {
    const qint64 leftMs = (request.deadlineNs - SteadyNowNs()) / 1000000;
    const QDeadlineTimer acceptance(std::max<qint64>(0, leftMs) + kAcceptanceGraceMs);
    ClientSocket socket;
    switch (socket.Connect(address, acceptance)) {
        case ClientSocket::Connected::Yes:
            break;
        case ClientSocket::Connected::NobodyListens:
            return HandOver::NotListening;
        case ClientSocket::Connected::Busy:
            return HandOver::NotAccepted;
    }
    // An abstract name can be taken by anyone; only a program of this user gets the request.
    if (!PeerIsThisUser(socket.Descriptor())) {
        return HandOver::NotListening;
    }
    if (!socket.WriteAll(QByteArray(kCommandRequestLine) + Frame(EncodeRequest(request)),
                         acceptance)) {
        return HandOver::NotAccepted;
    }
    QByteArray buffer;
    const std::optional<ProgramMessage> first = NextMessage(socket, buffer, acceptance);
    if (!first) {
        return HandOver::NotAccepted;
    }
    if (!first->accepted) {
        reply = first->reply;  // refused without being begun
        return HandOver::Answered;
    }
    const std::optional<ProgramMessage> last =
        NextMessage(socket, buffer, QDeadlineTimer(kReplyWaitMs));
    if (!last || last->accepted) {
        return HandOver::Lost;
    }
    reply = last->reply;
    return HandOver::Answered;
}
