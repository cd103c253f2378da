#include "macro/macro_store.h"

#include <unistd.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "macro/store_file.h"
#include "protocol/utf16_field.h"
#include "tests/macro/fake_texts.h"
#include "tests/macro/file_bytes.h"

namespace {

// A 240-byte macro as the file holds it: name at 0, action count at 52, actions from 56.
QByteArray MacroBytes(const char* name, uint8_t count, const QByteArray& actions = {}) {
    QByteArray bytes(240, '\0');
    const QByteArray utf16 = Utf16(name);
    bytes.replace(0, utf16.size(), utf16);
    bytes[52] = static_cast<char>(count);
    bytes.replace(56, actions.size(), actions);
    return bytes;
}

QString FieldName(const MacroRecord& record) {
    return FieldToString(record.name);
}

class MacroStoreTest : public ::testing::Test {
protected:
    QString DataFolder() const { return dir.path() + QLatin1Char('/'); }
    QString StorePath() const { return dir.path() + QLatin1String("/ms_1/macro.data"); }
    QString FileIn(const char* name) const { return dir.filePath(QLatin1String(name)); }

    QTemporaryDir dir;
    MacroStore store{DataFolder()};
    FakeTexts texts;
};

TEST_F(MacroStoreTest, LoadsRecordsBackToBackAndCompletesAShortLastOne) {
    store.Load();
    EXPECT_EQ(store.Count(), 0);  // no file yet

    // 240 + 240 + 10 bytes: the third record keeps its first 10 bytes, the rest reads as zero.
    const QByteArray actions("\x04\x01\x32\x00\x04\x02\x10\x27", 8);
    QByteArray file = MacroBytes("Copy", 2, actions) + MacroBytes("Paste", 0);
    file += QByteArray("T\0a\0i\0l\0\x01\x01", 10);
    WriteBytes(StorePath(), file);

    store.Load();
    ASSERT_EQ(store.Count(), 3);
    EXPECT_EQ(store.NameAt(0), QStringLiteral("Copy"));
    EXPECT_EQ(store.At(0).actionCount, 2);
    EXPECT_EQ(store.At(0).actions[1].code, 0x04);
    EXPECT_EQ(store.At(0).actions[1].kind, 2);
    EXPECT_EQ(store.At(0).actions[1].delay, 10000);
    EXPECT_EQ(store.NameAt(1), QStringLiteral("Paste"));
    EXPECT_EQ(store.At(2).name[4], 0x0101);
    EXPECT_EQ(store.At(2).name[5], 0);
    EXPECT_EQ(store.At(2).actionCount, 0);

    // Saving writes whole records, so the completed one is now 240 bytes too.
    ASSERT_TRUE(store.Save());
    const QByteArray saved = ReadBytes(StorePath());
    ASSERT_EQ(saved.size(), 720);
    EXPECT_EQ(saved.left(480), file.left(480));
    EXPECT_EQ(saved.mid(480, 10), file.mid(480, 10));
    EXPECT_EQ(saved.mid(490), QByteArray(230, '\0'));
}

TEST_F(MacroStoreTest, FourHundredEightyBytesLoadAsTwoMacros) {
    WriteBytes(StorePath(), MacroBytes("A", 0) + MacroBytes("B", 0));
    store.Load();
    EXPECT_EQ(store.Count(), 2);
}

TEST_F(MacroStoreTest, SaveReplacesTheFileInsteadOfRewritingItInPlace) {
    const QByteArray old = MacroBytes("Old", 0);
    WriteBytes(StorePath(), old);
    store.Load();
    // A second name for the old file: an in-place rewrite would change what it shows.
    ASSERT_EQ(
        ::link(StorePath().toLocal8Bit().constData(), FileIn("old.data").toLocal8Bit().constData()),
        0);
    store.Rename(store.At(0), QStringLiteral("New"));

    EXPECT_EQ(ReadBytes(FileIn("old.data")), old);
    EXPECT_EQ(ReadBytes(StorePath()), MacroBytes("New", 0));
}

TEST_F(MacroStoreTest, AFailedWriteLeavesTheOldFile) {
    WriteBytes(StorePath(), MacroBytes("Kept", 0));
    EXPECT_FALSE(WriteFileWhole(StorePath(), [](QIODevice& file) {
        file.write("partial");
        return false;
    }));
    EXPECT_EQ(ReadBytes(StorePath()), MacroBytes("Kept", 0));
}

TEST_F(MacroStoreTest, AddNewNamesByCountAndAvoidsTakenNamesInAnyCase) {
    store.Load();
    EXPECT_EQ(FieldName(store.AddNew(texts)), QStringLiteral("Macro1"));
    EXPECT_EQ(ReadBytes(StorePath()), MacroBytes("Macro1", 0));

    // Two macros, one left over as "MACRO3": the third is Macro3_1.
    store.Rename(store.At(0), QStringLiteral("MACRO3"));
    store.AddNew(texts);
    EXPECT_EQ(store.NameAt(1), QStringLiteral("Macro2"));
    EXPECT_EQ(FieldName(store.AddNew(texts)), QStringLiteral("Macro3_1"));
    EXPECT_EQ(ReadBytes(StorePath()).size(), 720);
}

TEST_F(MacroStoreTest, UniqueNamesStayWithinTwentyThreeCharacters) {
    store.Load();
    EXPECT_EQ(store.UniqueName(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ")),
              QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVW"));

    MacroRecord record{};
    const char* taken[] = {
        "ABCDEFGHIJKLMNOPQRSTUVW", "ABCDEFGHIJKLMNOPQRSTU_1", "abcdefghijklmnopqrstu_2",
        "ABCDEFGHIJKLMNOPQRSTU_3", "ABCDEFGHIJKLMNOPQRSTU_4", "ABCDEFGHIJKLMNOPQRSTU_5",
        "ABCDEFGHIJKLMNOPQRSTU_6", "ABCDEFGHIJKLMNOPQRSTU_7", "ABCDEFGHIJKLMNOPQRSTU_8"};
    for (const char* name : taken) {
        store.Append(record);
        store.Rename(store.At(store.Count() - 1), QLatin1String(name));
    }
    EXPECT_EQ(store.UniqueName(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVW")),
              QStringLiteral("ABCDEFGHIJKLMNOPQRSTU_9"));
    store.Append(record);
    store.Rename(store.At(store.Count() - 1), QStringLiteral("ABCDEFGHIJKLMNOPQRSTU_9"));
    // Two digits: the base gives up one more character.
    EXPECT_EQ(store.UniqueName(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVW")),
              QStringLiteral("ABCDEFGHIJKLMNOPQRST_10"));
}

TEST_F(MacroStoreTest, UniqueNamesAmongManyTakenOnesNeverSplitACharacter) {
    store.Load();
    MacroRecord record{};
    StringToField(record.name, QStringLiteral("M"));
    store.Append(record);
    for (int n = 1; n < 20000; ++n) {
        StringToField(record.name, QStringLiteral("m_%1").arg(n));
        store.Append(record);
    }
    EXPECT_EQ(store.UniqueName(QStringLiteral("M")), QStringLiteral("M_20000"));

    // U+1F600 is two UTF-16 units; a cut between them would leave half a character.
    const QString smile = QStringLiteral("\U0001F600");
    const QString across = QString(22, QLatin1Char('A')) + smile;  // the pair at units 22-23
    EXPECT_EQ(store.UniqueName(across), QString(22, QLatin1Char('A')));
    StringToField(record.name, across);
    EXPECT_EQ(FieldName(record), QString(22, QLatin1Char('A')));
    const QString inside = QString(20, QLatin1Char('B')) + smile + QLatin1Char('B');  // 23 units
    EXPECT_EQ(store.UniqueName(inside), inside);
    StringToField(record.name, inside);
    store.Append(record);
    // Room for 21 units before "_1": the pair at 20-21 does not fit and goes whole.
    EXPECT_EQ(store.UniqueName(inside), QString(20, QLatin1Char('B')) + QStringLiteral("_1"));
}

TEST_F(MacroStoreTest, ImportMakesTakenNamesUniqueAndExportWritesTheRecordAsStored) {
    const QByteArray actions("\x05\x01\x00\x10", 4);
    WriteBytes(StorePath(), MacroBytes("Copy", 0));
    WriteBytes(FileIn("copy.macro"), MacroBytes("COPY", 1, actions));
    store.Load();

    ImportResult first = store.Import(FileIn("copy.macro"));
    ASSERT_TRUE(first.Ok());
    EXPECT_EQ(first.index, 1);
    EXPECT_EQ(first.name, QStringLiteral("COPY_1"));
    ImportResult second = store.Import(FileIn("copy.macro"));
    EXPECT_EQ(second.name, QStringLiteral("COPY_2"));

    const QByteArray saved = ReadBytes(StorePath());
    ASSERT_EQ(saved.size(), 720);
    EXPECT_EQ(saved.mid(240), MacroBytes("COPY_1", 1, actions) + MacroBytes("COPY_2", 1, actions));

    ASSERT_TRUE(store.Export(2, FileIn("out.macro")));
    EXPECT_EQ(ReadBytes(FileIn("out.macro")), MacroBytes("COPY_2", 1, actions));
    EXPECT_FALSE(store.Export(3, FileIn("none.macro")));
    EXPECT_FALSE(QFileInfo::exists(FileIn("none.macro")));
}

// A text file renamed, random bytes and a macro the mouse cannot hold are refused whole; every
// macro the editor makes goes out to a file and comes back.
TEST_F(MacroStoreTest, ImportTakesWhatTheEditorMakesAndRefusesTheRest) {
    WriteBytes(StorePath(), MacroBytes("Copy", 0));
    WriteBytes(FileIn("notes.macro"),
               QByteArrayLiteral("Shopping list: milk, bread, eggs, coffee, apples.\n"));
    QByteArray random(240, '\0');
    for (int i = 0; i < random.size(); ++i) {
        random[i] = static_cast<char>((i * 151 + 7) % 256);
    }
    WriteBytes(FileIn("random.macro"), random);
    WriteBytes(FileIn("kinds.macro"),
               MacroBytes("Kinds", 2, QByteArray("\x04\x01\x0A\x00\x04\x03\x0A\x00", 8)));
    QByteArray longNotes;
    while (longNotes.size() < 300) {
        longNotes += "Remember the receipt, and the umbrella. ";
    }
    WriteBytes(FileIn("long-notes.macro"), longNotes);
    store.Load();
    const QByteArray before = ReadBytes(StorePath());
    EXPECT_EQ(store.Import(FileIn("notes.macro")).error, ImportError::TooShort);
    for (const char* name : {"long-notes.macro", "random.macro", "kinds.macro"}) {
        const ImportResult result = store.Import(FileIn(name));
        EXPECT_EQ(result.error, ImportError::Refused) << name;
        EXPECT_TRUE(result.fault.has_value()) << name;
    }
    EXPECT_EQ(store.Import(FileIn("kinds.macro")).fault->field, QStringLiteral("actions[1].kind"));
    EXPECT_EQ(store.Count(), 1);
    EXPECT_TRUE(ReadBytes(StorePath()) == before);

    // Empty, full with a long delay (cost 47), mouse buttons and an unknown key (code 0).
    MacroRecord& empty = store.AddNew(texts);
    (void)empty;
    MacroRecord& full = store.AddNew(texts);
    MacroAction actions[kMacroMaxActions];
    for (int i = 0; i < kMacroMaxActions; ++i) {
        const uint8_t code = i < 10 ? 0xF1 + (i / 2) % 5 : (i < 12 ? 0x00 : 0x04 + i);
        actions[i] = {code, static_cast<uint8_t>(i % 2 == 0 ? 1 : 2),
                      static_cast<uint16_t>(i == 3 ? 65535 : 10)};
    }
    store.UpdateActions(full, actions, kMacroMaxActions);
    for (int index : {1, 2, 3}) {
        ASSERT_TRUE(store.Export(index, FileIn("back.macro")));
        const ImportResult back = store.Import(FileIn("back.macro"));
        EXPECT_TRUE(back.Ok()) << index << " "
                               << (back.fault ? back.fault->Describe().toStdString() : "");
    }
}

TEST_F(MacroStoreTest, ImportOfAMissingOrEmptyFileAddsNothing) {
    WriteBytes(StorePath(), MacroBytes("Copy", 0));
    WriteBytes(FileIn("empty.macro"), {});
    store.Load();

    EXPECT_EQ(store.Import(FileIn("missing.macro")).error, ImportError::CannotOpen);
    EXPECT_EQ(store.Import(FileIn("empty.macro")).error, ImportError::TooShort);
    EXPECT_EQ(store.Import(dir.path()).error, ImportError::NotRegular);  // a folder
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(ReadBytes(StorePath()), MacroBytes("Copy", 0));
}

TEST_F(MacroStoreTest, ImportRefusesAShortFileAndCutsAnUnterminatedName) {
    store.Load();
    // Less than one record: no exported macro, whatever its first bytes say.
    WriteBytes(FileIn("short.macro"), QByteArray("S\0h\0", 4));
    EXPECT_EQ(store.Import(FileIn("short.macro")).error, ImportError::TooShort);
    WriteBytes(FileIn("short.macro"), MacroBytes("Sh", 0).left(239));
    EXPECT_EQ(store.Import(FileIn("short.macro")).error, ImportError::TooShort);
    EXPECT_EQ(store.Count(), 0);

    // 24 letters and no NUL: cut to 23; imported again, shortened so "_1" fits.
    QByteArray full = MacroBytes("", 0);
    full.replace(0, 48, Utf16("XXXXXXXXXXXXXXXXXXXXXXXY"));
    WriteBytes(FileIn("long.macro"), full);
    EXPECT_EQ(store.Import(FileIn("long.macro")).name, QStringLiteral("XXXXXXXXXXXXXXXXXXXXXXX"));
    EXPECT_EQ(store.Import(FileIn("long.macro")).name, QStringLiteral("XXXXXXXXXXXXXXXXXXXXX_1"));
    EXPECT_EQ(store.At(1).name[23], 0);
}

TEST_F(MacroStoreTest, RemoveAndUpdateActionsAreSaved) {
    store.Load();
    store.AddNew(texts);
    store.AddNew(texts);
    const MacroAction actions[2] = {{0x04, 1, 20}, {0x04, 2, 0}};
    store.UpdateActions(store.At(1), actions, 2);
    store.Remove(0);
    EXPECT_EQ(ReadBytes(StorePath()),
              MacroBytes("Macro2", 2, QByteArray("\x04\x01\x14\x00\x04\x02\x00\x00", 8)));
    store.Remove(5);  // no such macro: nothing happens
    EXPECT_EQ(store.Count(), 1);
}

}  // namespace
