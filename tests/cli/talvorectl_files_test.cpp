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
