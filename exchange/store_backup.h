// One file that holds everything the user keeps: every profile with the selection, and every
// macro. `talvorectl backup` writes it, `talvorectl restore` brings it back.
//
// Layout (docs/profile-json-and-backups.md):
//   "TALVORE BACKUP 1\n"                 the kind of file and its version, readable with `head -1`
//   "PROF" u64 length, that many bytes   pro.data: the selected index (u32), then the profiles
//   "MACR" u64 length, that many bytes   macro.data: the macros, 240 bytes each
//   "SHA2" u64 32, 32 bytes              SHA-256 of every byte before this "SHA2"
// Lengths are little-endian. Nothing may follow. The sections hold the stores exactly as the
// program writes them, so a restore puts back the same bytes.
#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

class ProfileStore;

inline constexpr char kBackupMagic[] = "TALVORE BACKUP 1\n";

struct StoreBackup {
    QByteArray profiles;  // the content of pro.data
    QByteArray macros;    // the content of macro.data

    int ProfileCount() const;
    int MacroCount() const;
    int SelectedIndex() const;
};

// The largest backup there can be: both stores at their limits and the framing.
qint64 MaxBackupBytes();

// The loaded store's profiles, selection and macros, taken under the store's lock.
StoreBackup BackupOf(ProfileStore& store);

QByteArray EncodeBackup(const StoreBackup& backup);

struct BackupRead {
    std::optional<StoreBackup> backup;  // none when the file was refused
    QString error;                      // why
};
// Refuses a file that is not a backup, one of another version, a damaged or truncated one (the
// checksum), and one whose stores the program could not use whole (no profile, a selection
// outside the list, a partial record, a store past its size limit).
BackupRead DecodeBackup(const QByteArray& bytes);
