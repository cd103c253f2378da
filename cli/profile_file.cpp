#include "cli/profile_file.h"

RecordSnapshot FileProfileSource::TakeSnapshot() {
    RecordSnapshot snapshot{std::make_unique<ProfileRecord>(record_), forceFull_};
    forceFull_ = false;
    return snapshot;
}
