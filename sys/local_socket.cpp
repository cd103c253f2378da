#include "sys/local_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include <QFile>
#include <QtGlobal>

#include "sys/instance_channel.h"

namespace {

constexpr int kListenBacklog = 16;

int NewSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

// The socket address of `address`, and the lengths under which it may be bound: a path by its
// length; an abstract name (a leading NUL) too, but Qt before 6.6 bound it on the whole
// zero-padded sun_path, and programs built on such a Qt still do.
struct SocketAddress {
    sockaddr_un where{};
    socklen_t exact = 0;
    bool abstractNamespace = false;

    std::vector<socklen_t> Lengths() const {
        std::vector<socklen_t> lengths{exact};
        if (abstractNamespace) {
            lengths.push_back(sizeof where);
        }
        return lengths;
    }
    // What our own Qt's QLocalServer bound, so that builds before ours reach us too.
    socklen_t ListenLength() const {
#if QT_VERSION < QT_VERSION_CHECK(6, 6, 0)
        return abstractNamespace ? socklen_t{sizeof where} : exact;
#else
        return exact;
#endif
    }
    const sockaddr* Raw() const { return reinterpret_cast<const sockaddr*>(&where); }
};

std::optional<SocketAddress> SocketAddressOf(const InstanceAddress& address) {
    const QByteArray name = QFile::encodeName(address.name);
    const std::size_t lead = address.abstractNamespace ? 1 : 0;
    SocketAddress socket;
    socket.where.sun_family = AF_UNIX;
    socket.abstractNamespace = address.abstractNamespace;
    if (name.isEmpty() || name.contains('\0') ||
        lead + static_cast<std::size_t>(name.size()) >= sizeof socket.where.sun_path) {
        return std::nullopt;
    }
    std::memcpy(socket.where.sun_path + lead, name.constData(),
                static_cast<std::size_t>(name.size()));
    socket.exact = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + lead +
                                          static_cast<std::size_t>(name.size()));
    return socket;
}

}  // namespace

LocalSocket& LocalSocket::operator=(LocalSocket&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.Release();
    }
    return *this;
}

void LocalSocket::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

LocalSocket::Connected LocalSocket::Connect(const InstanceAddress& address,
                                            const QDeadlineTimer& deadline) {
    const std::optional<SocketAddress> where = SocketAddressOf(address);
    if (!where) {
        return Connected::NobodyListens;
    }
    for (;;) {
        bool busy = false;
        for (socklen_t length : where->Lengths()) {
            Close();
            fd_ = NewSocket();
            if (fd_ < 0) {
                return Connected::NobodyListens;
            }
            if (::connect(fd_, where->Raw(), length) == 0) {
                return Connected::Yes;
            }
            busy = busy || errno == EAGAIN;
        }
        Close();
        if (!busy || deadline.hasExpired()) {
            return busy ? Connected::Busy : Connected::NobodyListens;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool LocalSocket::WriteAll(QByteArrayView bytes, const QDeadlineTimer& deadline) {
    while (!bytes.isEmpty()) {
        const ssize_t sent =
            ::send(fd_, bytes.data(), static_cast<std::size_t>(bytes.size()), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes = bytes.sliced(sent);
        } else if ((sent < 0 && errno != EAGAIN && errno != EINTR) ||
                   !WaitFor(POLLOUT, deadline)) {
            return false;
        }
    }
    return true;
}

bool LocalSocket::ReadMore(QByteArray& buffer, const QDeadlineTimer& deadline) {
    for (;;) {
        switch (ReadAvailable(buffer)) {
            case Read::Some:
                return true;
            case Read::Ended:
                return false;
            case Read::NothingYet:
                break;
        }
        if (!WaitFor(POLLIN, deadline)) {
            return false;
        }
    }
}

LocalSocket::Read LocalSocket::ReadAvailable(QByteArray& buffer) {
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got > 0) {
            buffer.append(chunk, got);
            return Read::Some;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got < 0 && errno == EAGAIN ? Read::NothingYet : Read::Ended;
    }
}

LocalSocket::Listened LocalSocket::Listen(const InstanceAddress& address) {
    Close();
    const std::optional<SocketAddress> where = SocketAddressOf(address);
    if (!where) {
        return Listened::Failed;
    }
    fd_ = NewSocket();
    if (fd_ < 0) {
        return Listened::Failed;
    }
    if (::bind(fd_, where->Raw(), where->ListenLength()) != 0) {
        const bool inUse = errno == EADDRINUSE;
        Close();
        return inUse ? Listened::InUse : Listened::Failed;
    }
    // The runtime folder is closed to others already; the socket itself is too.
    if ((!address.abstractNamespace &&
         ::chmod(QFile::encodeName(address.name).constData(), S_IRUSR | S_IWUSR) != 0) ||
        ::listen(fd_, kListenBacklog) != 0) {
        Close();
        return Listened::Failed;
    }
    return Listened::Yes;
}

LocalSocket LocalSocket::Accept() {
    for (;;) {
        const int connection = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection >= 0 || errno != EINTR) {
            return LocalSocket(connection);
        }
    }
}

bool LocalSocket::WaitFor(short events, const QDeadlineTimer& deadline) const {
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
