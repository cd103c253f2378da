// Kills saves and imports at random points and checks both stores after every kill, as the next
// start of the program or of talvorectl finds them.
//
//   store_kill_stress [KILLS] [FOLDER] [SEED]
//
// Each round forks a child that does one store operation the way the program or talvorectl does
// it (import a profile that carries two macros, import a macro file, rename and save), and kills
// it with SIGKILL after a random delay within the operation's usual length. Then:
//   - a reader that must not write (talvorectl profiles) sees whole stores, and no profile button
//     names a macro the macro store lacks;
//   - the program's start finds nothing to keep aside and nothing it cannot save, and the same;
//   - every imported profile brought exactly its two macros (no orphan copies from a killed or
//     retried import), and nothing but the store files is left in the folder.
// Prints the counts; exits 1 when any store was found inconsistent.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>

#include <QDir>
#include <QFile>

#include "page/profile_store.h"
#include "protocol/utf16_field.h"
#include "stress/store_checks.h"

namespace {

using stress::ImportedProfile;
using stress::Problems;
using stress::Texts;

enum Operation { kImportProfile, kProgramImport, kImportMacro, kRenameAndSave, kOperationCount };

// Stores are started anew when they reach this many profiles, so every round works on stores of
// about the same size and the kill delays stay spread over the whole operation.
constexpr int kMaxProfiles = 12;

const char* const kOperationNames[] = {"talvorectl import", "program import",
                                       "talvorectl import-macro", "rename and save"};

// One operation, as a process of its own does it; the exit code says whether it went through.
int RunOperation(Operation operation, const QString& dataFolder, const QString& macroFile) {
    Texts texts;
    ProfileStore store(dataFolder, texts);
    switch (operation) {
        case kImportProfile: {
            const ProfileStore::Loads loads = store.ReadForChange();
            if (!loads.profiles.Writable() || !loads.macros.Writable()) {
                return 2;
            }
            if (store.Count() == 0) {
                store.AddDefaultProfile();  // as talvorectl does on a new store
            }
            return store.ImportProfileRecord(ImportedProfile()).Ok() ? 0 : 2;
        }
        case kProgramImport:
            store.LoadProfiles();
            return store.ImportProfileRecord(ImportedProfile()).Ok() ? 0 : 2;
        case kImportMacro: {
            MacroStore macros(dataFolder);
            if (!macros.ReadForChange().Writable()) {
                return 2;
            }
            return macros.Import(macroFile).Ok() ? 0 : 2;
        }
        case kRenameAndSave:
            store.LoadProfiles();
            return store.Rename(0, QStringLiteral("Renamed %1").arg(::getpid())) ? 0 : 2;
        default:
            return 3;
    }
}

struct StoreView {
    int profiles = 0;
    int macros = 0;
    bool operator==(const StoreView&) const = default;
};

// Checks the stores as a reader and then as the program's start find them.
QString Check(const QString& dataFolder, StoreView& view) {
    Texts texts;
    ProfileStore reader(dataFolder, texts);
    const StoreLoad profiles = reader.ReadProfiles();
    const StoreLoad macros = reader.Macros().Load();
    if (!profiles.Writable() || !macros.Writable()) {
        return QStringLiteral("a reader finds a damaged store: %1 %2")
            .arg(profiles.problem, macros.problem);
    }
    if (const QString problem = Problems(reader); !problem.isEmpty()) {
        return QStringLiteral("as read: ") + problem;
    }
    const StoreView read{reader.Count(), reader.Macros().Count()};

    ProfileStore program(dataFolder, texts);
    const StoreStartReport report = program.LoadProfiles();
    if (!report.keptAside.empty() || report.saveFailed) {
        return QStringLiteral("the program's start kept a store aside or could not save");
    }
    if (const QString problem = Problems(program); !problem.isEmpty()) {
        return QStringLiteral("at start: ") + problem;
    }
    view = {program.Count(), program.Macros().Count()};
    // Without pro.data the start writes one default profile; otherwise both see the same.
    if (profiles.condition == StoreCondition::Missing && program.Count() == 1) {
        view.profiles = read.profiles;
    }
    if (!(view == read)) {
        return QStringLiteral("the reader and the program's start see different stores");
    }
    const QStringList left =
        QDir(dataFolder + QLatin1String("ms_1"))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    QStringList unexpected = left;
    unexpected.removeOne(QStringLiteral("macro.data"));
    if (unexpected != QStringList{QStringLiteral("pro.data")}) {
        return QStringLiteral("left in the folder: ") + left.join(QLatin1Char(' '));
    }
    return {};
}

// Runs the operation in a child; kills it after `delay` unless it ended first. True when the
// kill came before the end.
bool RunAndKill(Operation operation, const QString& dataFolder, const QString& macroFile,
                std::chrono::microseconds delay) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(RunOperation(operation, dataFolder, macroFile));
    }
    const auto deadline = std::chrono::steady_clock::now() + delay;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(child, &status, WNOHANG) == child) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status);
}

}  // namespace

