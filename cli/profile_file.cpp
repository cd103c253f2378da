#include "cli/profile_file.h"

#include <QFile>

std::unique_ptr<ProfileRecord> ReadProfileFile(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return nullptr;
    }
    auto record = std::make_unique<ProfileRecord>();
    const qint64 got = file.read(reinterpret_cast<char*>(record.get()), sizeof(ProfileRecord));
    if (got != static_cast<qint64>(sizeof(ProfileRecord))) {
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
