// Several writers of the same stores at the same moment, counted and checked like the kill
// stress.
//
//   store_writers_stress [ROUNDS] [FOLDER]
//
// Part one: talvorectl processes started together on one data folder, in every pairing of two
// and three writers of "import" (a profile that brings two macros) and "import-macro", ROUNDS
// rounds each. In every other round the first writer is slowed: strace delays each of its flock
// calls by half a second (when strace is installed). After each round:
//   - every command that exited 0 left its change: the name it printed is stored;
//   - the stores are consistent as the kill stress checks them (whole, every macro a profile
//     names is stored, each imported profile brought exactly its two macros).
// Part two: the same beside the running program (the demo's program on the simulated mouse and
// the demo's talvorectl, which hands its commands to it), while an edit is made on the page at
// the same moment. Every imported profile must be on the page at once, and after the program's
// end every change and the last edit must be in the stores. The program is started anew every
// 20 rounds, on a new data folder.
// Prints the counts; exits 1 when a change was lost or a store was found inconsistent.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "page/profile_store.h"
#include "protocol/utf16_field.h"
#include "stress/store_checks.h"

namespace {

using stress::ImportedProfile;
using stress::Problems;
using stress::Texts;

enum class Writer { Import, ImportMacro };
using Pairing = std::vector<Writer>;

const std::vector<Pairing> kPairings = {
    {Writer::Import, Writer::Import},
    {Writer::Import, Writer::ImportMacro},
    {Writer::ImportMacro, Writer::ImportMacro},
    {Writer::Import, Writer::Import, Writer::Import},
    {Writer::Import, Writer::Import, Writer::ImportMacro},
    {Writer::Import, Writer::ImportMacro, Writer::ImportMacro},
    {Writer::ImportMacro, Writer::ImportMacro, Writer::ImportMacro},
};

// Stores start anew at this many profiles, so rounds work on stores of about the same size.
constexpr int kMaxProfiles = 40;
constexpr int kRoundsPerProgram = 20;

QString PairingName(const Pairing& pairing) {
    QStringList names;
    for (const Writer writer : pairing) {
        names << (writer == Writer::Import ? QStringLiteral("import")
                                           : QStringLiteral("import-macro"));
    }
    return names.join(QLatin1Char('+'));
}

struct Counts {
    int rounds = 0;
    int slowed = 0;
    int commands = 0;
    int succeeded = 0;
    int lost = 0;
    int inconsistent = 0;
};

struct Outcome {
    int exitCode = -1;
    QString name;  // what it printed
    QByteArray err;
};

// The input files: a profile that brings two macros, and a macro.
bool WriteInputs(const QString& folder) {
    const auto profile = ImportedProfile();
    MacroRecord macro{};
    StringToField(macro.name, QStringLiteral("Single"));
    const auto write = [](const QString& path, const void* data, qint64 size) {
        return WriteFileAtomically(path, [&](QIODevice& file) {
                   return WriteAll(file, data, size);
               }) == FileError::None;
    };
    return write(folder + QStringLiteral("/two.pro"), profile.get(), sizeof(ProfileRecord)) &&
           write(folder + QStringLiteral("/one.macro"), &macro, sizeof macro);
}

// Starts the writers together and waits for all of them.
std::vector<Outcome> RunTogether(const QString& talvorectl, const QString& inputs,
                                 const Pairing& pairing, bool slowFirst,
                                 const QProcessEnvironment& environment) {
    std::vector<std::unique_ptr<QProcess>> running;
    for (std::size_t i = 0; i < pairing.size(); ++i) {
        QStringList args = pairing[i] == Writer::Import
                               ? QStringList{QStringLiteral("import"), inputs + "/two.pro"}
                               : QStringList{QStringLiteral("import-macro"), inputs + "/one.macro"};
        QString program = talvorectl;
        if (i == 0 && slowFirst) {
            args = QStringList{QStringLiteral("-f"),
                               QStringLiteral("-o"),
                               QStringLiteral("/dev/null"),
                               QStringLiteral("-e"),
                               QStringLiteral("inject=flock:delay_enter=500000"),
                               talvorectl} +
                   args;
            program = QStringLiteral("strace");
        }
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->start(program, args);
        running.push_back(std::move(process));
    }
    std::vector<Outcome> outcomes;
    for (auto& process : running) {
        if (!process->waitForFinished(120000)) {
            process->kill();
            process->waitForFinished();
        }
        outcomes.push_back(
            {process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1,
             QString::fromUtf8(process->readAllStandardOutput().trimmed()),
             process->readAllStandardError()});
    }
    return outcomes;
}

// The names each store holds, as a reader finds them; the problem when they are inconsistent.
QString ReadStores(const QString& dataFolder, QStringList& profiles, QStringList& macros) {
    Texts texts;
    ProfileStore store(dataFolder, texts);
    const StoreLoad profileLoad = store.ReadProfiles();
    const StoreLoad macroLoad = store.Macros().Load();
    if (!profileLoad.Writable() || !macroLoad.Writable()) {
        return QStringLiteral("a reader finds a damaged store: %1 %2")
            .arg(profileLoad.problem, macroLoad.problem);
    }
    profiles.clear();
    macros.clear();
    for (int i = 0; i < store.Count(); ++i) {
        profiles << ProfileName(store.At(i));
    }
    for (int i = 0; i < store.Macros().Count(); ++i) {
        macros << store.Macros().NameAt(i);
    }
    return Problems(store);
}

// Counts the commands of a round and those whose change is not in the stores.
void Count(const std::vector<Outcome>& outcomes, const Pairing& pairing,
           const QStringList& profiles, const QStringList& macros, const QStringList& page,
           Counts& counts, const QString& round) {
    // Stored names are unique: two commands that print the same name cannot both be stored.
    QStringList claimed;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        ++counts.commands;
        if (outcomes[i].exitCode != 0) {
            std::fprintf(stderr, "%s: a writer exited %d: %s\n", qPrintable(round),
                         outcomes[i].exitCode, outcomes[i].err.constData());
            continue;
        }
        ++counts.succeeded;
        const bool profile = pairing[i] == Writer::Import;
        const bool stored = (profile ? profiles : macros).contains(outcomes[i].name) &&
                            !claimed.contains(outcomes[i].name);
        claimed << outcomes[i].name;
        const bool shown = !profile || page.isEmpty() || page.contains(outcomes[i].name);
        if (!stored || !shown) {
            ++counts.lost;
            std::fprintf(stderr, "%s: %s printed %s, which is not %s\n", qPrintable(round),
                         profile ? "import" : "import-macro", qPrintable(outcomes[i].name),
                         stored ? "on the page" : "stored");
        }
    }
}

