// talvorectl against failing disks, damaged stores, odd files and odd names: a command that
// cannot do its work says so, exits 2 and leaves every file as it was.
#include <sys/stat.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "tests/cli/talvorectl_fixture.h"

namespace {

class TalvorectlSafetyTest : public TalvorectlTest {
protected:
    // A store with the default profile and one macro, written by talvorectl itself.
    void MakeStore() {
        WriteBytes(FileIn("keep.macro"), MacroBytes(Utf16("Keep")));
        ASSERT_EQ(Talvorectl({QStringLiteral("import-macro"), FileIn("keep.macro")}).exitCode, 0);
        WriteBytes(FileIn("first.pro"), ProfileBytes(Utf16("First")));
        ASSERT_EQ(Talvorectl({QStringLiteral("import"), FileIn("first.pro")}).exitCode, 0);
    }
    // Runs a shell command line with "$0" standing for talvorectl: the shell builds arguments
    // from bytes that are not valid UTF-8.
    RunResult Shell(const QString& script) const {
        return Run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, Program()});
    }
};

TEST_F(TalvorectlSafetyTest, AnImportThatCannotBeStoredExitsTwoAndChangesNoFile) {
    MakeStore();
    WriteBytes(FileIn("macros.pro"), ProfileBytes(Utf16("Macros"), {"Copy", "Keep"}));

    // pro.data (two profiles become three: 495,076 bytes) cannot be written in full.
    RunOptions fullDisk;
    fullDisk.fileSizeLimit = 400000;
    ExpectRefused({QStringLiteral("import"), FileIn("macros.pro")}, 2, fullDisk);

    // Now macro.data is the one that cannot be written: 2,500 macros, 600,000 bytes.
    QByteArray many;
    for (int i = 0; i < 2500; ++i) {
        many += MacroBytes(Utf16(QByteArray("M_" + QByteArray::number(i)).constData()));
    }
    WriteBytes(MacroPath(), many);
    fullDisk.fileSizeLimit = 550000;
    ExpectRefused({QStringLiteral("import"), FileIn("macros.pro")}, 2, fullDisk);
    WriteBytes(FileIn("one.macro"), MacroBytes(Utf16("One")));
    ExpectRefused({QStringLiteral("import-macro"), FileIn("one.macro")}, 2, fullDisk);
    const RunResult told =
        Talvorectl({QStringLiteral("import-macro"), FileIn("one.macro")}, fullDisk);
    EXPECT_TRUE(told.err.contains("cannot write")) << told.err.toStdString();
    EXPECT_TRUE(told.err.contains("macro.data")) << told.err.toStdString();

    // With room again, the import goes in once: one profile, its two macros, nothing else.
    const RunResult stored = Talvorectl({QStringLiteral("import"), FileIn("macros.pro")});
    ASSERT_EQ(stored.exitCode, 0) << stored.err.toStdString();
    EXPECT_EQ(ReadBytes(StorePath()).size(), 4 + 3 * kRecord);
    const QStringList names = StoredMacroNames(ReadBytes(MacroPath()));
    ASSERT_EQ(names.size(), 2502);
    EXPECT_EQ(names.mid(2500), (QStringList{QStringLiteral("Copy"), QStringLiteral("Keep")}));
}

TEST_F(TalvorectlSafetyTest, ReadingCommandsNeverWriteAndDamagedStoresAreNeverReplaced) {
    MakeStore();
    const QByteArray whole = ReadBytes(StorePath());

    // Two bytes short of its last record: listed up to there, never rewritten.
    WriteBytes(StorePath(), whole.left(whole.size() - 2));
    const auto before = Tree(program.path());
    const RunResult listed = Talvorectl({QStringLiteral("profiles")});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, QByteArray("0\tProfile1\tselected\n"));
    EXPECT_TRUE(listed.err.contains("damaged")) << listed.err.toStdString();
    EXPECT_TRUE(Tree(program.path()) == before);
    WriteBytes(FileIn("new.pro"), ProfileBytes(Utf16("New")));
    ExpectRefused({QStringLiteral("import"), FileIn("new.pro")}, 2);

    // Not one whole record, a folder, a 40 GB file: refused by every command that needs them.
    WriteBytes(StorePath(), whole.left(4 + kRecord - 2));
    ExpectRefused({QStringLiteral("profiles")}, 2);
    ExpectRefused({QStringLiteral("export"), QStringLiteral("0"), FileIn("out.pro")}, 2);
    ASSERT_TRUE(QFile::remove(StorePath()));
    ASSERT_TRUE(QDir().mkpath(StorePath()));
    ExpectRefused({QStringLiteral("profiles")}, 2);
    ExpectRefused({QStringLiteral("import"), FileIn("new.pro")}, 2);
    {
        QFile huge(MacroPath());
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(40LL << 30));
    }
    ExpectRefused({QStringLiteral("macros")}, 2);
    WriteBytes(FileIn("one.macro"), MacroBytes(Utf16("One")));
    ExpectRefused({QStringLiteral("import-macro"), FileIn("one.macro")}, 2);
}

