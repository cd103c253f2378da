// A backup as `talvorectl restore` reads it: any file is either refused with a reason or holds
// stores the program reads whole, and writing them again gives the same file.
#include "exchange/store_backup.h"
#include "fuzz/fuzz_support.h"
#include "protocol/profile_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray file = Bytes(data, size);
    const BackupRead read = DecodeBackup(file);
    if (!read.backup) {
        FUZZ_REQUIRE(!read.error.isEmpty());
        return 0;
    }
    FUZZ_REQUIRE(read.backup->ProfileCount() >= 1);
    FUZZ_REQUIRE(read.backup->SelectedIndex() < read.backup->ProfileCount());
    FUZZ_REQUIRE(read.backup->profiles.size() ==
                 4 + read.backup->ProfileCount() * static_cast<qsizetype>(sizeof(ProfileRecord)));
    FUZZ_REQUIRE(EncodeBackup(*read.backup) == file);
    return 0;
}
