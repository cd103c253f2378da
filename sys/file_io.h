// Reading and writing the user's files safely: paths are the bytes the system holds (not every
// file name is valid UTF-8), only regular files are ever opened, reads are bounded, and a file is
// replaced whole or not at all.
#pragma once

#include <functional>
#include <optional>

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

// Writes a file whole: the content goes to a temporary file in the same folder, is flushed to the
// disk, and only then renamed over the old file, which therefore stays as it was on any failure or
// kill. A path that exists but is not a regular file is refused (NotRegular); a symbolic link is
// followed to its file. The folder must exist. An existing file keeps its permissions.
FileError WriteFileAtomically(const NativePath& path,
                              const std::function<bool(QIODevice&)>& writeContent);

// The temporary files WriteFileAtomically leaves behind when it is killed are named
// ".<name>.tmp-<random>" beside the file.
QByteArray TemporaryFilePrefix(const QByteArray& fileName);

// Moves an existing entry (any kind) aside as "<name>.<yyyyMMdd-HHmmss>.damaged" in its folder,
// with "-2", "-3", ... before ".damaged" when that name is taken. The new path, or nothing when
// it could not be moved.
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