TEST_F(TalvorectlSafetyTest, NoFileIsWrittenOverAStoreByAnyName) {
    MakeStore();
    ASSERT_TRUE(QFile::link(program.filePath(QStringLiteral("Data/ms_1")), FileIn("stores")));
    for (const QString& target :
         {StorePath(), MacroPath(), FileIn("stores/pro.data"),
          program.filePath(QStringLiteral("Data/ms_1/../ms_1/macro.data"))}) {
        ExpectRefused({QStringLiteral("export"), QStringLiteral("0"), target}, 2);
        ExpectRefused({QStringLiteral("export-macro"), QStringLiteral("0"), target}, 2);
        ExpectRefused({QStringLiteral("new"), QStringLiteral("X"), target}, 2);
    }
}

TEST_F(TalvorectlSafetyTest, FifosFoldersAndDevicesAreRefusedWithoutBeingOpened) {
    MakeStore();
    ASSERT_EQ(::mkfifo(QFile::encodeName(FileIn("pipe.pro")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(files.path()).mkdir(QStringLiteral("folder.pro")));
    RunOptions quick;
    quick.timeoutMs = 10000;  // an open that waits for a writer would never end
    for (const QString& input :
         {FileIn("pipe.pro"), FileIn("folder.pro"), QStringLiteral("/dev/zero")}) {
        ExpectRefused({QStringLiteral("show"), input}, 2, quick);
        ExpectRefused({QStringLiteral("import"), input}, 2, quick);
        ExpectRefused({QStringLiteral("import-macro"), input}, 2, quick);
        ExpectRefused({QStringLiteral("reports"), input}, 2, quick);
    }
    const RunResult told = Talvorectl({QStringLiteral("show"), FileIn("pipe.pro")}, quick);
    EXPECT_TRUE(told.err.contains("not a regular file")) << told.err.toStdString();
    ExpectRefused({QStringLiteral("new"), QStringLiteral("X"), FileIn("pipe.pro")}, 2, quick);
    ExpectRefused({QStringLiteral("export"), QStringLiteral("0"), FileIn("folder.pro")}, 2, quick);
}

TEST_F(TalvorectlSafetyTest, AnyFileNameAndAnyStoredNameComeThroughIntact) {
    // A file name that is not valid UTF-8 is written and read under exactly that name.
    ASSERT_EQ(Shell(QStringLiteral("\"$0\" new A \"$(printf 'a\\377.pro')\"")).exitCode, 0);
    const QByteArray odd = QFile::encodeName(files.path()) + "/a\xff.pro";
    EXPECT_EQ(ReadBytes(QFile::decodeName(odd)).size(), 0);  // the mangled name is not there
    ASSERT_EQ(::access(odd.constData(), F_OK), 0);
    const RunResult shown = Shell(QStringLiteral("\"$0\" show \"$(printf 'a\\377.pro')\""));
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(shown.out).object()[QStringLiteral("name")].toString(),
              QStringLiteral("A"));
    ::unlink(odd.constData());  // QTemporaryDir cannot name it to remove it
    const RunResult missing = Shell(QStringLiteral("\"$0\" show \"$(printf 'b\\377\\033.pro')\""));
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains("b\\xff\\u{001b}.pro")) << missing.err.toStdString();

    // Names holding line breaks, tabs and half a surrogate pair cannot forge listing lines, and
    // the JSON of show stays valid and gives the name back.
    const QByteArray forged = QByteArray(
                                  "T\0a\0b\0\t\0\n\0"
                                  "1\0\t\0F\0a\0k\0e\0\r\0",
                                  24) +
                              QByteArray("\x3D\xD8", 2);
    WriteBytes(FileIn("forged.pro"), ProfileBytes(forged));
    WriteBytes(FileIn("forged.macro"), MacroBytes(forged));
    const RunResult imported = Talvorectl({QStringLiteral("import"), FileIn("forged.pro")});
    ASSERT_EQ(imported.exitCode, 0);
    EXPECT_EQ(imported.out, QByteArray("Tab\\t\\n1\\tFake\\r\\u{d83d}\n"));
    ASSERT_EQ(Talvorectl({QStringLiteral("import-macro"), FileIn("forged.macro")}).exitCode, 0);
    EXPECT_EQ(Talvorectl({QStringLiteral("profiles")}).out,
              QByteArray("0\tProfile1\n1\tTab\\t\\n1\\tFake\\r\\u{d83d}\tselected\n"));
    EXPECT_EQ(Talvorectl({QStringLiteral("macros")}).out,
              QByteArray("0\tTab\\t\\n1\\tFake\\r\\u{d83d}\t0\n"));
    const RunResult json = Talvorectl({QStringLiteral("show"), FileIn("forged.pro")});
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out.toStdString();
    EXPECT_TRUE(document.object()[QStringLiteral("name")].toString().startsWith(
        QStringLiteral("Tab\t\n1\tFake\r")));
}

