// The store files of the data folder's ms_1/ subfolder and how they are replaced.
//
// pro.data and macro.data refer to each other (a profile's macro button names a stored macro), so
// an operation that changes both must replace both or neither, also when the process is killed at
// any point. A commit therefore
//   1. writes every new file whole as "<name>.new" (each through a temporary file),
//   2. writes the list of their names as ".commit" (whole or not at all): from here on the
//      commit is decided,
//   3. renames each "<name>.new" over "<name>" and removes ".commit".
// Whoever opens the folder next for writing completes a decided commit (RecoverStoreFolder) and
// removes the pieces of one that was not decided; readers that must not write read through it
// (StoreFileToRead). Writers hold an exclusive lock on the folder (flock, so a killed holder never
// keeps it), readers a shared one, so the program and talvorectl never see half a commit. A
// writer that changes the stores from what it read holds the exclusive lock from before that
// reading until the commit is decided, so no other writer comes in between.
//
// A store file may be a symbolic link (a store kept in a synced folder): the commit writes the
// file the link leads to, with its "<name>.new" beside that file, so the link stays a link.
#pragma once

#include <chrono>
#include <functional>
#include <vector>

#include <QByteArray>
#include <QIODevice>

#include "sys/file_io.h"

inline constexpr char kProfileStoreFileName[] = "pro.data";
inline constexpr char kMacroStoreFileName[] = "macro.data";
// The most records a store holds: every reader refuses a larger file (it is not read), so no
// change may make a store larger than this.
inline constexpr int kMaxProfileCount = 1000;
inline constexpr int kMaxMacroCount = 100000;

// Writes one buffer to the device; false on a short or failed write.
bool WriteAll(QIODevice& device, const void* data, qint64 size);

// Writes a file that is not a store (an exported *.pro or *.macro) whole or not at all.
bool WriteFileWhole(const NativePath& path, const std::function<bool(QIODevice&)>& writeContent);

// How long a writer or reader waits for the others before it gives up (and says so).
inline constexpr std::chrono::milliseconds kStoreLockWait = std::chrono::seconds(10);

// A lock on a folder (flock on the folder itself: nothing is created). Waits for other holders
// for `wait` at most (zero: one try).
class StoreFolderLock {
public:
    enum class Mode { Shared, Exclusive };
    enum class State {
        Held,
        Missing,  // no such folder
        Busy,     // other holders kept it for the whole wait
    };
    StoreFolderLock(const NativePath& folder, Mode mode,
                    std::chrono::milliseconds wait = kStoreLockWait);
    ~StoreFolderLock();
    StoreFolderLock(const StoreFolderLock&) = delete;
    StoreFolderLock& operator=(const StoreFolderLock&) = delete;

    bool Held() const { return state_ == State::Held; }
    State GetState() const { return state_; }
    Mode GetMode() const { return mode_; }
    const NativePath& Folder() const { return folder_; }

private:
    NativePath folder_;
    Mode mode_;
    State state_ = State::Missing;
    int fd_ = -1;
};

struct StoreFileContent {
    QByteArray name;  // kProfileStoreFileName or kMacroStoreFileName
    std::function<bool(QIODevice&)> write;
};

struct StoreWriteResult {
    FileError error = FileError::None;
    NativePath path;  // the file that could not be written

    bool Ok() const { return error == FileError::None; }
    explicit operator bool() const { return Ok(); }
};

// How a store file was found when it was read.
enum class StoreCondition {
    Missing,   // no file, or an empty one: the store starts anew
    Whole,     // everything in it was read
    Partial,   // whole records were read, but bytes after them belong to no record
    Unusable,  // not a regular file, unreadable, larger than any store, or not one whole record
    Busy,      // not read: another writer held the folder's lock for the whole wait
};

struct StoreLoad {
    StoreCondition condition = StoreCondition::Missing;
    NativePath path;  // the file that was read
    QString problem;  // for Partial and Unusable: what is wrong, in English

    // Whether whole records were read.
    explicit operator bool() const {
        return condition == StoreCondition::Whole || condition == StoreCondition::Partial;
    }
    // Whether the store can be written back without losing what the file holds.
    bool Writable() const {
        return condition == StoreCondition::Missing || condition == StoreCondition::Whole;
    }
};

// Replaces the given store files of the folder together: all of them or none. Creates the folder
// when it is missing, takes its exclusive lock (Busy when the wait runs out) and completes an
// earlier interrupted commit first. A store file the user made read-only is not replaced
// (ReadOnly), and neither is anything else then.
StoreWriteResult CommitStoreFiles(const NativePath& folder,
                                  const std::vector<StoreFileContent>& files);
// The same for a writer that already holds the folder's exclusive lock (since before it read
// what it changes).
StoreWriteResult CommitStoreFiles(const StoreFolderLock& held,
                                  const std::vector<StoreFileContent>& files);

// True when writing `path` would replace one of the folder's store files (or a piece of a commit),
// by whatever name, link or folder the path takes there.
bool IsStoreFile(const NativePath& folder, const NativePath& path);

// Completes a decided commit and removes the leftovers of an undecided one (and temporary files a
// killed write left). Nothing happens when the folder is missing or cannot be locked.
void RecoverStoreFolder(const NativePath& folder);
// The same for a holder of the folder's exclusive lock; false when a decided commit could not be
// completed.
bool RecoverStoreFolder(const StoreFolderLock& held);

// The file a reader takes a store from: the "<name>.new" of a decided commit that is not complete
// yet, otherwise "<name>".
NativePath StoreFileToRead(const NativePath& folder, const QByteArray& name);
