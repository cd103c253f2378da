// The data core: building the reports of a full apply, the change comparison of two records,
// macro cost and binding, and the profile and macro stores on disk. Each group has its baseline
// in the same run: memcmp of two whole records for work in memory, a plain write or read of the
// same bytes for the stores.
//
// The stores are written under the system's temporary folder (TMPDIR).
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstring>
#include <memory>

#include "macro/macro_binding.h"
#include "macro/macro_store.h"
#include "page/profile_store.h"
#include "protocol/change_detection.h"
#include "protocol/profile_record.h"
#include "protocol/report_builders.h"
#include "protocol/utf16_field.h"
#include "sys/text_lookup.h"

namespace {

class BenchTexts final : public TextLookup {
public:
    QString Text(const QString&) const override { return QStringLiteral("Profile "); }
};

// A macro as long as the device takes: 46 actions, every third delay long enough to be split.
MacroRecord LongMacro(const QString& name) {
    MacroRecord macro{};
    const std::u16string units = name.left(kMacroNameUnits - 1).toStdU16String();
    std::copy(units.begin(), units.end(), macro.name);
    macro.actionCount = kMacroMaxActions;
    for (int i = 0; i < kMacroMaxActions; ++i) {
        MacroAction& action = macro.actions[i];
        action.code = static_cast<uint8_t>(0x04 + i / 2);
        action.kind = i % 2 == 0 ? kActionPress : kActionRelease;
        action.delay = static_cast<uint16_t>(i % 3 == 0 ? 1500 + i : 20 + i);
    }
    return macro;
}

// Every button that can hold a macro holds a 46-action one: the largest apply there is.
std::unique_ptr<ProfileRecord> RecordWithMacros() {
    auto record = CreateBlankRecord(QStringLiteral("Macros"));
    for (int j = 0; j < kButtonCount - 1; ++j) {
        BindMacroToButton(record->slots[0].buttons[j],
                          LongMacro(QStringLiteral("Macro %1").arg(j + 1)), j, 1, 1);
    }
    return record;
}

// ---- Work in memory -------------------------------------------------------------------------

void BM_MemcmpOfTwoRecords(benchmark::State& state) {
    const auto a = CreateBlankRecord(QStringLiteral("Everyday"));
    const auto b = std::make_unique<ProfileRecord>(*a);
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::memcmp(a.get(), b.get(), sizeof(ProfileRecord)));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sizeof(ProfileRecord)));
}
BENCHMARK(BM_MemcmpOfTwoRecords);

// Equal records are the worst case: every compared field is read to the end.
void BM_DetectChangesOfEqualRecords(benchmark::State& state) {
    const auto a =
        state.range(0) == 0 ? CreateBlankRecord(QStringLiteral("Everyday")) : RecordWithMacros();
    const auto b = std::make_unique<ProfileRecord>(*a);
    for (auto _ : state) {
        benchmark::DoNotOptimize(DetectChanges(*a, *b));
    }
}
BENCHMARK(BM_DetectChangesOfEqualRecords)->ArgName("macros")->Arg(0)->Arg(1);

// Every report of a full apply: 0x0C, DPI, lighting, rate, buttons, and a macro report for each
// button holding a macro.
void BM_BuildFullApplyReports(benchmark::State& state) {
    const auto record =
        state.range(0) == 0 ? CreateBlankRecord(QStringLiteral("Everyday")) : RecordWithMacros();
    for (auto _ : state) {
        benchmark::DoNotOptimize(BuildReport0C());
        benchmark::DoNotOptimize(BuildDpiReport(*record));
        benchmark::DoNotOptimize(BuildLightingReport(*record));
        benchmark::DoNotOptimize(BuildRateReport(*record));
        benchmark::DoNotOptimize(BuildButtonReport(*record));
        for (int j = 0; j < kButtonCount; ++j) {
            if (record->slots[0].buttons[j].functionCode == kFunctionMacro) {
                benchmark::DoNotOptimize(BuildMacroReport(*record, j));
            }
        }
    }
}
BENCHMARK(BM_BuildFullApplyReports)->ArgName("macros")->Arg(0)->Arg(1);

void BM_MacroCost(benchmark::State& state) {
    const MacroRecord macro = LongMacro(QStringLiteral("Long"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(MacroCost(macro.actions, macro.actionCount));
    }
}
BENCHMARK(BM_MacroCost);

void BM_BindMacroToButton(benchmark::State& state) {
    const MacroRecord macro = LongMacro(QStringLiteral("Long"));
    auto record = CreateBlankRecord(QStringLiteral("Everyday"));
    for (auto _ : state) {
        BindMacroToButton(record->slots[0].buttons[4], macro, 7, 1, 3);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BindMacroToButton);

// After the macro editor closes: every macro entry of a record checked against a store of
// 100 macros by name.
void BM_ReconcileMacroEntries(benchmark::State& state) {
    QTemporaryDir dir;
    MacroStore store(dir.path() + QLatin1Char('/'));
    for (int i = 0; i < 100; ++i) {
        store.Append(LongMacro(QStringLiteral("Macro %1").arg(i + 1)));
    }
    auto record = RecordWithMacros();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReconcileMacroEntries(*record, store));
    }
}
BENCHMARK(BM_ReconcileMacroEntries);

