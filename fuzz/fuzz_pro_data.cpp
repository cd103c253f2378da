// pro.data as the program and talvorectl find it: a reader never writes; the program's start
// keeps every byte of a store it cannot use whole, and writes a store it read whole back as it was.
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "page/profile_store.h"

namespace {

constexpr qsizetype kRecord = sizeof(ProfileRecord);

StoreCondition Expected(qsizetype size) {
    if (size == 0) {
        return StoreCondition::Missing;
    }
    if (size < 4 + kRecord) {
        return StoreCondition::Unusable;
    }
    return (size - 4) % kRecord == 0 ? StoreCondition::Whole : StoreCondition::Partial;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString folder = FreshScratchFolder();
    const QString path = folder + QStringLiteral("ms_1/pro.data");
    const QByteArray input = Bytes(data, size);
    WriteWholeFile(path, input);
    FuzzTexts texts;
    const qsizetype records = input.size() < 4 ? 0 : (input.size() - 4) / kRecord;

    ProfileStore reader(folder, texts);
    const StoreLoad load = reader.ReadProfiles();
    FUZZ_REQUIRE(load.condition == Expected(input.size()));
    FUZZ_REQUIRE(ReadWholeFile(path) == input);
    FUZZ_REQUIRE(reader.Count() == (load.condition == StoreCondition::Whole ||
                                            load.condition == StoreCondition::Partial
                                        ? records
                                        : 0));
    if (reader.Count() > 0) {
        FUZZ_REQUIRE(reader.Current() == &reader.At(reader.SelectedIndex()));
    }

    ProfileStore program(folder, texts);
    const StoreStartReport report = program.LoadProfiles();
    FUZZ_REQUIRE(!report.saveFailed);
    FUZZ_REQUIRE(program.Count() >= 1);
    FUZZ_REQUIRE(program.Current() == &program.At(program.SelectedIndex()));
    const QByteArray saved = ReadWholeFile(path);
    FUZZ_REQUIRE(saved.size() == 4 + program.Count() * kRecord);
    if (load.condition == StoreCondition::Whole) {
        FUZZ_REQUIRE(report.keptAside.empty());
        FUZZ_REQUIRE(program.SaveProfiles().Ok());
        uint32_t index = 0;
        std::memcpy(&index, input.constData(), 4);
        QByteArray expected = input;
        if (index >= records) {
            expected.replace(0, 4, QByteArray(4, '\0'));  // an index outside the list selects 0
        }
        FUZZ_REQUIRE(ReadWholeFile(path) == expected);
    } else if (!input.isEmpty()) {
        FUZZ_REQUIRE(report.keptAside.size() == 1);
        FUZZ_REQUIRE(ReadWholeFile(report.keptAside.front().ToQString()) == input);
        if (load.condition == StoreCondition::Partial) {
            FUZZ_REQUIRE(saved.mid(4) == input.mid(4, records * kRecord));
        }
    }
    return 0;
}