// "alone": talvorectl writers by themselves; "beside": beside the running program.
void Print(const char* part, const std::vector<Counts>& counts) {
    for (std::size_t p = 0; p < kPairings.size(); ++p) {
        const Counts& c = counts[p];
        std::printf(
            "%s %-38s rounds %4d (%4d slowed), commands %5d, exit 0: %5d, lost %d, "
            "inconsistent %d\n",
            part, qPrintable(PairingName(kPairings[p])), c.rounds, c.slowed, c.commands,
            c.succeeded, c.lost, c.inconsistent);
    }
}

// Part one: talvorectl writers alone.
bool WritersAlone(int rounds, const QString& root, bool strace, std::vector<Counts>& counts) {
    const QString program = root + QStringLiteral("/alone");
    const QString dataFolder = program + QStringLiteral("/Data/");
    const QString talvorectl = program + QStringLiteral("/talvorectl");
    if (!QDir().mkpath(program) || !QFile::copy(QStringLiteral(TALVORECTL), talvorectl) ||
        !WriteInputs(root)) {
        std::fprintf(stderr, "cannot set up %s\n", qPrintable(program));
        return false;
    }
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (std::size_t p = 0; p < kPairings.size(); ++p) {
        for (int round = 0; round < rounds; ++round) {
            const bool slow = strace && round % 2 == 1;
            const std::vector<Outcome> outcomes =
                RunTogether(talvorectl, root, kPairings[p], slow, environment);
            QStringList profiles;
            QStringList macros;
            const QString name =
                QStringLiteral("%1 round %2").arg(PairingName(kPairings[p])).arg(round);
            Counts& c = counts[p];
            ++c.rounds;
            c.slowed += slow ? 1 : 0;
            if (const QString problem = ReadStores(dataFolder, profiles, macros);
                !problem.isEmpty()) {
                ++c.inconsistent;
                std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(problem));
            }
            Count(outcomes, kPairings[p], profiles, macros, {}, c, name);
            if (profiles.size() >= kMaxProfiles) {
                QDir(dataFolder).removeRecursively();
            }
        }
    }
    return true;
}

