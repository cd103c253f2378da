// A profile file (read by exchange/profile_file) handed to the apply pipeline as if it were the
// store.
#pragma once

#include <memory>

#include <QString>

#include "exchange/profile_file.h"
#include "protocol/apply_pipeline.h"
#include "protocol/profile_record.h"
#include "sys/file_io.h"

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
