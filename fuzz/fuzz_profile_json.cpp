// A profile's JSON as `talvorectl import FILE.json` reads it: any text is either refused with a
// reason or gives a record whose settings lie in range, and that record's own JSON gives it back
// byte for byte.
#include <cstring>

#include "exchange/profile_json.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ProfileJsonRead read = ProfileFromJson(Bytes(data, size));
    if (!read) {
        FUZZ_REQUIRE(!read.error.isEmpty());
        return 0;
    }
    const ProfileSlot& slot = read.record->slots[0];
    FUZZ_REQUIRE(read.record->activeSlot >= 0 && read.record->activeSlot < kSlotCount);
    FUZZ_REQUIRE(slot.dpiStage >= 0 && slot.dpiStage < kDpiStageCount);
    FUZZ_REQUIRE(slot.reportRate >= 0 && slot.reportRate <= 3);
    const QByteArray json = ProfileToJson(*read.record);
    const ProfileJsonRead again = ProfileFromJson(json);
    FUZZ_REQUIRE(again);
    FUZZ_REQUIRE(std::memcmp(again.record.get(), read.record.get(), sizeof(ProfileRecord)) == 0);
    FUZZ_REQUIRE(ProfileToJson(*again.record) == json);
    return 0;
}
