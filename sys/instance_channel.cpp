#include "sys/instance_channel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QtEndian>

#include "sys/local_socket.h"

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

// The next message of the program, or nothing when none came whole before the deadline.
std::optional<ProgramMessage> NextMessage(LocalSocket& socket, QByteArray& buffer,
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
    LocalSocket socket;
    switch (socket.Connect(address, acceptance)) {
        case LocalSocket::Connected::Yes:
            break;
        case LocalSocket::Connected::NobodyListens:
            return HandOver::NotListening;
        case LocalSocket::Connected::Busy:
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
