// A *.macro file imported into a store: a file shorter than one record, or one the record check
// refuses, changes nothing; any other file adds one macro under a free name of at most 23 units,
// with the file's other bytes as they are.
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "macro/macro_store.h"
#include "macro/record_check.h"
#include "protocol/utf16_field.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString folder = FreshScratchFolder();
    const QString file = folder + QStringLiteral("in.macro");
    const QByteArray input = Bytes(data, size);
    WriteWholeFile(file, input);
    {
        MacroStore seed(folder);
        MacroRecord macro{};
        for (const char* name : {"Copy", "Copy_1", "\xC3\x84rger"}) {
            StringToField(macro.name, QString::fromUtf8(name));
            seed.Append(macro);
        }
        FUZZ_REQUIRE(seed.Save().Ok());
    }
    const QByteArray before = ReadWholeFile(folder + QStringLiteral("ms_1/macro.data"));

    MacroStore store(folder);
    store.Load();
    const ImportResult result = store.Import(file);
    MacroRecord read{};
    const bool whole = input.size() >= static_cast<qsizetype>(sizeof read);
    if (whole) {
        std::memcpy(&read, input.constData(), sizeof read);
    }
    if (!whole || CheckMacroRecord(read)) {
        FUZZ_REQUIRE(result.error == (whole ? ImportError::Refused : ImportError::TooShort));
        FUZZ_REQUIRE(store.Count() == 3);
        FUZZ_REQUIRE(ReadWholeFile(folder + QStringLiteral("ms_1/macro.data")) == before);
        return 0;
    }
    FUZZ_REQUIRE(result.Ok() && result.index == 3 && store.Count() == 4);
    const MacroRecord& added = store.At(3);
    FUZZ_REQUIRE(!FieldUnterminated(added.name));
    const QString name = store.NameAt(3);
    FUZZ_REQUIRE(name == result.name);
    for (int i = 0; i < 3; ++i) {
        FUZZ_REQUIRE(name.compare(store.NameAt(i), Qt::CaseInsensitive) != 0);
    }
    QByteArray expected = input.left(sizeof(MacroRecord));
    expected.append(
        QByteArray(static_cast<qsizetype>(sizeof(MacroRecord)) - expected.size(), '\0'));
    expected.replace(0, sizeof added.name,
                     QByteArray(reinterpret_cast<const char*>(added.name), sizeof added.name));
    FUZZ_REQUIRE(ReadWholeFile(folder + QStringLiteral("ms_1/macro.data")) == before + expected);
    FUZZ_REQUIRE(store.Export(3, folder + QStringLiteral("out.macro")).Ok());
    FUZZ_REQUIRE(ReadWholeFile(folder + QStringLiteral("out.macro")) == expected);
    return 0;
}
