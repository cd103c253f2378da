// The outcome of importing one *.pro or *.macro file.
#pragma once

#include <QString>

// Language key of the message the window shows when an import file cannot be used.
inline constexpr char kImportFailedTextKey[] = "import_failed_text";
// ... and when the file was good but the store could not be written.
inline constexpr char kImportNotSavedTextKey[] = "import_not_saved_text";

enum class ImportError {
    None,
    CannotOpen,  // missing or unreadable file
    TooShort,    // empty, or shorter than one record
    NotRegular,  // a folder, FIFO or device: refused without being opened
    CannotSave,  // the file was good, but the store could not be written: nothing was added
};

struct ImportResult {
    ImportError error = ImportError::None;
    int index = -1;  // position of the new record in its store
    QString name;    // the name it was given, made unique

    bool Ok() const { return error == ImportError::None; }
};
