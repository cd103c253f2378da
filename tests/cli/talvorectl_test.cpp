// talvorectl run as a process on a program folder of its own.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "tests/cli/talvorectl_fixture.h"

namespace {

TEST_F(TalvorectlTest, ProfilesListsTheDefaultProfileWithoutWritingIt) {
    const RunResult run = Talvorectl({QStringLiteral("profiles")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QByteArray("0\tProfile1\tselected\n"));
    EXPECT_FALSE(QFileInfo::exists(program.filePath(QStringLiteral("Data"))));
}

TEST_F(TalvorectlTest, DefaultNamesComeFromTheEnglishLanguageFile) {
    WriteBytes(program.filePath(QStringLiteral("res/lan/EN.xml")),
               "<language id=\"2\" name=\"English\">\n"
               "  <text key=\"add_profile_text\">Setup </text>\n"
               "</language>\n");
    EXPECT_EQ(Talvorectl({QStringLiteral("profiles")}).out, QByteArray("0\tSetup 1\tselected\n"));
}

TEST_F(TalvorectlTest, NewShowImportAndExportAProfile) {
    ASSERT_EQ(Talvorectl({QStringLiteral("new"), QStringLiteral("Work"), FileIn("w.pro")}).exitCode,
              0);
    EXPECT_EQ(ReadBytes(FileIn("w.pro")).size(), 165024);

    const RunResult show = Talvorectl({QStringLiteral("show"), FileIn("w.pro")});
    ASSERT_EQ(show.exitCode, 0);
    const QJsonObject json = QJsonDocument::fromJson(show.out).object();
    EXPECT_EQ(json[QStringLiteral("name")].toString(), QStringLiteral("Work"));
    EXPECT_EQ(json[QStringLiteral("dpiValue")].toArray(),
              (QJsonArray{8, 12, 16, 24, 32, 60, 0, 0}));
    EXPECT_EQ(json[QStringLiteral("dpiStage")].toInt(), 2);
    EXPECT_EQ(json[QStringLiteral("lightColor")].toString(), QStringLiteral("#0000FF"));
    EXPECT_EQ(json[QStringLiteral("dpiColor")].toArray().first().toString(),
              QStringLiteral("#FF0000"));
    EXPECT_EQ(json[QStringLiteral("dpiColor")].toArray().last().toString(),
              QStringLiteral("#FFFFFF"));
    const QJsonArray buttons = json[QStringLiteral("buttons")].toArray();
    ASSERT_EQ(buttons.size(), 18);
    EXPECT_EQ(buttons[16].toObject()[QStringLiteral("functionCode")].toInt(), 0x0C);
    EXPECT_FALSE(buttons[0].toObject().contains(QStringLiteral("macroName")));

    EXPECT_EQ(Talvorectl({QStringLiteral("import"), FileIn("w.pro")}).out, QByteArray("Work\n"));
    EXPECT_EQ(ReadBytes(StorePath()).size(), 330052);  // the default profile and Work
    EXPECT_EQ(Talvorectl({QStringLiteral("import"), FileIn("w.pro")}).out, QByteArray("Work_1\n"));
    EXPECT_EQ(Talvorectl({QStringLiteral("profiles")}).out,
              QByteArray("0\tProfile1\n1\tWork\n2\tWork_1\tselected\n"));
    EXPECT_EQ(ReadBytes(StorePath()).size(), 495076);

    ASSERT_EQ(
        Talvorectl({QStringLiteral("export"), QStringLiteral("1"), FileIn("out.pro")}).exitCode, 0);
    EXPECT_TRUE(ReadBytes(FileIn("out.pro")) == ReadBytes(FileIn("w.pro")));
}

TEST_F(TalvorectlTest, ShowListsTheMacroOfAMacroButton) {
    QByteArray pro(165024, '\0');
    pro.replace(4, 4, Utf16("Mx"));
    const int e = 104 + 2456 + 5 * 1272;  // button 5 of slot 0
    pro[e + 1] = 0x11;
    pro.replace(e + 12, 4, QByteArray("\x01\x00\x00\x00", 4));
    pro.replace(e + 16, 6, Utf16("Cut"));
    pro.replace(e + 64, 6, QByteArray("\x07\x00\x00\x00\x02\x00", 6));
    pro.replace(e + 1072, 4, QByteArray("\x03\x00\x00\x00", 4));
    pro.replace(e + 1088, 8, QByteArray("\x1B\x01\x0A\x00\x1B\x02\x00\x05", 8));
    WriteBytes(FileIn("m.pro"), pro);

    const RunResult show = Talvorectl({QStringLiteral("show"), FileIn("m.pro")});
    ASSERT_EQ(show.exitCode, 0);
    const QJsonObject button = QJsonDocument::fromJson(show.out)
                                   .object()[QStringLiteral("buttons")]
                                   .toArray()[5]
                                   .toObject();
    EXPECT_EQ(button[QStringLiteral("functionCode")].toInt(), 17);
    EXPECT_EQ(button[QStringLiteral("macroName")].toString(), QStringLiteral("Cut"));
    EXPECT_EQ(button[QStringLiteral("macroIndex")].toInt(), 3);
    EXPECT_EQ(button[QStringLiteral("macroRepeatMode")].toInt(), 1);
    EXPECT_EQ(button[QStringLiteral("macroRepeatCount")].toInt(), 7);
    EXPECT_EQ(button[QStringLiteral("macroActionCount")].toInt(), 2);
    const QJsonArray actions = button[QStringLiteral("actions")].toArray();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0].toObject(), (QJsonObject{{QStringLiteral("code"), 0x1B},
                                                  {QStringLiteral("kind"), 1},
                                                  {QStringLiteral("delay"), 10}}));
    EXPECT_EQ(actions[1].toObject()[QStringLiteral("delay")].toInt(), 1280);
}