TEST_F(TalvorectlSafetyTest, LineSeparatorsAndDirectionControlsCannotDisguiseANameOrFile) {
    // "Pay" + RIGHT-TO-LEFT OVERRIDE + "fdp.exe" reads "Payexe.pdf"; a LINE SEPARATOR breaks the
    // line on many terminals.
    const QString name = QStringLiteral("Pay\u202Efdp.exe\u2028next\u2066x\u2069");
    const QByteArray utf16(reinterpret_cast<const char*>(name.utf16()), name.size() * 2);
    WriteBytes(FileIn("disguised.pro"), ProfileBytes(utf16));
    WriteBytes(FileIn("disguised.macro"), MacroBytes(utf16));
    const QByteArray escaped = "Pay\\u{202e}fdp.exe\\u{2028}next\\u{2066}x\\u{2069}";
    EXPECT_EQ(Talvorectl({QStringLiteral("import"), FileIn("disguised.pro")}).out, escaped + '\n');
    EXPECT_EQ(Talvorectl({QStringLiteral("import-macro"), FileIn("disguised.macro")}).out,
              escaped + '\n');
    EXPECT_EQ(Talvorectl({QStringLiteral("profiles")}).out,
              "0\tProfile1\n1\t" + escaped + "\tselected\n");
    EXPECT_EQ(Talvorectl({QStringLiteral("macros")}).out, "0\t" + escaped + "\t0\n");
    // show writes them as JSON escapes, and the JSON still gives the name back.
    const RunResult shown = Talvorectl({QStringLiteral("show"), FileIn("disguised.pro")});
    EXPECT_TRUE(shown.out.contains("Pay\\u202Efdp.exe\\u2028next\\u2066x\\u2069"))
        << shown.out.toStdString();
    for (const char* raw : {"\u202E", "\u2028", "\u2066", "\u2069"}) {
        EXPECT_FALSE(shown.out.contains(QString::fromUtf8(raw).toUtf8()));
    }
    EXPECT_EQ(QJsonDocument::fromJson(shown.out).object()[QStringLiteral("name")].toString(), name);
    // A file name is told the same way.
    const RunResult missing =
        Talvorectl({QStringLiteral("show"), FileIn("a") + QStringLiteral("\u202Eorp.exe")});
    EXPECT_TRUE(missing.err.contains("a\\u{202e}orp.exe")) << missing.err.toStdString();
}

