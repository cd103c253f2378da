// The open and save file dialogs. An empty path means the user cancelled.
#pragma once

#include <QString>
#include <QStringList>

class WindowImplBase;

// A filter line: {"Profile File", {"*.pro", "*.PRO"}}.
struct FileFilter {
    QString description;
    QStringList patterns;
};

// What a dialog was asked for; the test hook records it.
struct FileDialogRequest {
    bool save = false;
    FileFilter filter;
    QString defaultExtension;  // added to a typed name without one (save only)
    QString initialFolder;
    bool promptOverwrite = false;
    QString suggestedName;  // the file name offered (save only)
};

// An existing file.
QString GetOpenFilePath(WindowImplBase* owner, const FileFilter& filter,
                        const QString& initialFolder = {});
// A file to write; asks before replacing an existing one when `promptOverwrite` is set, and
// offers `suggestedName` in the initial folder.
QString GetSaveFilePath(WindowImplBase* owner, const FileFilter& filter,
                        const QString& defaultExtension, const QString& initialFolder = {},
                        bool promptOverwrite = true, const QString& suggestedName = {});
