// Unix stream sockets at an InstanceAddress, in plain POSIX: non-blocking descriptors whose waits
// are bounded by deadlines. Both ends of the single-instance socket use them, so neither the
// program nor talvorectl loads QtNetwork (and the Kerberos and proxy libraries it brings).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDeadlineTimer>

struct InstanceAddress;

class LocalSocket {
public:
    LocalSocket() = default;
    // Takes over a connected descriptor (one that Accept() gave).
    explicit LocalSocket(int descriptor) : fd_(descriptor) {}
    LocalSocket(LocalSocket&& other) noexcept : fd_(other.Release()) {}
    LocalSocket& operator=(LocalSocket&& other) noexcept;
    LocalSocket(const LocalSocket&) = delete;
    LocalSocket& operator=(const LocalSocket&) = delete;
    ~LocalSocket() { Close(); }

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    void Close();

    enum class Connected { Yes, NobodyListens, Busy };
    // Connects without blocking; a listener whose queue is full is tried again until the
    // deadline.
    Connected Connect(const InstanceAddress& address, const QDeadlineTimer& deadline);

    // Sends every byte before the deadline; false when the other end went or time ran out.
    bool WriteAll(QByteArrayView bytes, const QDeadlineTimer& deadline);
    // Appends what has come to `buffer`, waiting for it until the deadline; false when the
    // connection ended or nothing came in time.
    bool ReadMore(QByteArray& buffer, const QDeadlineTimer& deadline);
    enum class Read { Some, NothingYet, Ended };
    // Appends what has come without waiting.
    Read ReadAvailable(QByteArray& buffer);

    enum class Listened { Yes, InUse, Failed };
    // Binds the address and listens. A path is made readable and writable by this user only;
    // InUse when a socket file or abstract name is already there (alive or left by a crash).
    Listened Listen(const InstanceAddress& address);
    // The next waiting connection, or a closed socket when none waits.
    LocalSocket Accept();

private:
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    bool WaitFor(short events, const QDeadlineTimer& deadline) const;

    int fd_ = -1;
};