// ---- Stores on disk -------------------------------------------------------------------------

class StoreFolder {
public:
    explicit StoreFolder(int profiles) : store_(Path(), texts_) {
        for (int i = 0; i < profiles; ++i) {
            store_.AppendProfile(QStringLiteral("Profile %1").arg(i + 1));
        }
    }
    QString Path() const { return dir_.path() + QLatin1Char('/'); }
    ProfileStore& Store() { return store_; }
    // The bytes pro.data holds for these profiles.
    qint64 FileSize() { return 4 + static_cast<qint64>(store_.Count()) * sizeof(ProfileRecord); }

private:
    QTemporaryDir dir_;
    BenchTexts texts_;
    ProfileStore store_;
};

void BM_SaveProfiles(benchmark::State& state) {
    StoreFolder folder(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!folder.Store().SaveProfiles()) {
            state.SkipWithError("pro.data could not be written");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * folder.FileSize());
}
BENCHMARK(BM_SaveProfiles)->ArgName("profiles")->Arg(1)->Arg(10)->Arg(100)->UseRealTime();

// The baseline: the same number of bytes written straight into a file of the same folder.
void BM_PlainWrite(benchmark::State& state) {
    StoreFolder folder(static_cast<int>(state.range(0)));
    const QByteArray bytes(folder.FileSize(), '\x5A');
    const QString path = folder.Path() + QStringLiteral("plain.data");
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size()) {
            state.SkipWithError("the plain file could not be written");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_PlainWrite)->ArgName("profiles")->Arg(1)->Arg(10)->Arg(100)->UseRealTime();

void BM_LoadProfiles(benchmark::State& state) {
    StoreFolder folder(static_cast<int>(state.range(0)));
    folder.Store().SaveProfiles();
    for (auto _ : state) {
        if (!folder.Store().ReadProfiles()) {
            state.SkipWithError("pro.data could not be read");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * folder.FileSize());
}
BENCHMARK(BM_LoadProfiles)->ArgName("profiles")->Arg(1)->Arg(10)->Arg(100)->UseRealTime();

void BM_PlainRead(benchmark::State& state) {
    StoreFolder folder(static_cast<int>(state.range(0)));
    folder.Store().SaveProfiles();
    for (auto _ : state) {
        QFile file(folder.Store().FilePath());
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("pro.data could not be opened");
            break;
        }
        benchmark::DoNotOptimize(file.readAll());
    }
    state.SetBytesProcessed(state.iterations() * folder.FileSize());
}
BENCHMARK(BM_PlainRead)->ArgName("profiles")->Arg(1)->Arg(10)->Arg(100)->UseRealTime();

// macro.data with 100 macros, saved and loaded.
void BM_MacroStoreSaveAndLoad(benchmark::State& state) {
    QTemporaryDir dir;
    MacroStore store(dir.path() + QLatin1Char('/'));
    for (int i = 0; i < 100; ++i) {
        store.Append(LongMacro(QStringLiteral("Macro %1").arg(i + 1)));
    }
    for (auto _ : state) {
        if (!store.Save()) {
            state.SkipWithError("macro.data could not be written");
            break;
        }
        store.Load();
    }
}
BENCHMARK(BM_MacroStoreSaveAndLoad)->UseRealTime();

// Its baseline: the same 24,000 bytes written and read back plainly.
void BM_PlainWriteAndReadOfMacroBytes(benchmark::State& state) {
    QTemporaryDir dir;
    const QByteArray bytes(100 * static_cast<qsizetype>(sizeof(MacroRecord)), '\x5A');
    const QString path = dir.path() + QStringLiteral("/plain.data");
    for (auto _ : state) {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(bytes) != bytes.size()) {
            state.SkipWithError("the plain file could not be written");
            break;
        }
        out.close();
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly)) {
            state.SkipWithError("the plain file could not be read");
            break;
        }
        benchmark::DoNotOptimize(in.readAll());
    }
}
BENCHMARK(BM_PlainWriteAndReadOfMacroBytes)->UseRealTime();

// A free name among n taken ones "M", "m_1", ... "m_<n-1>": the worst case of the "_n" rule, which
// must grow linearly with n (one pass to fold the names, one probe per candidate).
void BM_UniqueMacroName(benchmark::State& state) {
    MacroStore store(QStringLiteral("/nonexistent/"));
    MacroRecord record{};
    for (int n = 0; n < state.range(0); ++n) {
        StringToField(record.name, n == 0 ? QStringLiteral("M") : QStringLiteral("m_%1").arg(n));
        store.Append(record);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.UniqueName(QStringLiteral("M")));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_UniqueMacroName)->ArgName("taken")->Arg(1000)->Arg(20000)->Complexity();

}  // namespace

BENCHMARK_MAIN();
