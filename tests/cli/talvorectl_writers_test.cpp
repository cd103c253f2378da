// Several talvorectl commands writing the same stores, and stores kept the way the user keeps
// them: every command that says it changed a store did, links stay links, read-only files stay,
// no store grows past what its readers accept, and killed writers leave nothing behind.
#include <sys/stat.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <vector>

#include "tests/cli/talvorectl_fixture.h"

namespace {

class TalvorectlWritersTest : public TalvorectlTest {
protected:
    // Starts the commands at once and waits for all of them.
    std::vector<RunResult> AtOnce(const std::vector<QStringList>& commands) const {
        std::vector<std::unique_ptr<QProcess>> running;
        for (const QStringList& args : commands) {
            auto process = std::make_unique<QProcess>();
            process->setWorkingDirectory(files.path());
            process->start(Program(), args);
            running.push_back(std::move(process));
        }
        std::vector<RunResult> results;
        for (auto& process : running) {
            if (!process->waitForFinished(60000)) {
                process->kill();
                process->waitForFinished();
            }
            results.push_back(
                {process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1,
                 process->readAllStandardOutput(), process->readAllStandardError()});
        }
        return results;
    }
    QStringList Listed(const char* command) const {
        QStringList names;
        for (const QByteArray& line : Talvorectl({QLatin1String(command)}).out.split('\n')) {
            if (!line.isEmpty()) {
                names << QString::fromUtf8(line.split('\t').value(1));
            }
        }
        return names;
    }
};

TEST_F(TalvorectlWritersTest, WritersAtTheSameMomentAllKeepTheirChanges) {
    WriteBytes(FileIn("two.pro"), ProfileBytes(Utf16("Imported"), {"PCopy", "PPaste"}));
    WriteBytes(FileIn("one.macro"), MacroBytes(Utf16("Single")));
    const QStringList import{QStringLiteral("import"), FileIn("two.pro")};
    const QStringList importMacro{QStringLiteral("import-macro"), FileIn("one.macro")};
    QStringList profiles;
    QStringList macros;
    for (int round = 0; round < 8; ++round) {
        for (const RunResult& run : AtOnce({import, import, importMacro})) {
            ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
            const QString name = QString::fromUtf8(run.out.trimmed());
            (name.startsWith(QLatin1String("Imported")) ? profiles : macros) << name;
        }
    }
    // Every name a command printed is stored, once.
    QStringList stored = Listed("profiles");
    ASSERT_EQ(stored.size(), 1 + profiles.size());
    stored.removeFirst();  // the default profile of the new store
    profiles.sort();
    stored.sort();
    EXPECT_EQ(stored, profiles);
    const QStringList storedMacros = Listed("macros");
    for (const QString& name : macros) {
        EXPECT_EQ(storedMacros.count(name), 1) << name.toStdString();
    }
    // Each imported profile brought its two macros, and its buttons name macros that exist.
    EXPECT_EQ(storedMacros.size(), macros.size() + 2 * profiles.size());
    for (int index = 1; index <= profiles.size(); ++index) {
        ASSERT_EQ(Talvorectl({QStringLiteral("export"), QString::number(index), FileIn("out.pro")})
                      .exitCode,
                  0);
        const QJsonArray buttons =
            QJsonDocument::fromJson(Talvorectl({QStringLiteral("show"), FileIn("out.pro")}).out)
                .object()
                .value(QLatin1String("buttons"))
                .toArray();
        for (int button : {4, 5}) {
            const QString macro =
                buttons[button].toObject().value(QLatin1String("macroName")).toString();
            EXPECT_EQ(storedMacros.count(macro), 1) << index << " " << macro.toStdString();
        }
    }
}

TEST_F(TalvorectlWritersTest, AStoreAtItsLimitTakesNoMore) {
    WriteBytes(FileIn("plain.pro"), ProfileBytes(Utf16("Plain")));
    WriteBytes(FileIn("two.pro"), ProfileBytes(Utf16("Two"), {"PCopy", "PPaste"}));
    WriteBytes(FileIn("one.macro"), MacroBytes(Utf16("One")));
    ASSERT_EQ(Talvorectl({QStringLiteral("import"), FileIn("plain.pro")}).exitCode, 0);
    // As many profiles and macros as a store holds, without taking their room on the disk.
    const auto grow = [](const QString& path, qint64 size) {
        QFile file(path);
        return file.open(QIODevice::ReadWrite) && file.resize(size);
    };
    ASSERT_TRUE(grow(StorePath(), 4 + 1000LL * kRecord));
    WriteBytes(MacroPath(), {});
    ASSERT_TRUE(grow(MacroPath(), 99999LL * 240));

    ExpectRefused({QStringLiteral("import"), FileIn("plain.pro")}, 2);
    // One macro has room, but not the two a profile brings.
    ASSERT_TRUE(grow(StorePath(), 4 + 999LL * kRecord));
    ExpectRefused({QStringLiteral("import"), FileIn("two.pro")}, 2);
    const RunResult told = Talvorectl({QStringLiteral("import"), FileIn("two.pro")});
    EXPECT_TRUE(told.err.contains("1000 profiles, 100000 macros")) << told.err.toStdString();
    ASSERT_EQ(Talvorectl({QStringLiteral("import-macro"), FileIn("one.macro")}).exitCode, 0);
    ExpectRefused({QStringLiteral("import-macro"), FileIn("one.macro")}, 2);
    // Still readable whole.
    EXPECT_EQ(Listed("macros").size(), 100000);
}

TEST_F(TalvorectlWritersTest, LinkedStoresStayLinksAndReadOnlyFilesStay) {
    // The stores live in a synced folder, reached by links from the data folder.
    ASSERT_TRUE(QDir().mkpath(program.filePath(QStringLiteral("Data/ms_1"))));
    ASSERT_TRUE(QDir().mkpath(files.filePath(QStringLiteral("synced"))));
    ASSERT_TRUE(QFile::link(FileIn("synced/pro.data"), StorePath()));
    ASSERT_TRUE(QFile::link(FileIn("synced/macro.data"), MacroPath()));
    WriteBytes(FileIn("plain.pro"), ProfileBytes(Utf16("Plain")));
    WriteBytes(FileIn("two.pro"), ProfileBytes(Utf16("Two"), {"PCopy", "PPaste"}));
    WriteBytes(FileIn("one.macro"), MacroBytes(Utf16("One")));
    for (const QStringList& args :
         {QStringList{QStringLiteral("import"), FileIn("plain.pro")},
          QStringList{QStringLiteral("import"), FileIn("two.pro")},
          QStringList{QStringLiteral("import-macro"), FileIn("one.macro")}}) {
        const RunResult run = Talvorectl(args);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(QFileInfo(StorePath()).isSymLink()) << args.join(' ').toStdString();
        EXPECT_TRUE(QFileInfo(MacroPath()).isSymLink()) << args.join(' ').toStdString();
    }
    EXPECT_EQ(ReadBytes(FileIn("synced/pro.data")).size(), 4 + 3 * kRecord);
    EXPECT_EQ(StoredMacroNames(ReadBytes(FileIn("synced/macro.data"))),
              (QStringList{"PCopy", "PPaste", "One"}));
    EXPECT_EQ(
        QDir(FileIn("synced")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        (QStringList{"macro.data", "pro.data"}));

    // Files made read-only, as QSaveFile would have it: refused, whoever runs the command.
    ASSERT_EQ(
        Talvorectl({QStringLiteral("export"), QStringLiteral("0"), FileIn("kept.pro")}).exitCode,
        0);
    ASSERT_EQ(
        Talvorectl({QStringLiteral("export-macro"), QStringLiteral("0"), FileIn("kept.macro")})
            .exitCode,
        0);
    for (const QString& path : {FileIn("kept.pro"), FileIn("kept.macro"), FileIn("synced/pro.data"),
                                FileIn("synced/macro.data")}) {
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    }
    ExpectRefused({QStringLiteral("export"), QStringLiteral("1"), FileIn("kept.pro")}, 2);
    ExpectRefused({QStringLiteral("new"), QStringLiteral("N"), FileIn("kept.pro")}, 2);
    ExpectRefused({QStringLiteral("export-macro"), QStringLiteral("1"), FileIn("kept.macro")}, 2);
    ExpectRefused({QStringLiteral("import"), FileIn("plain.pro")}, 2);
    ExpectRefused({QStringLiteral("import"), FileIn("two.pro")}, 2);
    ExpectRefused({QStringLiteral("import-macro"), FileIn("one.macro")}, 2);
    EXPECT_TRUE(
        Talvorectl({QStringLiteral("import"), FileIn("plain.pro")}).err.contains("read-only"));
}

TEST_F(TalvorectlWritersTest, KilledExportsLeaveNothingOnceAnotherWriterCame) {
    WriteBytes(FileIn("plain.pro"), ProfileBytes(Utf16("Plain")));
    ASSERT_EQ(Talvorectl({QStringLiteral("import"), FileIn("plain.pro")}).exitCode, 0);
    RunOptions killed;
    killed.fileSizeLimit = 4096;  // the export is killed half-way through its temporary file
    killed.killedAtTheLimit = true;
    const QStringList exportTo{QStringLiteral("export"), QStringLiteral("1"), FileIn("out.pro")};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Talvorectl(exportTo, killed).exitCode, -1);
    }
    // Each killed writer's file says what it is and whose it was; each later writer removed the
    // files of those before it, which are gone.
    const QStringList litter =
        QDir(files.path())
            .entryList({QStringLiteral(".out.pro.talvore-tmp.*")}, QDir::Files | QDir::Hidden);
    EXPECT_EQ(litter.size(), 1);
    ASSERT_EQ(Talvorectl(exportTo).exitCode, 0);
    EXPECT_EQ(QDir(files.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"out.pro", "plain.pro"}));
}

}  // namespace