// The program on the simulated mouse, driven through its standard input.
class Program {
public:
    bool Start(const QString& folder, const QProcessEnvironment& environment) {
        process_.setProcessEnvironment(environment);
        process_.start(folder + QStringLiteral("/probe"), {});
        return WaitFor("ready");
    }
    void Tell(const QByteArray& line) { process_.write(line + '\n'); }
    bool WaitFor(const QByteArray& text) {
        QDeadlineTimer deadline(60000);
        while (!log_.contains(text) && !deadline.hasExpired()) {
            process_.waitForReadyRead(100);
            log_ += process_.readAllStandardError();
        }
        return log_.contains(text);
    }
    // The names in the page's profile list.
    QStringList PageList() {
        log_.clear();
        Tell("list");
        if (!WaitFor("; selected ")) {
            return {};
        }
        const qsizetype start = log_.indexOf("list: ") + 6;
        const QByteArray list = log_.mid(start, log_.indexOf("; selected ", start) - start);
        return QString::fromUtf8(list).split(QLatin1Char('|'));
    }
    bool End() {
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        const bool ended = process_.waitForFinished(60000);
        log_ += process_.readAllStandardError();
        return ended && process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0 &&
               log_.contains("profiles saved on the way out");
    }
    const QByteArray& Log() const { return log_; }

private:
    QProcess process_;
    QByteArray log_;
};

bool CopyProgramFolder(const QString& to) {
    QDir().mkpath(to);
    bool copied =
        QFile::copy(QStringLiteral(SCRIPTED_PROGRAM_PROBE), to + QStringLiteral("/probe")) &&
        QFile::copy(QStringLiteral(TALVORE_DEMO_DIR "/talvorectl"),
                    to + QStringLiteral("/talvorectl"));
    for (const char* file : {"hiddriver_1.so", "hiddriver_2.so", "libtalvore_simhid.so",
                             "libtalvore_hidapi_lock.so"}) {
        copied = copied && QFile::copy(QStringLiteral(TALVORE_DEMO_DIR "/") + QLatin1String(file),
                                       to + QLatin1Char('/') + QLatin1String(file));
    }
    const QString res = QStringLiteral(TALVORE_DEMO_DIR "/res");
    QDirIterator it(res, QDir::Files, QDirIterator::Subdirectories);
    while (copied && it.hasNext()) {
        const QString file = it.next();
        const QString target = to + QStringLiteral("/res") + file.mid(res.size());
        QDir().mkpath(QFileInfo(target).path());
        copied = QFile::copy(file, target);
    }
    return copied;
}

