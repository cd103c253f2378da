// macro.data: a reader never writes; every byte loads into a macro (a short last one completed
// with zeros), and saving writes back exactly that.
#include "fuzz/fuzz_support.h"
#include "macro/macro_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString folder = FreshScratchFolder();
    const QString path = folder + QStringLiteral("ms_1/macro.data");
    const QByteArray input = Bytes(data, size);
    WriteWholeFile(path, input);
    constexpr qsizetype kRecord = sizeof(MacroRecord);

    MacroStore store(folder);
    const StoreLoad load = store.Load();
    FUZZ_REQUIRE(ReadWholeFile(path) == input);
    FUZZ_REQUIRE(load.condition ==
                 (input.isEmpty() ? StoreCondition::Missing : StoreCondition::Whole));
    FUZZ_REQUIRE(store.Count() == (input.size() + kRecord - 1) / kRecord);
    for (int i = 0; i < store.Count(); ++i) {
        FUZZ_REQUIRE(UsableActionCount(store.At(i)) >= 0);
        FUZZ_REQUIRE(UsableActionCount(store.At(i)) <= kMacroMaxActions);
        store.NameAt(i);  // reads at most the 24 units of the field
    }

    FUZZ_REQUIRE(store.Save().Ok());
    QByteArray expected = input;
    expected.append(QByteArray((kRecord - input.size() % kRecord) % kRecord, '\0'));
    FUZZ_REQUIRE(ReadWholeFile(path) == expected);
    return 0;
}
