#include "sys/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>

#include "sys/printable_text.h"

namespace {

// Retries a system call that a signal interrupted.
template <class Call>
auto RetryOnInterrupt(Call call) {
    for (;;) {
        const auto result = call();
        if (result != -1 || errno != EINTR) {
            return result;
        }
    }
}

bool StatPath(const NativePath& path, struct stat& info) {
    return ::stat(path.CStr(), &info) == 0;
}

bool WriteAllBytes(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t written =
            RetryOnInterrupt([&] { return ::write(fd, data, static_cast<size_t>(size)); });
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// A QIODevice over a file descriptor that writes through at once, so that every failure (a full
// disk, a file size limit) is the result of the write that met it.
class DescriptorWriter final : public QIODevice {
public:
    explicit DescriptorWriter(int fd) : fd_(fd) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    bool Failed() const { return failed_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (failed_ || !WriteAllBytes(fd_, data, size)) {
            failed_ = true;
            return -1;
        }
        return size;
    }

private:
    int fd_;
    bool failed_ = false;
};

constexpr char kTemporaryMarker[] = ".talvore-tmp.";

// The process id in a temporary file's name, or 0 when the name is not one of ours.
pid_t WriterOf(const QByteArray& name) {
    if (!name.startsWith('.')) {
        return 0;
    }
    const qsizetype marker = name.lastIndexOf(kTemporaryMarker);
    if (marker < 0) {
        return 0;
    }
    const qsizetype start = marker + qsizetype(sizeof kTemporaryMarker) - 1;
    const qsizetype end = name.indexOf('.', start);
    bool ok = false;
    const long pid = name.mid(start, end < 0 ? -1 : end - start).toLong(&ok, 10);
    return ok && pid > 0 ? static_cast<pid_t>(pid) : 0;
}

bool ProcessGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Opens a new temporary file beside `target`, with the permissions of the file it replaces, else
// those of `permissionsOf`, else those a new file gets (0666 less the umask).
int CreateTemporaryBeside(const NativePath& target, const NativePath& permissionsOf,
                          NativePath& temporary) {
    struct stat existing {};
    const bool keepMode = StatPath(target, existing) ||
                          (!permissionsOf.IsEmpty() && StatPath(permissionsOf, existing));
    const NativePath folder = target.Folder();
    const QByteArray prefix =
        TemporaryFilePrefix(target.FileName()) + QByteArray::number(::getpid()) + '.';
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray suffix = QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        temporary = folder.Child(prefix + suffix);
        const int fd = RetryOnInterrupt([&] {
            return ::open(temporary.CStr(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                          0666);
        });
        if (fd >= 0) {
            if (keepMode) {
                ::fchmod(fd, existing.st_mode & 07777);
            }
            return fd;
        }
        if (errno != EEXIST) {
            return -1;
        }
    }
    return -1;
}

}  // namespace

NativePath::NativePath(const QString& path) : bytes_(QFile::encodeName(path)) {}

NativePath NativePath::FromBytes(QByteArray bytes) {
    NativePath path;
    path.bytes_ = std::move(bytes);
    return path;
}

QString NativePath::Display() const {
    return PrintableFileName(bytes_);
}

QString NativePath::ToQString() const {
    return QFile::decodeName(bytes_);
}

NativePath NativePath::Folder() const {
    QByteArray bytes = bytes_;
    while (bytes.size() > 1 && bytes.endsWith('/')) {
        bytes.chop(1);
    }
    const qsizetype slash = bytes.lastIndexOf('/');
    if (slash < 0) {
        return FromBytes(".");
    }
    return FromBytes(slash == 0 ? QByteArray("/") : bytes.left(slash));
}

QByteArray NativePath::FileName() const {
    QByteArray bytes = bytes_;
    while (bytes.size() > 1 && bytes.endsWith('/')) {
        bytes.chop(1);
    }
    return bytes.mid(bytes.lastIndexOf('/') + 1);
}

NativePath NativePath::Child(const QByteArray& name) const {
    if (bytes_.isEmpty()) {
        return FromBytes(name);
    }
    return FromBytes(bytes_.endsWith('/') ? bytes_ + name : bytes_ + '/' + name);
}

QString DescribeFileError(FileError error, const NativePath& path) {
    const QString name = path.Display();
    switch (error) {
        case FileError::None:
            return {};
        case FileError::Missing:
            return QStringLiteral("%1 does not exist").arg(name);
        case FileError::NotRegular:
            return QStringLiteral("%1 is not a regular file (a folder, FIFO or device)").arg(name);
        case FileError::TooLarge:
            return QStringLiteral("%1 is too large to be a file of this kind").arg(name);
        case FileError::Unreadable:
            return QStringLiteral("cannot read %1").arg(name);
        case FileError::Unwritable:
            return QStringLiteral("cannot write %1").arg(name);
        case FileError::IsStore:
            return QStringLiteral("%1 is one of talvore's own store files; choose another file")
                .arg(name);
        case FileError::ReadOnly:
            return QStringLiteral("%1 is read-only").arg(name);
        case FileError::Busy:
            return QStringLiteral("%1 is in use by another writer and did not come free in time")
                .arg(name);
    }
    return {};
}

RegularFileReader::~RegularFileReader() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

FileError RegularFileReader::Open(const NativePath& path, qint64 maxSize) {
    struct stat info {};
    if (!StatPath(path, info)) {
        return errno == ENOENT || errno == ENOTDIR ? FileError::Missing : FileError::Unreadable;
    }
    if (!S_ISREG(info.st_mode)) {
        return FileError::NotRegular;
    }
    // O_NONBLOCK: should a FIFO take the file's place after the look above, opening it does not
    // wait for a writer; the second look below then refuses it.
    const int fd = RetryOnInterrupt(
        [&] { return ::open(path.CStr(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK); });
    if (fd < 0) {
        return FileError::Unreadable;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return FileError::NotRegular;
    }
    if (maxSize >= 0 && info.st_size > maxSize) {
        ::close(fd);
        return FileError::TooLarge;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = fd;
    size_ = info.st_size;
    return FileError::None;
}

qint64 RegularFileReader::Read(void* data, qint64 size) {
    if (fd_ < 0) {
        return -1;
    }
    auto* out = static_cast<char*>(data);
    qint64 total = 0;
    while (total < size) {
        const ssize_t got = RetryOnInterrupt(
            [&] { return ::read(fd_, out + total, static_cast<size_t>(size - total)); });
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        total += got;
    }
    return total;
}

FileError ReadFileStart(const NativePath& path, qint64 maxBytes, QByteArray& bytes) {
    RegularFileReader reader;
    if (const FileError error = reader.Open(path); error != FileError::None) {
        return error;
    }
    QByteArray buffer(static_cast<qsizetype>(std::min(maxBytes, reader.Size())), '\0');
    const qint64 got = reader.Read(buffer.data(), buffer.size());
    if (got < 0) {
        return FileError::Unreadable;
    }
    buffer.truncate(static_cast<qsizetype>(got));
    bytes = std::move(buffer);
    return FileError::None;
}

FileError ReadWholeFile(const NativePath& path, qint64 maxBytes, QByteArray& bytes) {
    RegularFileReader reader;
    if (const FileError error = reader.Open(path, maxBytes); error != FileError::None) {
        return error;
    }
    QByteArray buffer(static_cast<qsizetype>(reader.Size()), '\0');
    if (reader.Read(buffer.data(), buffer.size()) != buffer.size()) {
        return FileError::Unreadable;
    }
    bytes = std::move(buffer);
    return FileError::None;
}

bool IsRegularFile(const NativePath& path) {
    struct stat info {};
    return StatPath(path, info) && S_ISREG(info.st_mode);
}

NativePath WriteTarget(const NativePath& path) {
    NativePath at = path;
    for (int hop = 0; hop < 40; ++hop) {  // the system's own limit of links in a row
        struct stat info {};
        if (::lstat(at.CStr(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return at;
        }
        QByteArray target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(at.CStr(), target.data(), target.size());
        if (length <= 0 || length >= target.size()) {
            return at;
        }
        target.truncate(length);
        at = target.startsWith('/') ? NativePath::FromBytes(target) : at.Folder().Child(target);
    }
    return at;
}

bool MayReplace(const NativePath& path) {
    struct stat info {};
    if (!StatPath(path, info)) {
        return true;  // nothing there to keep
    }
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(path.CStr(), W_OK) == 0;
}

FileError WriteFileAtomically(const NativePath& requested,
                              const std::function<bool(QIODevice&)>& writeContent,
                              const NativePath& permissionsOf) {
    const NativePath path = WriteTarget(requested);
    struct stat info {};
    if (StatPath(path, info)) {
        if (!S_ISREG(info.st_mode)) {
            return FileError::NotRegular;
        }
        if (!MayReplace(path)) {
            return FileError::ReadOnly;
        }
    }
    RemoveDeadTemporaryFiles(path.Folder());
    NativePath temporary;
    const int fd = CreateTemporaryBeside(path, permissionsOf, temporary);
    if (fd < 0) {
        return FileError::Unwritable;
    }
    bool written = false;
    {
        DescriptorWriter device(fd);
        written = writeContent(device) && !device.Failed();
    }
    written = written && RetryOnInterrupt([&] { return ::fsync(fd); }) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.CStr(), path.CStr()) != 0) {
        ::unlink(temporary.CStr());
        return FileError::Unwritable;
    }
    SyncFolder(path.Folder());
    return FileError::None;
}

QByteArray TemporaryFilePrefix(const QByteArray& fileName) {
    return '.' + fileName + kTemporaryMarker;
}

void RemoveDeadTemporaryFiles(const NativePath& folder, const QByteArray& fileName) {
    DIR* dir = ::opendir(folder.CStr());
    if (dir == nullptr) {
        return;
    }
    const QByteArray prefix = fileName.isEmpty() ? QByteArray() : TemporaryFilePrefix(fileName);
    std::vector<QByteArray> dead;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(prefix)) {
            continue;
        }
        const pid_t writer = WriterOf(name);
        if (writer != 0 && writer != ::getpid() && ProcessGone(writer)) {
            dead.push_back(name);
        }
    }
    ::closedir(dir);
    for (const QByteArray& name : dead) {
        const NativePath path = folder.Child(name);
        struct stat info {};
        if (::lstat(path.CStr(), &info) == 0 && S_ISREG(info.st_mode)) {
            ::unlink(path.CStr());
        }
    }
}

std::optional<std::vector<NativePath>> FreeAsideNames(const std::vector<NativePath>& paths,
                                                      const QByteArray& kind) {
    const QByteArray stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toLatin1();
    for (int n = 1; n < 1000; ++n) {
        const QByteArray number = n == 1 ? QByteArray() : '-' + QByteArray::number(n);
        std::vector<NativePath> names;
        bool taken = false;
        for (const NativePath& path : paths) {
            names.push_back(path.Folder().Child(path.FileName() + '.' + stamp + number + '.' + kind));
            struct stat info {};
            taken = taken || ::lstat(names.back().CStr(), &info) == 0;
        }
        if (!taken) {
            return names;
        }
    }
    return std::nullopt;
}

std::optional<NativePath> KeepAside(const NativePath& path) {
    const auto aside = FreeAsideNames({path}, "damaged");
    if (!aside || ::rename(path.CStr(), aside->front().CStr()) != 0) {
        return std::nullopt;
    }
    SyncFolder(path.Folder());
    return aside->front();
}

bool SameFile(const NativePath& a, const NativePath& b) {
    struct stat infoA {};
    struct stat infoB {};
    return StatPath(a, infoA) && StatPath(b, infoB) && infoA.st_dev == infoB.st_dev &&
           infoA.st_ino == infoB.st_ino;
}

bool FolderWritable(const NativePath& folder) {
    NativePath at = folder;
    for (int depth = 0; depth < 64; ++depth) {
        struct stat info {};
        if (StatPath(at, info)) {
            return S_ISDIR(info.st_mode) && ::access(at.CStr(), W_OK | X_OK) == 0;
        }
        if (errno != ENOENT) {
            return false;  // a file in the way, or no permission to look
        }
        const NativePath parent = at.Folder();
        if (parent == at) {
            return false;
        }
        at = parent;
    }
    return false;
}

bool MakeFolders(const NativePath& folder) {
    struct stat info {};
    if (StatPath(folder, info)) {
        return S_ISDIR(info.st_mode);
    }
    const NativePath parent = folder.Folder();
    if (!(parent == folder) && !MakeFolders(parent)) {
        return false;
    }
    if (::mkdir(folder.CStr(), 0777) != 0 && errno != EEXIST) {
        return false;
    }
    return StatPath(folder, info) && S_ISDIR(info.st_mode);
}

void SyncFolder(const NativePath& folder) {
    const int fd = ::open(folder.CStr(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