// Part two: talvorectl writers beside the program, and an edit on its page at the same moment.
bool WritersBesideTheProgram(int rounds, const QString& root, bool strace,
                             std::vector<Counts>& counts, int& endsChecked) {
    QTemporaryDir runtime;  // the program's single-instance socket, closed to others
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                       QStringLiteral("*.debug=false;talvore.links.info=true"));
    environment.insert(QStringLiteral("TALVORE_SIM_LINKS"), QStringLiteral("receiver"));
    const QString folder = root + QStringLiteral("/beside");
    if (!runtime.isValid() || !CopyProgramFolder(folder)) {
        std::fprintf(stderr, "cannot set up %s\n", qPrintable(folder));
        return false;
    }
    const QString dataFolder = folder + QStringLiteral("/Data/");
    const QString talvorectl = folder + QStringLiteral("/talvorectl");
    int edit = 0;
    for (int round = 0; round < rounds * static_cast<int>(kPairings.size());) {
        QDir(dataFolder).removeRecursively();
        Program program;
        if (!program.Start(folder, environment)) {
            std::fprintf(stderr, "the program did not start:\n%s\n", program.Log().constData());
            return false;
        }
        std::vector<std::pair<std::size_t, Outcome>> done;
        const int last =
            std::min(round + kRoundsPerProgram, rounds * static_cast<int>(kPairings.size()));
        for (; round < last; ++round) {
            const std::size_t p = static_cast<std::size_t>(round) % kPairings.size();
            const bool slow = strace && (round / kPairings.size()) % 2 == 1;
            program.Tell("edit " + QByteArray::number(++edit % 60 + 1));
            const std::vector<Outcome> outcomes =
                RunTogether(talvorectl, root, kPairings[p], slow, environment);
            ++counts[p].rounds;
            counts[p].slowed += slow ? 1 : 0;
            const QString name = QStringLiteral("beside the program, %1 round %2")
                                     .arg(PairingName(kPairings[p]))
                                     .arg(round);
            QStringList profiles;
            QStringList macros;
            if (const QString problem = ReadStores(dataFolder, profiles, macros);
                !problem.isEmpty()) {
                ++counts[p].inconsistent;
                std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(problem));
            }
            Count(outcomes, kPairings[p], profiles, macros, program.PageList(), counts[p], name);
            for (const Outcome& outcome : outcomes) {
                done.push_back({p, outcome});
            }
        }
        // After the program's end: every change and the last edit are in the stores. (The page
        // list asked for after the last edit says it was made: the program takes lines in order.)
        const int lastEdit = edit % 60 + 1;
        if (!program.End()) {
            std::fprintf(stderr, "the program did not end cleanly:\n%s\n",
                         program.Log().constData());
            return false;
        }
        ++endsChecked;
        QStringList profiles;
        QStringList macros;
        if (const QString problem = ReadStores(dataFolder, profiles, macros); !problem.isEmpty()) {
            std::fprintf(stderr, "after the end: %s\n", qPrintable(problem));
            ++counts[done.empty() ? 0 : done.back().first].inconsistent;
        }
        for (const auto& [p, outcome] : done) {
            const bool profile = outcome.name.startsWith(QLatin1String("Imported"));
            if (outcome.exitCode == 0 && !(profile ? profiles : macros).contains(outcome.name)) {
                ++counts[p].lost;
                std::fprintf(stderr, "after the end: %s is not stored\n", qPrintable(outcome.name));
            }
        }
        Texts texts;
        ProfileStore store(dataFolder, texts);
        store.ReadProfiles();
        bool editKept = false;
        for (int i = 0; i < store.Count(); ++i) {
            editKept = editKept || store.At(i).slots[0].sleepTimer == lastEdit;
        }
        if (!editKept) {
            ++counts[done.empty() ? 0 : done.back().first].lost;
            std::fprintf(stderr, "after the end: the last edit (%d) is not stored\n", lastEdit);
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 100;
    const QString base = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath();
    const QString root = base + QStringLiteral("/talvore-writers-stress-%1").arg(::getpid());
    QDir(root).removeRecursively();
    const bool strace = !QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty();
    std::printf(
        "rounds %d per pairing; one writer slowed in every other round: %s\n", rounds,
        strace ? "yes (strace, each flock delayed by 0.5 s)" : "no (strace is not installed)");

    std::vector<Counts> alone(kPairings.size());
    std::vector<Counts> beside(kPairings.size());
    int endsChecked = 0;
    const bool ran = WritersAlone(rounds, root, strace, alone) &&
                     WritersBesideTheProgram(rounds, root, strace, beside, endsChecked);
    Print("alone  ", alone);
    Print("beside ", beside);
    int lost = 0;
    int inconsistent = 0;
    int commands = 0;
    for (const auto* part : {&alone, &beside}) {
        for (const Counts& c : *part) {
            lost += c.lost;
            inconsistent += c.inconsistent;
            commands += c.commands;
        }
    }
    std::printf(
        "commands: %d; program runs ended and checked: %d; lost changes: %d; "
        "inconsistent stores: %d\n",
        commands, endsChecked, lost, inconsistent);
    QDir(root).removeRecursively();
    return ran && lost == 0 && inconsistent == 0 ? 0 : 1;
}
