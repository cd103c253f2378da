// A profile file (*.pro) read for sending: one raw record, handed to the apply pipeline as if it
// were the store.
#pragma once

#include <memory>

#include <QString>

#include "protocol/apply_pipeline.h"
#include "protocol/profile_record.h"
#include "sys/file_io.h"

// Reads the first record of the file (a longer file is fine: only the first record counts).
// Null with `error` set when the file cannot be read, is not a regular file or is shorter than
// one record.
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
