#include "cli/profile_file.h"

#include "page/profile_store.h"

std::unique_ptr<ProfileRecord> ReadProfileFile(const QString& path, QString& error) {
    auto record = std::make_unique<ProfileRecord>();
    const ImportResult read = ProfileStore::ReadProfileFile(path, *record);
    if (read.error == ImportError::CannotOpen) {
        error = QStringLiteral("cannot read %1").arg(path);
        return nullptr;
    }
    if (!read.Ok()) {
        error = QStringLiteral("%1 is not a profile: it is shorter than %2 bytes")
                    .arg(path)
                    .arg(sizeof(ProfileRecord));
        return nullptr;
    }
    return record;
}

RecordSnapshot FileProfileSource::TakeSnapshot() {
    RecordSnapshot snapshot{std::make_unique<ProfileRecord>(record_), forceFull_};
    forceFull_ = false;
    return snapshot;
}
