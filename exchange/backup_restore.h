// Bringing a backup back: the file read and checked whole, then its profiles, selection and
// macros put in place of the stores in one commit, with the replaced store files kept aside.
// talvorectl does it itself when no program runs on the data folder, and the running program
// does it for talvorectl otherwise; both print the same lines.
#pragma once

#include <QString>
#include <QStringList>

#include "exchange/store_backup.h"
#include "sys/file_io.h"

class ProfileStore;

// Reads a backup file (a regular file no larger than any backup) and checks it (DecodeBackup).
// Refused: `error` says why, naming the file.
BackupRead ReadBackupFile(const NativePath& file);

struct RestoreOutcome {
    bool done = false;
    QStringList lines;  // done: what was restored from where, and where the old stores are kept
    QString error;      // not done: why, ending in "nothing was changed"
};
// Replaces the loaded store's profiles, selection and macros with the backup's
// (ProfileStore::ReplaceStores). `file` is the backup's name, for the lines printed.
RestoreOutcome RestoreBackup(ProfileStore& store, const StoreBackup& backup,
                             const NativePath& file);
