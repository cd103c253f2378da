#include "exchange/backup_restore.h"

#include <cstring>
#include <memory>
#include <vector>

#include "page/profile_store.h"
#include "sys/printable_text.h"

namespace {

constexpr qint64 kIndexSize = sizeof(uint32_t);

template <class Record>
std::vector<std::unique_ptr<Record>> RecordsOf(const QByteArray& bytes, qint64 from) {
    std::vector<std::unique_ptr<Record>> records;
    for (qint64 at = from; at + qint64{sizeof(Record)} <= bytes.size(); at += sizeof(Record)) {
        auto record = std::make_unique<Record>();
        std::memcpy(record.get(), bytes.constData() + at, sizeof(Record));
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace

BackupRead ReadBackupFile(const NativePath& file) {
    QByteArray bytes;
    if (const FileError error = ReadWholeFile(file, MaxBackupBytes(), bytes);
        error != FileError::None) {
        return {std::nullopt, DescribeFileError(error, file)};
    }
    BackupRead read = DecodeBackup(bytes);
    if (!read.backup) {
        read.error = QStringLiteral("%1 is refused: %2").arg(file.Display(), read.error);
    }
    return read;
}

RestoreOutcome RestoreBackup(ProfileStore& store, const StoreBackup& backup,
                             const NativePath& file) {
    const int selected = backup.SelectedIndex();
    auto profiles = RecordsOf<ProfileRecord>(backup.profiles, kIndexSize);
    const QString selectedName =
        selected < static_cast<int>(profiles.size()) ? ProfileName(*profiles[selected]) : QString();
    const ProfileStore::Replacement replaced =
        store.ReplaceStores(std::move(profiles), static_cast<uint32_t>(selected),
                            RecordsOf<MacroRecord>(backup.macros, 0));
    RestoreOutcome outcome;
    if (!replaced.write) {
        outcome.error = DescribeFileError(replaced.write.error, replaced.write.path) +
                        QStringLiteral("; nothing was changed");
        return outcome;
    }
    outcome.done = true;
    outcome.lines.append(QStringLiteral("%1 profiles (selected: %2) and %3 macros restored from %4")
                             .arg(backup.ProfileCount())
                             .arg(EscapeControls(selectedName))
                             .arg(backup.MacroCount())
                             .arg(file.Display()));
    if (!replaced.keptAside.empty()) {
        QStringList copies;
        for (const NativePath& copy : replaced.keptAside) {
            copies.append(copy.Display());
        }
        outcome.lines.append(QStringLiteral("the stores it replaced are kept as %1")
                                 .arg(copies.join(QStringLiteral(" and "))));
    }
    return outcome;
}