int main(int argc, char** argv) {
    const int kills = argc > 1 ? std::atoi(argv[1]) : 1000;
    const QString root = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath();
    const unsigned seed =
        argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : std::random_device{}();
    const QString dataFolder = root + QStringLiteral("/talvore-kill-stress-%1/").arg(::getpid());
    const QString macroFile =
        root + QStringLiteral("/talvore-kill-stress-%1.macro").arg(::getpid());
    QDir(dataFolder).removeRecursively();
    {
        MacroRecord single{};
        StringToField(single.name, QStringLiteral("Single"));
        QFile file(macroFile);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(&single), sizeof single) != sizeof single) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(macroFile));
            return 2;
        }
    }
    std::mt19937 random(seed);

    // The usual length of each operation, measured without a kill on a store as large as the
    // rounds let it grow.
    StoreView view;
    std::chrono::microseconds longest{0};
    for (int i = 0; i < kMaxProfiles - 2; ++i) {
        RunAndKill(kImportProfile, dataFolder, macroFile, std::chrono::seconds(5));
    }
    for (int op = 0; op < kOperationCount; ++op) {
        const auto start = std::chrono::steady_clock::now();
        RunAndKill(static_cast<Operation>(op), dataFolder, macroFile, std::chrono::seconds(5));
        longest = std::max(longest, std::chrono::duration_cast<std::chrono::microseconds>(
                                        std::chrono::steady_clock::now() - start));
        if (const QString problem = Check(dataFolder, view); !problem.isEmpty()) {
            std::fprintf(stderr, "without a kill: %s\n", qPrintable(problem));
            return 1;
        }
    }
    std::printf("seed %u; longest operation %lld us; kills within 0..%lld us\n", seed,
                static_cast<long long>(longest.count()),
                static_cast<long long>(longest.count() * 12 / 10));

    int interrupted[kOperationCount] = {};
    int finished[kOperationCount] = {};
    int inconsistent = 0;
    std::uniform_int_distribution<int> pickOperation(0, kOperationCount - 1);
    std::uniform_int_distribution<long long> pickDelay(0, longest.count() * 12 / 10);
    for (int round = 0; round < kills; ++round) {
        const auto operation = static_cast<Operation>(pickOperation(random));
        if (RunAndKill(operation, dataFolder, macroFile,
                       std::chrono::microseconds(pickDelay(random)))) {
            ++interrupted[operation];
        } else {
            ++finished[operation];
        }
        if (const QString problem = Check(dataFolder, view); !problem.isEmpty()) {
            ++inconsistent;
            std::fprintf(stderr, "round %d (%s): %s\n", round, kOperationNames[operation],
                         qPrintable(problem));
        }
        if (view.profiles >= kMaxProfiles) {
            QDir(dataFolder).removeRecursively();  // start small again
        }
    }
    int totalInterrupted = 0;
    for (int op = 0; op < kOperationCount; ++op) {
        std::printf("%-24s killed in the middle %5d, finished before the kill %5d\n",
                    kOperationNames[op], interrupted[op], finished[op]);
        totalInterrupted += interrupted[op];
    }
    std::printf(
        "kills: %d (%d in the middle of an operation); stores at the end: %d profiles, "
        "%d macros; inconsistent stores: %d\n",
        kills, totalInterrupted, view.profiles, view.macros, inconsistent);
    QDir(dataFolder).removeRecursively();
    QFile::remove(macroFile);
    return inconsistent == 0 ? 0 : 1;
}
