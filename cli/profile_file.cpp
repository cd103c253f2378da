#include "cli/profile_file.h"

#include "page/profile_store.h"

std::unique_ptr<ProfileRecord> ReadProfileFile(const NativePath& path, QString& error) {
    auto record = std::make_unique<ProfileRecord>();
    const ImportResult read = ProfileStore::ReadProfileFile(path, *record);
    switch (read.error) {
        case ImportError::None:
            return record;
        case ImportError::TooShort:
            error = QStringLiteral("%1 is not a profile: it is shorter than %2 bytes")
                        .arg(path.Display())
                        .arg(sizeof(ProfileRecord));
            break;
        case ImportError::NotRegular:
            error = DescribeFileError(FileError::NotRegular, path);
            break;
        default:
            error = QStringLiteral("cannot read %1").arg(path.Display());
            break;
    }
    return nullptr;
}

RecordSnapshot FileProfileSource::TakeSnapshot() {
    RecordSnapshot snapshot{std::make_unique<ProfileRecord>(record_), forceFull_};
    forceFull_ = false;
    return snapshot;
}
