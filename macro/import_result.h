// The outcome of importing one *.pro or *.macro file.
#pragma once

#include <QString>

#include "macro/store_file.h"

// Language key of the message the window shows when an import file cannot be used.
inline constexpr char kImportFailedTextKey[] = "import_failed_text";
// ... and when the file was good but the store could not be written.
inline constexpr char kImportNotSavedTextKey[] = "import_not_saved_text";
// ... and when the store already holds as many as its readers accept.
inline constexpr char kStoreFullTextKey[] = "store_full_text";

enum class ImportError {
    None,
    CannotOpen,  // missing or unreadable file
    TooShort,    // empty, or shorter than one record
    NotRegular,  // a folder, FIFO or device: refused without being opened
    CannotSave,  // the file was good, but the store could not be written: nothing was added
    StoreFull,   // the store would grow past what its readers accept: nothing was added
};

struct ImportResult {
    ImportError error = ImportError::None;
    int index = -1;            // position of the new record in its store
    QString name;              // the name it was given, made unique
    StoreWriteResult failure;  // CannotSave: the write that failed

    bool Ok() const { return error == ImportError::None; }
};

// One English sentence for the command line and the log: why the file (a `what`: "profile",
// "macro") was not imported.
QString DescribeImportError(const ImportResult& result, const NativePath& path, const char* what);
