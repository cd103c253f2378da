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
constexpr auto kLockRetry = std::chrono::milliseconds(5);
// Temporary files of the writers before their names carried a process id.
constexpr char kOldTemporaryMarker[] = ".tmp-";

const QByteArray kStoreNames[] = {kProfileStoreFileName, kMacroStoreFileName};

bool IsStoreName(const QByteArray& name) {
    return name == kProfileStoreFileName || name == kMacroStoreFileName;
}

bool Exists(const NativePath& path) {
    struct stat info {};
    return ::lstat(path.CStr(), &info) == 0;
}

// Where a store file is written: the file itself, or the one its link leads to.
NativePath TargetOf(const NativePath& folder, const QByteArray& name) {
    return WriteTarget(folder.Child(name));
}

// A commit's new file lies beside the file it replaces, so that the rename stays in one folder.
NativePath NewFileBeside(const NativePath& target) {
    return NativePath::FromBytes(target.Bytes() + kNewSuffix);
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

// Renames every "<target>.new" that is still there over its target.
bool CompleteCommit(const NativePath& folder, const std::vector<NativePath>& targets) {
    bool complete = true;
    for (const NativePath& target : targets) {
        const NativePath fresh = NewFileBeside(target);
        if (Exists(fresh) && ::rename(fresh.CStr(), target.CStr()) != 0) {
            complete = false;
        }
        SyncFolder(target.Folder());
    }
    if (complete) {
        ::unlink(folder.Child(kCommitFileName).CStr());
        SyncFolder(folder);
    }
    return complete;
}

// Removes every temporary file of the given names in the folder: only for a holder of the
// exclusive lock, under which nobody else writes there.
void RemoveTemporaryFiles(const NativePath& folder, const std::vector<QByteArray>& names) {
    std::vector<QByteArray> prefixes;
    for (const QByteArray& name : names) {
        prefixes.push_back(TemporaryFilePrefix(name));
        prefixes.push_back('.' + name + kOldTemporaryMarker);
    }
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

// Removes what no decided commit needs: "<store>.new" files and temporary files of killed writes,
// in the store folder and beside the files its links lead to.
void RemoveLeftovers(const NativePath& folder) {
    std::vector<QByteArray> names;
    for (const QByteArray& name : kStoreNames) {
        const NativePath target = TargetOf(folder, name);
        ::unlink(NewFileBeside(target).CStr());
        ::unlink(folder.Child(name + kNewSuffix).CStr());
        names.push_back(name);
        names.push_back(name + kNewSuffix);
        if (!(target.Folder() == folder)) {
            // A folder of the user's: only files of writers that are gone.
            RemoveDeadTemporaryFiles(target.Folder(), target.FileName());
            RemoveDeadTemporaryFiles(target.Folder(), target.FileName() + kNewSuffix);
        }
    }
    names.push_back(kCommitFileName);
    RemoveTemporaryFiles(folder, names);
}

// Recovery for a holder of the exclusive lock.
bool RecoverLocked(const NativePath& folder) {
    const std::vector<QByteArray> decided = DecidedNames(folder);
    if (!decided.empty()) {
        std::vector<NativePath> targets;
        for (const QByteArray& name : decided) {
            targets.push_back(TargetOf(folder, name));
        }
        if (!CompleteCommit(folder, targets)) {
            return false;
        }
    } else {
        ::unlink(folder.Child(kCommitFileName).CStr());  // an empty or foreign list decides nothing
    }
    RemoveLeftovers(folder);
    return true;
}

StoreWriteResult CommitLocked(const NativePath& folder,
                              const std::vector<StoreFileContent>& files) {
    if (!RecoverLocked(folder)) {
        return {FileError::Unwritable, folder};
    }
    // Each file's target is found once; the new file and the rename go there.
    std::vector<NativePath> targets;
    for (const StoreFileContent& file : files) {
        const NativePath target = TargetOf(folder, file.name);
        struct stat info {};
        if (::stat(target.CStr(), &info) == 0 && !S_ISREG(info.st_mode)) {
            return {FileError::NotRegular, folder.Child(file.name)};
        }
        if (!MayReplace(target)) {
            return {FileError::ReadOnly, folder.Child(file.name)};
        }
        targets.push_back(target);
    }
    if (files.size() == 1) {
        return {WriteFileAtomically(targets.front(), files.front().write),
                folder.Child(files.front().name)};
    }

    QByteArray list;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const NativePath fresh = NewFileBeside(targets[i]);
        if (const FileError error = WriteFileAtomically(fresh, files[i].write, targets[i]);
            error != FileError::None) {
            RemoveLeftovers(folder);
            return {error, folder.Child(files[i].name)};
        }
        list += files[i].name + '\n';
    }
    const NativePath commit = folder.Child(kCommitFileName);
    if (!WriteFileWhole(commit,
                        [&](QIODevice& device) { return WriteAll(device, list, list.size()); })) {
        RemoveLeftovers(folder);
        return {FileError::Unwritable, commit};
    }
    // Decided: should a rename fail now, the next writer or reader completes it.
    if (!CompleteCommit(folder, targets)) {
        return {FileError::Unwritable, folder};
    }
    return {};
}

}  // namespace

bool WriteAll(QIODevice& device, const void* data, qint64 size) {
    return device.write(static_cast<const char*>(data), size) == size;
}

bool WriteFileWhole(const NativePath& path, const std::function<bool(QIODevice&)>& writeContent) {
    return WriteFileAtomically(path, writeContent) == FileError::None;
}

StoreFolderLock::StoreFolderLock(const NativePath& folder, Mode mode,
                                 std::chrono::milliseconds wait)
    : folder_(folder), mode_(mode) {
    // The folder itself carries the lock, so that taking it never creates a file.
    const int fd = ::open(folder.CStr(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        state_ = State::Missing;
        return;
    }
    const int operation = mode == Mode::Exclusive ? LOCK_EX : LOCK_SH;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd, operation | LOCK_NB) == 0) {
            fd_ = fd;
            state_ = State::Held;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            state_ = State::Busy;
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
    if (!lock.Held()) {
        return {lock.GetState() == StoreFolderLock::State::Busy ? FileError::Busy
                                                                : FileError::Unwritable,
                folder};
    }
    return CommitLocked(folder, files);
}

StoreWriteResult CommitStoreFiles(const StoreFolderLock& held,
                                  const std::vector<StoreFileContent>& files) {
    if (!held.Held() || held.GetMode() != StoreFolderLock::Mode::Exclusive) {
        return {FileError::Busy, held.Folder()};
    }
    return CommitLocked(held.Folder(), files);
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

bool RecoverStoreFolder(const StoreFolderLock& held) {
    return held.Held() && held.GetMode() == StoreFolderLock::Mode::Exclusive &&
           RecoverLocked(held.Folder());
}

bool IsStoreFile(const NativePath& folder, const NativePath& path) {
    for (const QByteArray& name : kStoreNames) {
        if (SameFile(path, folder.Child(name)) || SameFile(path, folder.Child(name + kNewSuffix)) ||
            SameFile(path, NewFileBeside(TargetOf(folder, name)))) {
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
        const NativePath fresh = NewFileBeside(TargetOf(folder, name));
        if (decided == name && Exists(fresh)) {
            return fresh;
        }
    }
    return folder.Child(name);
}