TEST_F(TalvorectlSafetyTest, OutputThatCannotBeWrittenIsAnError) {
    MakeStore();
    ASSERT_EQ(Talvorectl({QStringLiteral("new"), QStringLiteral("X"), FileIn("x.pro")}).exitCode,
              0);
    for (const QStringList& args :
         {QStringList{QStringLiteral("show"), FileIn("x.pro")},
          QStringList{QStringLiteral("profiles")}, QStringList{QStringLiteral("macros")},
          QStringList{QStringLiteral("reports"), FileIn("x.pro")},
          QStringList{QStringLiteral("--help")}}) {
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(Program(), args);
        ASSERT_TRUE(process.waitForFinished(30000));
        const QByteArray err = process.readAllStandardError();
        EXPECT_EQ(process.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(err.contains("the output could not be written")) << err.toStdString();
    }
}

TEST_F(TalvorectlSafetyTest, AFifoInPlaceOfTheLanguageFileIsPassedOver) {
    // Opened plainly, a FIFO without a writer would hold talvorectl for ever.
    ASSERT_TRUE(QDir().mkpath(program.filePath(QStringLiteral("res/lan"))));
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(program.filePath(QStringLiteral("res/lan/EN.xml"))).constData(),
                 0600),
        0);
    RunOptions quick;
    quick.timeoutMs = 10000;
    const RunResult run = Talvorectl({QStringLiteral("profiles")}, quick);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QByteArray("0\tProfile1\tselected\n"));  // the built-in default name
}

TEST_F(TalvorectlSafetyTest, AnInstalledProgramStoresInTheXdgFolderOrRefusesWithoutWriting) {
    // An installed tree: the program in a read-only prefix, the user's home elsewhere.
    QTemporaryDir prefix;
    QTemporaryDir home;
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QFile::copy(Program(), bin + QStringLiteral("/talvorectl")));
    OpenToEveryone(bin, 0555);
    OpenToEveryone(prefix.path(), 0555);
    OpenToEveryone(home.path());
    OpenToEveryone(files.path());
    for (const QString& folder : {prefix.path(), home.path(), files.path()}) {
        if (!UnprivilegedCanReach(folder)) {
            GTEST_SKIP() << "user 65534 cannot reach " << qPrintable(folder)
                         << ": a folder above it is closed to other users";
        }
    }
    RunOptions user;
    user.unprivileged = true;
    user.environment.insert(QStringLiteral("HOME"), home.path());
    user.environment.remove(QStringLiteral("XDG_DATA_HOME"));
    const QString installed = bin + QStringLiteral("/talvorectl");
    const QString xdgStore = home.filePath(QStringLiteral(".local/share/talvore/ms_1/pro.data"));

    RunResult run =
        Run(installed, {QStringLiteral("new"), QStringLiteral("X"), FileIn("x.pro")}, user);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = Run(installed, {QStringLiteral("import"), FileIn("x.pro")}, user);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QByteArray("X\n"));
    EXPECT_EQ(ReadBytes(xdgStore).size(), 4 + 2 * kRecord);
    EXPECT_FALSE(QFileInfo::exists(bin + QStringLiteral("/Data")));

    // No data folder can be written anywhere: exit 2, a clear message, every file as it was.
    OpenToEveryone(home.filePath(QStringLiteral(".local/share/talvore/ms_1")), 0555);
    OpenToEveryone(home.filePath(QStringLiteral(".local/share/talvore")), 0555);
    const auto homeBefore = Tree(home.path());
    const auto prefixBefore = Tree(prefix.path());
    run = Run(installed, {QStringLiteral("import"), FileIn("x.pro")}, user);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("no data folder can be written")) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(Tree(home.path()) == homeBefore);
    EXPECT_TRUE(Tree(prefix.path()) == prefixBefore);
    // What is stored there is still listed.
    run = Run(installed, {QStringLiteral("profiles")}, user);
    EXPECT_EQ(run.out, QByteArray("0\tProfile1\n1\tX\tselected\n"));

    OpenToEveryone(home.filePath(QStringLiteral(".local/share/talvore")), 0755);
    OpenToEveryone(home.filePath(QStringLiteral(".local/share/talvore/ms_1")), 0755);
    OpenToEveryone(prefix.path(), 0755);
    OpenToEveryone(bin, 0755);
}

}  // namespace
