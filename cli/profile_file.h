// A profile file read for sending, showing or importing: a *.pro (one raw record) or the JSON
// `show` prints (a name ending in ".json"), handed to the apply pipeline as if it were the store.
#pragma once

#include <memory>

#include <QString>

#include "protocol/apply_pipeline.h"
#include "protocol/profile_record.h"
#include "sys/file_io.h"

// Whether the file is taken as JSON: its name ends in ".json", in any case.
bool IsJsonProfilePath(const NativePath& path);

// Reads the profile of a *.pro file (its first record: a longer file is fine) or of a JSON file.
// Null with `error` set when the file cannot be read, is not a regular file, is shorter than one
// record, or is JSON that is damaged or holds a value the page or the mouse would not accept.
std::unique_ptr<ProfileRecord> ReadProfileFile(const NativePath& path, QString& error);

// The file's record as the store: forced to a full apply on the first snapshot unless told
// otherwise; saving does nothing, the file is never written.
class FileProfileSource final : public ProfileSource {
public:
    FileProfileSource(const ProfileRecord& record, bool forceFull)
        : record_(record), forceFull_(forceFull) {}
    RecordSnapshot TakeSnapshot() override;
    void Save() override {}

private:
    const ProfileRecord& record_;
    bool forceFull_;
};
