// talvorectl reports, run as a process on profile files written by the test.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "protocol/profile_record.h"

namespace {

struct CommandRun {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

CommandRun Talvorectl(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(TALVORE_BIN_DIR "/talvorectl"),
                  QStringList{QStringLiteral("reports")} + args);
    EXPECT_TRUE(process.waitForFinished(-1));
    CommandRun run;
    run.exitCode = process.exitCode();
    run.lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

const QString k0C = QStringLiteral("0C 0A 01 FE 02 FD 00 00 00 00");
const QString kRate = QStringLiteral("06 09 01 04 FB 00 00 00 00");

class ReportsCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // Button 3 carries a two-action macro.
        ButtonEntry& e = record->slots[0].buttons[2];
        e.functionCode = kFunctionMacro;
        e.macroActionCount = 2;
        e.macroActions[0] = MacroAction{0x04, kActionPress, 100};
        e.macroActions[1] = MacroAction{0x04, kActionRelease, 100};
    }

    QString Write(const QString& name, const ProfileRecord& r,
                  qint64 size = sizeof(ProfileRecord)) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(&r), size);
        return path;
    }

    QTemporaryDir dir;
    std::unique_ptr<ProfileRecord> record = CreateBlankRecord(QStringLiteral("Cli"));
};

// Macro report of button 3: two pairs of (10 | F, 0x04), count 2, checksum 0x00A1.
const QString kMacroPayloadStart = QStringLiteral("00 00 00 00 01") + QString(" 00").repeated(20) +
                                   QStringLiteral(" 02 0B 04 8B 04");

TEST_F(ReportsCommandTest, FullApplyPrintsEveryReportAsBuilt) {
    const CommandRun run = Talvorectl({Write("work.pro", *record)});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_EQ(run.lines.size(), 6);
    EXPECT_EQ(run.lines[0], k0C);
    EXPECT_TRUE(run.lines[1].startsWith("04 38 01 08 08 3F 00 00 20 B0"))
        << run.lines[1].toStdString();
    EXPECT_EQ(run.lines[2], "05 0F 01 10 03 A8 00 00 FF 01 00 01 BB 00 00");
    EXPECT_EQ(run.lines[3], kRate);
    EXPECT_TRUE(run.lines[4].startsWith("08 3B 01 02 00 00 03 00 00 12 00 03 0D"));
    EXPECT_EQ(run.lines[5],
              "09 83 03 " + kMacroPayloadStart + QString(" 00").repeated(96) + " 00 A1");
}

TEST_F(ReportsCommandTest, SincePreviousPrintsOnlyWhatChanged) {
    const QString previous = Write("previous.pro", *record);
    record->slots[0].reportRate = 0;
    record->slots[0].moveMode = 1;
    const CommandRun run = Talvorectl({Write("work.pro", *record), "--since", previous});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines, (QStringList{k0C, "06 09 01 08 F7 00 00 00 00"}));

    EXPECT_TRUE(Talvorectl({previous, "--since", previous}).lines.isEmpty());
}

TEST_F(ReportsCommandTest, LinksCarryTheMacroInFramesAndBluetoothSkipsTheRate) {
    const QString path = Write("work.pro", *record);
    const QString zeros52 = QString(" 00").repeated(52);

    const CommandRun cable = Talvorectl({path, "--link", "cable"});
    ASSERT_EQ(cable.lines.size(), 8);
    EXPECT_EQ(cable.lines[5], "09 40 03 00 " + kMacroPayloadStart + QString(" 00").repeated(30));
    EXPECT_EQ(cable.lines[6], "09 40 03 01" + QString(" 00").repeated(60));
    EXPECT_EQ(cable.lines[7], "09 40 03 02 00 00 00 00 00 00 00 A1" + zeros52);

    const CommandRun receiver = Talvorectl({path, "--link", "receiver"});
    ASSERT_EQ(receiver.lines.size(), 8);  // each report acknowledged at the first try
    EXPECT_EQ(receiver.lines[0], k0C);
    EXPECT_EQ(receiver.lines[7], "09 0C 03 02 00 00 00 00 00 00 00 A1" + zeros52);

    const CommandRun ble = Talvorectl({path, "--link", "ble"});
    ASSERT_EQ(ble.lines.size(), 5);
    EXPECT_FALSE(ble.lines.contains(kRate));
    EXPECT_TRUE(ble.lines[4].startsWith("09 83 03"));
}

TEST_F(ReportsCommandTest, BadFilesAndBadArgumentsAreRefused) {
    const QString good = Write("work.pro", *record);
    const QString shortFile = Write("short.pro", *record, sizeof(ProfileRecord) - 1);

    EXPECT_EQ(Talvorectl({dir.filePath("missing.pro")}).exitCode, 2);
    const CommandRun tooShort = Talvorectl({shortFile});
    EXPECT_EQ(tooShort.exitCode, 2);
    EXPECT_TRUE(tooShort.lines.isEmpty());
    EXPECT_FALSE(tooShort.errors.isEmpty());
    EXPECT_EQ(Talvorectl({good, "--since", shortFile}).exitCode, 2);

    EXPECT_EQ(Talvorectl({}).exitCode, 1);
    EXPECT_EQ(Talvorectl({good, "--link", "usb"}).exitCode, 1);
    EXPECT_EQ(Talvorectl({good, "--since"}).exitCode, 1);
    EXPECT_EQ(Talvorectl({good, "--fast"}).exitCode, 1);
}

}  // namespace
