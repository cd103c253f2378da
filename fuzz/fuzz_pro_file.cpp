// A *.pro file imported into a store with profiles and macros: a file shorter than one record, or
// one the record check refuses, changes nothing; any other file adds exactly one profile under a
// free name and one macro per macro button, both stores written together, and the record otherwise
// as the file holds it.
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "macro/record_check.h"
#include "page/profile_store.h"
#include "protocol/utf16_field.h"

namespace {

constexpr qsizetype kRecord = sizeof(ProfileRecord);

// The stores an import meets: two profiles (one "Office") and two macros.
void MakeStores(const QString& folder, const TextLookup& texts) {
    ProfileStore store(folder, texts);
    store.LoadProfiles();
    store.AppendProfile(QStringLiteral("Office"));
    MacroRecord macro{};
    StringToField(macro.name, QStringLiteral("Copy"));
    store.Macros().Append(macro);
    StringToField(macro.name, QStringLiteral("M_1"));
    store.Macros().Append(macro);
    FUZZ_REQUIRE(store.SaveProfiles().Ok());
    FUZZ_REQUIRE(store.Macros().Save().Ok());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString folder = FreshScratchFolder();
    FuzzTexts texts;
    MakeStores(folder, texts);
    const QString file = folder + QStringLiteral("in.pro");
    const QByteArray input = Bytes(data, size);
    WriteWholeFile(file, input);
    const QByteArray profilesBefore = ReadWholeFile(folder + QStringLiteral("ms_1/pro.data"));
    const QByteArray macrosBefore = ReadWholeFile(folder + QStringLiteral("ms_1/macro.data"));

    ProfileStore store(folder, texts);
    store.LoadProfiles();
    const ImportResult result = store.ImportProfile(file);
    bool refused = false;
    if (input.size() >= kRecord) {
        auto read = std::make_unique<ProfileRecord>();
        std::memcpy(read.get(), input.constData(), static_cast<size_t>(kRecord));
        refused = CheckProfileRecord(*read).has_value();
    }
    if (input.size() < kRecord || refused) {
        FUZZ_REQUIRE(result.error == (refused ? ImportError::Refused : ImportError::TooShort));
        FUZZ_REQUIRE(store.Count() == 2 && store.Macros().Count() == 2);
        FUZZ_REQUIRE(ReadWholeFile(folder + QStringLiteral("ms_1/pro.data")) == profilesBefore);
        FUZZ_REQUIRE(ReadWholeFile(folder + QStringLiteral("ms_1/macro.data")) == macrosBefore);
        return 0;
    }
    FUZZ_REQUIRE(result.Ok());
    FUZZ_REQUIRE(store.Count() == 3 && result.index == 2 && store.SelectedIndex() == 2);
    const ProfileRecord& imported = store.At(2);
    const QString name = ProfileName(imported);
    FUZZ_REQUIRE(!FieldUnterminated(imported.profileName));
    FUZZ_REQUIRE(name.compare(ProfileName(store.At(0)), Qt::CaseInsensitive) != 0);
    FUZZ_REQUIRE(name.compare(ProfileName(store.At(1)), Qt::CaseInsensitive) != 0);

    // The record as the file holds it, but for the name and the macro buttons' names and indexes;
    // every macro button names a stored macro with its own actions.
    ProfileRecord original;
    std::memcpy(&original, input.constData(), static_cast<size_t>(kRecord));
    int macroButtons = 0;
    for (int k = 0; k < kSlotCount; ++k) {
        for (int j = 0; j < kButtonCount; ++j) {
            ButtonEntry& expected = original.slots[k].buttons[j];
            const ButtonEntry& entry = imported.slots[k].buttons[j];
            if (expected.functionCode != kFunctionMacro) {
                continue;
            }
            ++macroButtons;
            const int stored = entry.macroIndex;
            FUZZ_REQUIRE(stored >= 2 && stored < store.Macros().Count());
            FUZZ_REQUIRE(store.Macros().NameAt(stored) == FieldToString(entry.macroName));
            FUZZ_REQUIRE(std::memcmp(store.Macros().At(stored).actions, entry.macroActions,
                                     sizeof entry.macroActions) == 0);
            std::memcpy(expected.macroName, entry.macroName, sizeof expected.macroName);
            expected.macroIndex = entry.macroIndex;
        }
    }
    std::memcpy(original.profileName, imported.profileName, sizeof original.profileName);
    FUZZ_REQUIRE(std::memcmp(&original, &imported, static_cast<size_t>(kRecord)) == 0);
    FUZZ_REQUIRE(store.Macros().Count() == 2 + macroButtons);

    // What is on the disk is what the store holds.
    ProfileStore again(folder, texts);
    again.LoadProfiles();
    FUZZ_REQUIRE(again.Count() == 3 && again.Macros().Count() == 2 + macroButtons);
    FUZZ_REQUIRE(std::memcmp(&again.At(2), &imported, static_cast<size_t>(kRecord)) == 0);
    return 0;
}
