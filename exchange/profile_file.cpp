#include "exchange/profile_file.h"

#include "exchange/profile_json.h"
#include "page/profile_store.h"

namespace {

std::unique_ptr<ProfileRecord> ReadJsonProfile(const NativePath& path, QString& error) {
    RegularFileReader reader;
    const FileError opened = reader.Open(path, kMaxProfileJsonBytes);
    QByteArray text(static_cast<qsizetype>(reader.Size()), '\0');
    if (opened != FileError::None || reader.Read(text.data(), text.size()) != text.size()) {
        error = DescribeFileError(opened == FileError::None ? FileError::Unreadable : opened, path);
        return nullptr;
    }
    ProfileJsonRead read = ProfileFromJson(text);
    if (!read) {
        error = QStringLiteral("%1 is refused: %2").arg(path.Display(), read.error);
    }
    return std::move(read.record);
}

}  // namespace

bool IsJsonProfilePath(const NativePath& path) {
    return path.FileName().toLower().endsWith(".json");
}

std::unique_ptr<ProfileRecord> ReadProfileFile(const NativePath& path, QString& error) {
    if (IsJsonProfilePath(path)) {
        return ReadJsonProfile(path, error);
    }
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
