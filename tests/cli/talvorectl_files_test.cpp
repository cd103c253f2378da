// talvorectl's readable profiles and backups: JSON that gives back the same record, and one file
// that gives back every store.
#include <QDir>

#include "tests/cli/talvorectl_fixture.h"

namespace {

constexpr int kRecord = 165024;

class TalvorectlFilesTest : public TalvorectlTest {
protected:
    RunResult Ctl(std::initializer_list<QString> args) const { return Talvorectl(args); }
    QString S(const char* text) const { return QLatin1String(text); }
};

TEST_F(TalvorectlFilesTest, JsonGivesBackTheSameRecordByteForByte) {
    ASSERT_EQ(Ctl({S("new"), S("Work"), FileIn("w.pro")}).exitCode, 0);
    QByteArray pro = ReadBytes(FileIn("w.pro"));
    // A macro on button 5, and bytes no setting names: a colour's unused byte, another slot.
    const int e = 104 + 2456 + 5 * 1272;
    pro[e + 1] = 0x11;
    pro.replace(e + 12, 4, QByteArray("\x01\x00\x00\x00", 4));
    pro.replace(e + 16, 6, Utf16("Cut"));
    pro.replace(e + 64, 6, QByteArray("\x07\x00\x00\x00\x02\x00", 6));
    pro.replace(e + 1088, 8, QByteArray("\x1B\x01\x0A\x00\x1B\x02\x00\x05", 8));
    pro[104 + 2384 + 3] = 0x7F;
    pro[104 + 3 * 32984 + 2360] = 0x01;
    WriteBytes(FileIn("w.pro"), pro);

    ASSERT_EQ(Ctl({S("import"), FileIn("w.pro")}).out, QByteArray("Work\n"));
    ASSERT_EQ(Ctl({S("export"), S("1"), FileIn("stored.pro")}).exitCode, 0);
    ASSERT_EQ(Ctl({S("export"), S("1"), FileIn("stored.json")}).exitCode, 0);
    // The file export writes is exactly what show prints.
    EXPECT_EQ(Ctl({S("show"), FileIn("stored.pro")}).out, ReadBytes(FileIn("stored.json")));

    // Into a new store: the same record, byte for byte, and its macro with it.
    ASSERT_TRUE(QDir(program.filePath(S("Data"))).removeRecursively());
    EXPECT_EQ(Ctl({S("import"), FileIn("stored.json")}).out, QByteArray("Work\n"));
    EXPECT_EQ(Ctl({S("macros")}).out, QByteArray("0\tCut\t2\n"));
    ASSERT_EQ(Ctl({S("export"), S("1"), FileIn("again.pro")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(FileIn("again.pro")).size(), kRecord);
    EXPECT_TRUE(ReadBytes(FileIn("again.pro")) == ReadBytes(FileIn("stored.pro")));

    // Damaged or out of range: exit 2, and no file changes.
    const QByteArray json = ReadBytes(FileIn("stored.json"));
    WriteBytes(FileIn("cut.json"), json.left(json.size() / 2));
    QByteArray outOfRange = json;
    outOfRange.replace("\"dpiStage\": 2", "\"dpiStage\": 9");
    ASSERT_NE(outOfRange, json);
    WriteBytes(FileIn("range.json"), outOfRange);
    ExpectRefused({S("import"), FileIn("cut.json")}, 2);
    ExpectRefused({S("import"), FileIn("range.json")}, 2);
    EXPECT_TRUE(Ctl({S("import"), FileIn("range.json")})
                    .err.contains("range.json is refused: dpiStage is 9, outside 0..7"));
    ExpectRefused({S("export"), S("1"), program.filePath(S("Data/ms_1/pro.data"))}, 2);
}

}  // namespace

namespace {

TEST_F(TalvorectlFilesTest, RestoreGivesBackTheBackedUpStoresAndKeepsTheReplacedOnesAside) {
    WriteBytes(FileIn("game.pro"), ProfileBytes(Utf16("Game"), {"Burst"}));
    WriteBytes(FileIn("aim.macro"), MacroBytes(Utf16("Aim")));
    ASSERT_EQ(Ctl({S("import"), FileIn("game.pro")}).exitCode, 0);
    ASSERT_EQ(Ctl({S("import-macro"), FileIn("aim.macro")}).exitCode, 0);
    const QByteArray backedUp = Ctl({S("profiles")}).out + Ctl({S("macros")}).out;
    const RunResult backup = Ctl({S("backup"), FileIn("all.backup")});
    ASSERT_EQ(backup.exitCode, 0) << backup.err.constData();

    // More imported (and so selected): the stores the restore will replace.
    WriteBytes(FileIn("work.pro"), ProfileBytes(Utf16("Work"), {"Copy"}));
    ASSERT_EQ(Ctl({S("import"), FileIn("work.pro")}).exitCode, 0);
    ASSERT_EQ(Ctl({S("import-macro"), FileIn("aim.macro")}).exitCode, 0);
    const QByteArray replacedProfiles = ReadBytes(StorePath());
    const QByteArray replacedMacros = ReadBytes(MacroPath());
    ASSERT_NE(Ctl({S("profiles")}).out + Ctl({S("macros")}).out, backedUp);

    // A backup damaged anywhere, cut off, or not a backup at all changes nothing.
    const QByteArray bytes = ReadBytes(FileIn("all.backup"));
    QByteArray flipped = bytes;
    flipped[bytes.size() / 2] = static_cast<char>(flipped[bytes.size() / 2] ^ 0x01);
    WriteBytes(FileIn("flipped.backup"), flipped);
    WriteBytes(FileIn("cut.backup"), bytes.left(bytes.size() - 1));
    ExpectRefused({S("restore"), FileIn("flipped.backup")}, 2);
    ExpectRefused({S("restore"), FileIn("cut.backup")}, 2);
    ExpectRefused({S("restore"), FileIn("game.pro")}, 2);
    ExpectRefused({S("restore"), FileIn("missing.backup")}, 2);
    EXPECT_TRUE(Ctl({S("restore"), FileIn("flipped.backup")})
                    .err.contains("checksum does not match its content; nothing was changed"));

    const RunResult restore = Ctl({S("restore"), FileIn("all.backup")});
    ASSERT_EQ(restore.exitCode, 0) << restore.err.constData();
    EXPECT_EQ(Ctl({S("profiles")}).out + Ctl({S("macros")}).out, backedUp);
    // The restored stores hold the backed-up bytes, so a new backup is the same file.
    ASSERT_EQ(Ctl({S("backup"), FileIn("again.backup")}).exitCode, 0);
    EXPECT_TRUE(ReadBytes(FileIn("again.backup")) == bytes);

    // The replaced stores lie beside the new ones, named in the output, byte for byte as they were.
    const QDir stores(program.filePath(S("Data/ms_1")));
    const QStringList aside = stores.entryList({S("*.replaced")}, QDir::Files, QDir::Name);
    ASSERT_EQ(aside.size(), 2) << aside.join(S(", ")).toStdString();
    EXPECT_TRUE(aside[0].startsWith(S("macro.data.")) && aside[1].startsWith(S("pro.data.")));
    EXPECT_TRUE(ReadBytes(stores.filePath(aside[0])) == replacedMacros);
    EXPECT_TRUE(ReadBytes(stores.filePath(aside[1])) == replacedProfiles);
    for (const QString& name : aside) {
        EXPECT_TRUE(restore.out.contains(stores.filePath(name).toUtf8())) << restore.out.constData();
    }
    EXPECT_TRUE(restore.out.startsWith("2 profiles (selected: Game) and 2 macros restored from "))
        << restore.out.constData();

    // A second restore keeps the first one's copies and adds its own.
    ASSERT_EQ(Ctl({S("restore"), FileIn("all.backup")}).exitCode, 0);
    EXPECT_EQ(stores.entryList({S("*.replaced")}, QDir::Files).size(), 4);
}

}  // namespace
