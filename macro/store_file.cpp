#include "macro/store_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>

namespace {

constexpr char kCommitFileName[] = ".commit";
constexpr char kNewSuffix[] = ".new";
constexpr auto kLockWait = std::chrono::seconds(10);
constexpr auto kLockRetry = std::chrono::milliseconds(5);

const QByteArray kStoreNames[] = {kProfileStoreFileName, kMacroStoreFileName};

bool IsStoreName(const QByteArray& name) {
    return name == kProfileStoreFileName || name == kMacroStoreFileName;
}

bool Exists(const NativePath& path) {
    struct stat info {};
    return ::lstat(path.CStr(), &info) == 0;
}

NativePath NewFileOf(const NativePath& folder, const QByteArray& name) {
    return folder.Child(name + kNewSuffix);
}

// The store names a decided commit lists; empty when there is none.
std::vector<QByteArray> DecidedNames(const NativePath& folder) {
    QByteArray list;
    if (ReadFileStart(folder.Child(kCommitFileName), 4096, list) != FileError::None) {
        return {};
    }
    std::vector<QByteArray> names;
    for (const QByteArray& line : list.split('\n')) {
        if (IsStoreName(line)) {
            names.push_back(line);
        }
    }
    return names;
}

// Renames every listed "<name>.new" that is still there over its store file.
bool CompleteCommit(const NativePath& folder, const std::vector<QByteArray>& names) {
    bool complete = true;
    for (const QByteArray& name : names) {
        const NativePath fresh = NewFileOf(folder, name);
        if (Exists(fresh) && ::rename(fresh.CStr(), folder.Child(name).CStr()) != 0) {
            complete = false;
        }
    }
    SyncFolder(folder);
    if (complete) {
        ::unlink(folder.Child(kCommitFileName).CStr());
        SyncFolder(folder);
    }
    return complete;
}

// Removes what no decided commit needs: "<store>.new" files and temporary files of killed writes.
void RemoveLeftovers(const NativePath& folder) {
    std::vector<QByteArray> prefixes;
    for (const QByteArray& name : kStoreNames) {
        ::unlink(NewFileOf(folder, name).CStr());
        prefixes.push_back(TemporaryFilePrefix(name));
        prefixes.push_back(TemporaryFilePrefix(name + kNewSuffix));
    }
    prefixes.push_back(TemporaryFilePrefix(kCommitFileName));
    DIR* dir = ::opendir(folder.CStr());
    if (dir == nullptr) {
        return;
    }
    std::vector<QByteArray> stale;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        for (const QByteArray& prefix : prefixes) {
            if (name.startsWith(prefix)) {
                stale.push_back(name);
                break;
            }
        }
    }
    ::closedir(dir);
    for (const QByteArray& name : stale) {
        ::unlink(folder.Child(name).CStr());
    }
}

// Recovery for a holder of the exclusive lock.
bool RecoverLocked(const NativePath& folder) {
    const std::vector<QByteArray> decided = DecidedNames(folder);
    if (!decided.empty() && !CompleteCommit(folder, decided)) {
        return false;
    }
    if (decided.empty()) {
        ::unlink(folder.Child(kCommitFileName).CStr());  // an empty or foreign list decides nothing
    }
    RemoveLeftovers(folder);
    return true;
}

}  // namespace

bool WriteAll(QIODevice& device, const void* data, qint64 size) {
    return device.write(static_cast<const char*>(data), size) == size;
}

bool WriteFileWhole(const NativePath& path, const std::function<bool(QIODevice&)>& writeContent) {
    return WriteFileAtomically(path, writeContent) == FileError::None;
}

StoreFolderLock::StoreFolderLock(const NativePath& folder, Mode mode) {
    // The folder itself carries the lock, so that taking it never creates a file.
    const int fd = ::open(folder.CStr(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    const int operation = mode == Mode::Exclusive ? LOCK_EX : LOCK_SH;
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    for (;;) {
        if (::flock(fd, operation | LOCK_NB) == 0) {
            fd_ = fd;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() > deadline) {
            ::close(fd);
            return;
        }
        std::this_thread::sleep_for(kLockRetry);
    }
}

StoreFolderLock::~StoreFolderLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
    }
}

StoreWriteResult CommitStoreFiles(const NativePath& folder,
                                  const std::vector<StoreFileContent>& files) {
    if (!MakeFolders(folder)) {
        return {FileError::Unwritable, folder};
    }
    StoreFolderLock lock(folder, StoreFolderLock::Mode::Exclusive);
    if (!lock.Held() || !RecoverLocked(folder)) {
        return {FileError::Unwritable, folder};
    }
    if (files.size() == 1) {
        const NativePath path = folder.Child(files.front().name);
        return {WriteFileAtomically(path, files.front().write), path};
    }

    QByteArray list;
    for (const StoreFileContent& file : files) {
        const NativePath fresh = NewFileOf(folder, file.name);
        if (const FileError error = WriteFileAtomically(fresh, file.write);
            error != FileError::None) {
            RemoveLeftovers(folder);
            return {error, folder.Child(file.name)};
        }
        list += file.name + '\n';
    }
    const NativePath commit = folder.Child(kCommitFileName);
    if (!WriteFileWhole(commit,
                        [&](QIODevice& device) { return WriteAll(device, list, list.size()); })) {
        RemoveLeftovers(folder);
        return {FileError::Unwritable, commit};
    }
    // Decided: should a rename fail now, the next writer or reader completes it.
    std::vector<QByteArray> names;
    for (const StoreFileContent& file : files) {
        names.push_back(file.name);
    }
    if (!CompleteCommit(folder, names)) {
        return {FileError::Unwritable, folder};
    }
    return {};
}

void RecoverStoreFolder(const NativePath& folder) {
    struct stat info {};
    if (::stat(folder.CStr(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return;
    }
    StoreFolderLock lock(folder, StoreFolderLock::Mode::Exclusive);
    if (lock.Held()) {
        RecoverLocked(folder);
    }
}

bool IsStoreFile(const NativePath& folder, const NativePath& path) {
    for (const QByteArray& name : kStoreNames) {
        if (SameFile(path, folder.Child(name)) || SameFile(path, NewFileOf(folder, name))) {
            return true;
        }
    }
    // A store file that does not exist yet is taken by its name in the same folder.
    char realFolder[PATH_MAX];
    char realTarget[PATH_MAX];
    if (::realpath(folder.CStr(), realFolder) == nullptr ||
        ::realpath(path.Folder().CStr(), realTarget) == nullptr ||
        QByteArray(realFolder) != QByteArray(realTarget)) {
        return false;
    }
    const QByteArray name = path.FileName();
    return IsStoreName(name) || name == kCommitFileName ||
           (name.endsWith(kNewSuffix) && IsStoreName(name.chopped(4)));
}

NativePath StoreFileToRead(const NativePath& folder, const QByteArray& name) {
    for (const QByteArray& decided : DecidedNames(folder)) {
        if (decided == name && Exists(NewFileOf(folder, name))) {
            return NewFileOf(folder, name);
        }
    }
    return folder.Child(name);
}
