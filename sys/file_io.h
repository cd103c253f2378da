// Reading and writing the user's files safely: paths are the bytes the system holds (not every
// file name is valid UTF-8), only regular files are ever opened, reads are bounded, and a file is
// replaced whole or not at all.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QIODevice>
#include <QString>

// A file name as the system holds it. Built from a QString it is encoded the way Qt's own file
// functions encode names; built from bytes (argv) it is kept exactly, so any existing file can be
// named.
class NativePath {
public:
    NativePath() = default;
    NativePath(const QString& path);  // NOLINT(google-explicit-constructor): any QString path
    static NativePath FromBytes(QByteArray bytes);

    const QByteArray& Bytes() const { return bytes_; }
    const char* CStr() const { return bytes_.constData(); }
    bool IsEmpty() const { return bytes_.isEmpty(); }
    // For messages: decoded, with undecodable bytes and control characters escaped.
    QString Display() const;
    // For Qt functions that take a QString (lossy only for names that are not valid UTF-8).
    QString ToQString() const;

    // The folder part ("." for a bare name) and the last part.
    NativePath Folder() const;
    QByteArray FileName() const;
    NativePath Child(const QByteArray& name) const;

    bool operator==(const NativePath& other) const { return bytes_ == other.bytes_; }

private:
    QByteArray bytes_;
};

enum class FileError {
    None,
    Missing,     // nothing by that name
    NotRegular,  // a folder, FIFO, device or socket: never opened
    TooLarge,    // larger than the caller's bound: not read
    Unreadable,  // exists but cannot be opened or read
    Unwritable,  // cannot be created, written, flushed or put in place
    IsStore,     // a file the program keeps its own data in: never written as an export
    ReadOnly,    // a file the user made read-only: never replaced
    Busy,        // another writer held the lock longer than its wait: nothing was done
};

// One English sentence for the command line and the log, e.g. "cannot write /x/y.pro".
QString DescribeFileError(FileError error, const NativePath& path);

// A regular file opened for reading. Open() looks at the path before opening it, so a FIFO or a
// device is refused without being opened, and looks again at what it opened, so nothing swapped in
// between is read either.
class RegularFileReader {
public:
    RegularFileReader() = default;
    RegularFileReader(const RegularFileReader&) = delete;
    RegularFileReader& operator=(const RegularFileReader&) = delete;
    ~RegularFileReader();

    // maxSize < 0: no bound. A larger file is refused with TooLarge and not read.
    FileError Open(const NativePath& path, qint64 maxSize = -1);
    qint64 Size() const { return size_; }
    // Reads up to `size` bytes (fewer only at the end of the file); -1 on a read error.
    qint64 Read(void* data, qint64 size);

private:
    int fd_ = -1;
    qint64 size_ = 0;
};

// Reads at most maxBytes from the start of a regular file of any size.
FileError ReadFileStart(const NativePath& path, qint64 maxBytes, QByteArray& bytes);
// Reads a whole regular file of at most maxBytes (a larger one is TooLarge and not read).
FileError ReadWholeFile(const NativePath& path, qint64 maxBytes, QByteArray& bytes);
// Whether the path leads to a regular file (links followed). For files that another library
// opens by name (images): a FIFO or a device is never handed to it.
bool IsRegularFile(const NativePath& path);

// The file a write to `path` lands on: the path itself, or the file its symbolic links lead to
// (followed link by link, so a link to a file that does not exist yet leads to where that file
// will be). Replacing that file keeps the links.
NativePath WriteTarget(const NativePath& path);

// Whether an existing file may be replaced: false for one the user cannot write, and for one
// without any write permission even when the system would let us (root), since a file made
// read-only was made so on purpose.
bool MayReplace(const NativePath& path);

// Writes a file whole: the content goes to a temporary file beside the file, is flushed to the
// disk, and only then renamed over the old file, which therefore stays as it was on any failure
// or kill. A path that exists but is not a regular file is refused (NotRegular), and so is a file
// the user made read-only (ReadOnly); a symbolic link is followed to its file (WriteTarget), so
// the link stays. The folder must exist. An existing file keeps its permissions; a new one takes
// those of `permissionsOf` when that file exists. Temporary files that writers which are gone
// left in the folder are removed first.
FileError WriteFileAtomically(const NativePath& path,
                              const std::function<bool(QIODevice&)>& writeContent,
                              const NativePath& permissionsOf = {});

// The temporary files of WriteFileAtomically are named
// ".<name>.talvore-tmp.<writer's process id>.<random>" beside the file, so that anyone can tell
// what they are, and a later writer which finds one of a process that no longer exists removes it.
QByteArray TemporaryFilePrefix(const QByteArray& fileName);
// Removes the temporary files in the folder whose writers are gone (of any file name, or only of
// `fileName` when it is given). Never touches the temporary file of a process that still runs.
void RemoveDeadTemporaryFiles(const NativePath& folder, const QByteArray& fileName = {});

// Names beside the given files for copies kept aside: "<name>.<yyyyMMdd-HHmmss>.<kind>" in each
// file's folder, with "-2", "-3", ... before ".<kind>" until no entry of any of the names exists,
// so files kept aside together share one stamp. Nothing when no such names were found.
std::optional<std::vector<NativePath>> FreeAsideNames(const std::vector<NativePath>& paths,
                                                      const QByteArray& kind);

// Moves an existing entry (any kind) aside as "<name>.<yyyyMMdd-HHmmss>.damaged" in its folder
// (FreeAsideNames). The new path, or nothing when it could not be moved.
std::optional<NativePath> KeepAside(const NativePath& path);

// True when both paths name the same existing file (same device and inode), whatever links or
// folder names lead to it.
bool SameFile(const NativePath& a, const NativePath& b);

// Whether files can be created in the folder by this process (search and write permission, not
// a read-only mount). A missing folder counts as writable when its nearest existing parent is.
bool FolderWritable(const NativePath& folder);

// Creates the folder and its missing parents; false when it is not a folder afterwards.
bool MakeFolders(const NativePath& folder);

// Flushes a folder's entries (a rename in it) to the disk; best effort.
void SyncFolder(const NativePath& folder);