TEST_F(TalvorectlTest, MacroFilesGoInAndOut) {
    QByteArray macro = Utf16("Paste") + QByteArray(230, '\0');
    macro[52] = 1;
    macro.replace(56, 4, QByteArray("\x19\x01\x05\x00", 4));
    WriteBytes(FileIn("p.macro"), macro);

    EXPECT_EQ(Talvorectl({QStringLiteral("import-macro"), FileIn("p.macro")}).out,
              QByteArray("Paste\n"));
    EXPECT_EQ(Talvorectl({QStringLiteral("import-macro"), FileIn("p.macro")}).out,
              QByteArray("Paste_1\n"));
    EXPECT_EQ(Talvorectl({QStringLiteral("macros")}).out,
              QByteArray("0\tPaste\t1\n1\tPaste_1\t1\n"));
    EXPECT_EQ(ReadBytes(MacroPath()).size(), 480);

    ASSERT_EQ(Talvorectl({QStringLiteral("export-macro"), QStringLiteral("0"), FileIn("o.macro")})
                  .exitCode,
              0);
    EXPECT_TRUE(ReadBytes(FileIn("o.macro")) == macro);
}

TEST_F(TalvorectlTest, RefusedCommandsLeaveEverythingAsItWas) {
    // On a program folder without a store: nothing may be created.
    ExpectRefused({}, 1);
    ExpectRefused({QStringLiteral("frobnicate")}, 1);
    ExpectRefused({QStringLiteral("export"), QStringLiteral("1"), FileIn("x.pro")}, 1);
    ExpectRefused({QStringLiteral("export-macro"), QStringLiteral("0"), FileIn("x.macro")}, 1);

    WriteBytes(FileIn("short.pro"), QByteArray(165023, '\0'));
    WriteBytes(FileIn("empty.macro"), {});
    ExpectRefused({QStringLiteral("import"), FileIn("short.pro")}, 2);
    ExpectRefused({QStringLiteral("show"), FileIn("short.pro")}, 2);
    ExpectRefused({QStringLiteral("import"), FileIn("missing.pro")}, 2);
    // No driver library beside this copy of the program: no mouse can be reached.
    WriteBytes(FileIn("blank.pro"), QByteArray(165024, '\0'));
    ExpectRefused({QStringLiteral("apply"), FileIn("blank.pro")}, 2);
    ExpectRefused({QStringLiteral("monitor"), QStringLiteral("--count"), QStringLiteral("1")}, 2);

    // With a store and a macro in place.
    ASSERT_EQ(
        Talvorectl({QStringLiteral("new"), QStringLiteral("Made"), FileIn("made.pro")}).exitCode,
        0);
    ASSERT_EQ(Talvorectl({QStringLiteral("import"), FileIn("made.pro")}).exitCode, 0);
    WriteBytes(MacroPath(), Utf16("Keep") + QByteArray(232, '\0'));
    ExpectRefused({QStringLiteral("import"), FileIn("short.pro")}, 2);
    // Whole records the mouse cannot take: random bytes, all zero, a text file named .macro.
    QByteArray random(165024, '\0');
    for (qsizetype i = 0; i < random.size(); ++i) {
        random[i] = static_cast<char>((i * 2654435761u) >> 13);
    }
    WriteBytes(FileIn("random.pro"), random);
    ExpectRefused({QStringLiteral("import"), FileIn("random.pro")}, 2);
    ExpectRefused({QStringLiteral("import"), FileIn("blank.pro")}, 2);
    QByteArray notes;
    while (notes.size() < 400) {
        notes += "Buy milk, bread and eggs; call the office at nine.\n";
    }
    WriteBytes(FileIn("notes.macro"), notes);
    ExpectRefused({QStringLiteral("import-macro"), FileIn("notes.macro")}, 2);
    const RunResult told = Talvorectl({QStringLiteral("import"), FileIn("blank.pro")});
    EXPECT_TRUE(told.err.contains("profileName")) << told.err.toStdString();
    ExpectRefused({QStringLiteral("import-macro"), FileIn("empty.macro")}, 2);
    ExpectRefused({QStringLiteral("import-macro"), FileIn("missing.macro")}, 2);
    ExpectRefused({QStringLiteral("export"), QStringLiteral("-1"), FileIn("x.pro")}, 1);
    ExpectRefused({QStringLiteral("export"), QStringLiteral("one"), FileIn("x.pro")}, 1);
    ExpectRefused({QStringLiteral("export-macro"), QStringLiteral("1"), FileIn("x.macro")}, 1);
    ExpectRefused({QStringLiteral("new"), QString(50, QLatin1Char('n')), FileIn("n.pro")}, 1);
    ExpectRefused({QStringLiteral("new"), QStringLiteral("Only")}, 1);
    ExpectRefused({QStringLiteral("profiles"), QStringLiteral("extra")}, 1);
}

}  // namespace
