#include "page/profile_store.h"

#include <unistd.h>

#include <array>
#include <chrono>
#include <thread>
#include <vector>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/macro/fake_texts.h"
#include "tests/macro/file_bytes.h"
#include "tests/support/unprivileged.h"

namespace {

constexpr int kRecord = 165024;
// Offset of button entry j of slot k inside a record.
constexpr int EntryOffset(int k, int j) {
    return 104 + k * 32984 + 2456 + j * 1272;
}

// A raw record: all zero but its name at offset 4.
QByteArray RecordBytes(const char* name) {
    QByteArray bytes(kRecord, '\0');
    const QByteArray utf16 = Utf16(name);
    bytes.replace(4, utf16.size(), utf16);
    return bytes;
}

// Makes entry j of slot k a macro entry carrying the named macro with one action.
void PutMacroEntry(QByteArray& record, int k, int j, const char* macroName) {
    const int e = EntryOffset(k, j);
    record[e + 1] = 0x11;
    const QByteArray utf16 = Utf16(macroName);
    record.replace(e + 16, utf16.size(), utf16);
    record.replace(e + 64, 6, QByteArray("\x03\x00\x00\x00\x01\x00", 6));  // repeat 3, 1 action
    record.replace(e + 1072, 4, QByteArray("\x05\x00\x00\x00", 4));
    record.replace(e + 1088, 4, QByteArray("\x04\x01\x64\x00", 4));
}

QByteArray Index(uint8_t index) {
    return QByteArray(1, static_cast<char>(index)) + QByteArray(3, '\0');
}

class ProfileStoreTest : public ::testing::Test {
protected:
    QString StorePath() const { return dir.path() + QLatin1String("/ms_1/pro.data"); }
    QString MacroPath() const { return dir.path() + QLatin1String("/ms_1/macro.data"); }
    QString FileIn(const char* name) const { return dir.filePath(QLatin1String(name)); }

    QTemporaryDir dir;
    FakeTexts texts;
    ProfileStore store{dir.path() + QLatin1Char('/'), texts};
};

TEST_F(ProfileStoreTest, NoStoreFileGivesOneDefaultProfileAndWritesIt) {
    store.LoadProfiles();

    ASSERT_EQ(store.Count(), 1);
    EXPECT_EQ(store.Current(), &store.At(0));
    EXPECT_EQ(ProfileName(store.At(0)), QStringLiteral("Profile1"));
    EXPECT_TRUE(store.ForceFullApply());
    const QByteArray file = ReadBytes(StorePath());
    ASSERT_EQ(file.size(), 165028);
    EXPECT_EQ(file.left(4), QByteArray(4, '\0'));
    EXPECT_EQ(file.mid(8, 18), Utf16("Profile1") + QByteArray(2, '\0'));
    EXPECT_EQ(file.mid(4 + 2348, 8), QByteArray("\x08\x00\x00\x00\x0C\x00\x00\x00", 8));  // dpi
}

TEST_F(ProfileStoreTest, StoredIndexSelectsItsProfileAndSavingKeepsEveryByte) {
    QByteArray b = RecordBytes("B");
    b[kRecord - 1] = 0x7E;  // the last byte of slot 4
    const QByteArray file = Index(2) + RecordBytes("A") + b + RecordBytes("C");
    WriteBytes(StorePath(), file);

    store.LoadProfiles();
    ASSERT_EQ(store.Count(), 3);
    EXPECT_EQ(store.SelectedIndex(), 2);
    EXPECT_EQ(ProfileName(*store.Current()), QStringLiteral("C"));

    ASSERT_TRUE(store.SaveProfiles());
    const QByteArray saved = ReadBytes(StorePath());
    EXPECT_EQ(saved.size(), 495076);
    EXPECT_TRUE(saved == file);
}

TEST_F(ProfileStoreTest, AStoreThatCannotBeUsedWhollyIsKeptAsideBeforeAnythingIsWritten) {
    // Empty: like no file at all, with nothing to keep.
    WriteBytes(StorePath(), {});
    EXPECT_TRUE(store.LoadProfiles().keptAside.empty());
    EXPECT_EQ(ReadBytes(StorePath()).size(), 165028);

    // No whole record (an index alone; one record two bytes short): the file is kept as it was
    // under a ".damaged" name, and a default store takes its place.
    for (const QByteArray& content :
         {Index(0), Index(0) + RecordBytes("Almost").left(kRecord - 2)}) {
        WriteBytes(StorePath(), content);
        const StoreStartReport report = store.LoadProfiles();
        ASSERT_EQ(report.keptAside.size(), 1u);
        EXPECT_TRUE(report.keptAside[0].FileName().startsWith("pro.data."));
        EXPECT_TRUE(report.keptAside[0].FileName().endsWith(".damaged"));
        EXPECT_TRUE(ReadBytes(report.keptAside[0].ToQString()) == content);
        EXPECT_FALSE(report.saveFailed);
        EXPECT_EQ(store.Count(), 1);
        EXPECT_EQ(ProfileName(*store.Current()), QStringLiteral("Profile1"));
        EXPECT_EQ(ReadBytes(StorePath()).size(), 165028);
    }

    // Whole records and a damaged tail: the records stay in the store (an index past the list
    // selects the first), the whole file is kept beside it.
    const QByteArray tailed =
        Index(7) + RecordBytes("A") + RecordBytes("B") + QByteArray(1000, 'x');
    WriteBytes(StorePath(), tailed);
    StoreStartReport report = store.LoadProfiles();
    ASSERT_EQ(report.keptAside.size(), 1u);
    EXPECT_TRUE(ReadBytes(report.keptAside[0].ToQString()) == tailed);
    ASSERT_EQ(store.Count(), 2);
    EXPECT_EQ(store.SelectedIndex(), 0);
    EXPECT_EQ(ProfileName(*store.Current()), QStringLiteral("A"));
    EXPECT_TRUE(ReadBytes(StorePath()) == Index(0) + RecordBytes("A") + RecordBytes("B"));

    // Not a file at all: a folder in its place is moved aside with what it holds.
    ASSERT_TRUE(QFile::remove(StorePath()));
    WriteBytes(StorePath() + QLatin1String("/inside"), "kept");
    report = store.LoadProfiles();
    ASSERT_EQ(report.keptAside.size(), 1u);
    EXPECT_EQ(ReadBytes(report.keptAside[0].ToQString() + QLatin1String("/inside")), "kept");
    EXPECT_EQ(ReadBytes(StorePath()).size(), 165028);
}

TEST_F(ProfileStoreTest, AMacroStoreThatCannotBeReadIsKeptAsideNotReadWhole) {
    // 40 GB that take no room on the disk, then a FIFO, which an open would wait on forever.
    {
        QDir().mkpath(dir.filePath(QStringLiteral("ms_1")));
        QFile sparse(MacroPath());
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        ASSERT_TRUE(sparse.resize(40LL << 30));
    }
    StoreStartReport report = store.LoadProfiles();
    ASSERT_EQ(report.keptAside.size(), 1u);
    EXPECT_EQ(QFileInfo(report.keptAside[0].ToQString()).size(), 40LL << 30);
    EXPECT_EQ(store.Macros().Count(), 0);
    ASSERT_TRUE(QFile::remove(report.keptAside[0].ToQString()));

    ASSERT_EQ(::mkfifo(QFile::encodeName(MacroPath()).constData(), 0600), 0);
    report = store.LoadProfiles();
    ASSERT_EQ(report.keptAside.size(), 1u);
    EXPECT_TRUE(QFileInfo(report.keptAside[0].ToQString()).exists());
    EXPECT_FALSE(QFileInfo::exists(MacroPath()));
}

TEST_F(ProfileStoreTest, AnUnreadableStoreIsKeptAsideOrElseNeverWrittenOver) {
    const QByteArray stored = Index(0) + RecordBytes("Mine");
    WriteBytes(StorePath(), stored);
    ASSERT_EQ(::chmod(QFile::encodeName(StorePath()).constData(), 0), 0);
    OpenToEveryone(dir.path());
    OpenToEveryone(dir.filePath(QStringLiteral("ms_1")));
    if (!UnprivilegedCanReach(dir.path())) {
        GTEST_SKIP() << "user 65534 cannot reach " << qPrintable(dir.path())
                     << ": a folder above it is closed to other users";
    }
    const QString folder = dir.path() + QLatin1Char('/');

    // A folder that can be written: the unreadable file goes aside, a new store is started.
    EXPECT_EQ(
        RunUnprivileged([&] {
            ProfileStore other(folder, texts);
            const StoreStartReport report = other.LoadProfiles();
            return report.keptAside.size() == 1 && !report.saveFailed && other.Count() == 1 ? 0 : 1;
        }),
        0);
    const QStringList aside =
        QDir(dir.filePath(QStringLiteral("ms_1"))).entryList({QStringLiteral("*.damaged")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(ReadBytes(dir.filePath(QLatin1String("ms_1/") + aside[0])) == stored);

    // A folder that cannot be written: the file cannot go aside, so every save is refused and
    // the file stays exactly as it was.
    ASSERT_TRUE(QFile::remove(StorePath()));
    WriteBytes(StorePath(), stored);
    ASSERT_EQ(::chmod(QFile::encodeName(StorePath()).constData(), 0), 0);
    OpenToEveryone(dir.filePath(QStringLiteral("ms_1")), 0555);
    EXPECT_EQ(RunUnprivileged([&] {
                  ProfileStore other(folder, texts);
                  int failures = 0;
                  other.SetSaveFailedHandler([&](const StoreWriteResult&) { ++failures; });
                  const StoreStartReport report = other.LoadProfiles();
                  const bool refused = !other.Rename(0, QStringLiteral("Other"));
                  return report.saveFailed && report.keptAside.empty() && refused && failures == 2
                             ? 0
                             : 1;
              }),
              0);
    OpenToEveryone(dir.filePath(QStringLiteral("ms_1")), 0755);
    ::chmod(QFile::encodeName(StorePath()).constData(), 0644);
    EXPECT_TRUE(ReadBytes(StorePath()) == stored);
}

TEST_F(ProfileStoreTest, SaveReplacesTheFileInsteadOfRewritingItInPlace) {
    store.LoadProfiles();
    const QByteArray before = ReadBytes(StorePath());
    ASSERT_EQ(
        ::link(StorePath().toLocal8Bit().constData(), FileIn("old.data").toLocal8Bit().constData()),
        0);
    ASSERT_TRUE(store.Rename(0, QStringLiteral("Work")));

    EXPECT_TRUE(ReadBytes(FileIn("old.data")) == before);
    EXPECT_EQ(ReadBytes(StorePath()).mid(8, 10), Utf16("Work") + QByteArray(2, '\0'));
}

TEST_F(ProfileStoreTest, ImportedNamesAreMadeUniqueWithoutRegardToCase) {
    WriteBytes(StorePath(), Index(0) + RecordBytes("Office"));
    WriteBytes(FileIn("office.pro"), RecordBytes("office"));
    store.LoadProfiles();

    EXPECT_EQ(store.ImportProfile(FileIn("office.pro")).name, QStringLiteral("office_1"));
    const ImportResult again = store.ImportProfile(FileIn("office.pro"));
    EXPECT_EQ(again.name, QStringLiteral("office_2"));
    EXPECT_EQ(again.index, 2);
    EXPECT_EQ(store.SelectedIndex(), 2);
    EXPECT_EQ(ProfileName(*store.Current()), QStringLiteral("office_2"));
    // An import is saved at once; no macro entry, so no macro.data either.
    const QByteArray saved = ReadBytes(StorePath());
    EXPECT_EQ(saved.size(), 495076);
    EXPECT_EQ(saved.left(4), Index(2));
    EXPECT_FALSE(QFileInfo::exists(MacroPath()));
}

TEST_F(ProfileStoreTest, LongNamesAreShortenedToFitTheirSuffix) {
    const char* long49 = "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVW";
    WriteBytes(StorePath(), Index(0) + RecordBytes(long49));
    QByteArray unterminated = RecordBytes("");
    unterminated.replace(4, 100, Utf16("ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWX"));
    WriteBytes(FileIn("long.pro"), unterminated);
    store.LoadProfiles();

    // 50 characters without a NUL: cut to 49, taken, so 47 of them and "_1".
    const ImportResult result = store.ImportProfile(FileIn("long.pro"));
    EXPECT_EQ(result.name, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTU_1"));
    EXPECT_EQ(store.At(1).profileName[49], u'\0');
    EXPECT_EQ(store.UniqueProfileName(QLatin1String(long49)).size(), 49);
}

TEST_F(ProfileStoreTest, DefaultNamesCountTheProfilesAndAvoidTakenOnes) {
    WriteBytes(StorePath(), Index(0) + RecordBytes("PROFILE2"));
    store.LoadProfiles();
    EXPECT_EQ(ProfileName(store.AddDefaultProfile()), QStringLiteral("Profile2_1"));
    EXPECT_EQ(store.SelectedIndex(), 0);
    EXPECT_EQ(store.Count(), 2);
}

TEST_F(ProfileStoreTest, ARefusedImportAddsNothing) {
    WriteBytes(FileIn("short.pro"), RecordBytes("Short").left(kRecord - 1));
    WriteBytes(FileIn("empty.pro"), {});
    store.LoadProfiles();
    const QByteArray before = ReadBytes(StorePath());

    EXPECT_EQ(store.ImportProfile(FileIn("short.pro")).error, ImportError::TooShort);
    EXPECT_EQ(store.ImportProfile(FileIn("empty.pro")).error, ImportError::TooShort);
    EXPECT_EQ(store.ImportProfile(FileIn("missing.pro")).error, ImportError::CannotOpen);
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(store.SelectedIndex(), 0);
    EXPECT_TRUE(ReadBytes(StorePath()) == before);
    EXPECT_FALSE(QFileInfo::exists(MacroPath()));
}

TEST_F(ProfileStoreTest, ImportBringsItsMacrosInUnderNewNamesAndIndexes) {
    WriteBytes(MacroPath(), Utf16("Copy") + QByteArray(232, '\0'));
    QByteArray pro = RecordBytes("Macros");
    PutMacroEntry(pro, 0, 4, "COPY");
    PutMacroEntry(pro, 2, 11, "Paste");
    WriteBytes(FileIn("macros.pro"), pro);
    store.LoadProfiles();
    store.SetForceFullApply(false);

    ASSERT_TRUE(store.ImportProfile(FileIn("macros.pro")).Ok());
    EXPECT_TRUE(store.ForceFullApply());

    QByteArray copy1 = Utf16("COPY_1") + QByteArray(36, '\0');
    copy1 += QByteArray("\x03\x00\x00\x00\x01\x00\x00\x00\x04\x01\x64\x00", 12);
    copy1 += QByteArray(180, '\0');
    QByteArray paste = Utf16("Paste") + QByteArray(38, '\0');
    paste += QByteArray("\x03\x00\x00\x00\x01\x00\x00\x00\x04\x01\x64\x00", 12);
    paste += QByteArray(180, '\0');
    const QByteArray macros = ReadBytes(MacroPath());
    ASSERT_EQ(macros.size(), 720);
    EXPECT_TRUE(macros.mid(240, 240) == copy1);
    EXPECT_TRUE(macros.mid(480) == paste);

    // The imported record differs from the file only in the names and indexes of its macros.
    QByteArray expected = pro;
    expected.replace(EntryOffset(0, 4) + 16, 14, Utf16("COPY_1") + QByteArray(2, '\0'));
    expected.replace(EntryOffset(0, 4) + 1072, 4, QByteArray("\x01\x00\x00\x00", 4));
    expected.replace(EntryOffset(2, 11) + 1072, 4, QByteArray("\x02\x00\x00\x00", 4));
    ASSERT_TRUE(store.ExportProfile(1, FileIn("out.pro")));
    EXPECT_TRUE(ReadBytes(FileIn("out.pro")) == expected);
}

TEST_F(ProfileStoreTest, AnImportThatCannotBeSavedChangesNothing) {
    WriteBytes(MacroPath(), Utf16("Copy") + QByteArray(232, '\0'));
    QByteArray pro = RecordBytes("Macros");
    PutMacroEntry(pro, 0, 4, "Copy");
    WriteBytes(FileIn("macros.pro"), pro);
    store.LoadProfiles();
    const QByteArray profilesBefore = ReadBytes(StorePath());
    const QByteArray macrosBefore = ReadBytes(MacroPath());
    std::vector<StoreWriteResult> failures;
    store.SetSaveFailedHandler([&](const StoreWriteResult& r) { failures.push_back(r); });

    // Something that cannot be removed or replaced sits where the new macro store is written.
    WriteBytes(dir.filePath(QStringLiteral("ms_1/macro.data.new/x")), "blocks the way");
    const ImportResult result = store.ImportProfile(FileIn("macros.pro"));
    EXPECT_EQ(result.error, ImportError::CannotSave);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].path.FileName(), QByteArray("macro.data"));
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(store.SelectedIndex(), 0);
    EXPECT_EQ(store.Macros().Count(), 1);
    EXPECT_FALSE(store.Macros().Dirty());
    EXPECT_TRUE(ReadBytes(StorePath()) == profilesBefore);
    EXPECT_TRUE(ReadBytes(MacroPath()) == macrosBefore);

    // Once the way is clear, the same import goes in once, both stores together.
    ASSERT_TRUE(QDir(dir.filePath(QStringLiteral("ms_1/macro.data.new"))).removeRecursively());
    ASSERT_TRUE(store.ImportProfile(FileIn("macros.pro")).Ok());
    EXPECT_EQ(ReadBytes(StorePath()).size(), 330052);
    EXPECT_EQ(ReadBytes(MacroPath()).size(), 480);
}

TEST_F(ProfileStoreTest, NoChangeMakesAStoreLargerThanItsReadersAccept) {
    WriteBytes(StorePath(), Index(0) + RecordBytes("Mine"));
    {
        // As many macros as a store holds, without taking their room on the disk.
        QFile macros(MacroPath());
        ASSERT_TRUE(macros.open(QIODevice::WriteOnly));
        ASSERT_TRUE(macros.resize(kMaxMacroStoreBytes));
    }
    ASSERT_TRUE(store.LoadProfiles().keptAside.empty());
    ASSERT_EQ(store.Macros().Count(), kMaxMacroCount);
    QByteArray pro = RecordBytes("Macros");
    PutMacroEntry(pro, 0, 4, "Copy");
    WriteBytes(FileIn("macros.pro"), pro);
    WriteBytes(FileIn("one.macro"), Utf16("One") + QByteArray(234, '\0'));
    const QByteArray profilesBefore = ReadBytes(StorePath());

    // One macro more and every later reading would refuse the store whole.
    EXPECT_EQ(store.ImportProfile(FileIn("macros.pro")).error, ImportError::StoreFull);
    EXPECT_EQ(store.Macros().Import(FileIn("one.macro")).error, ImportError::StoreFull);
    EXPECT_FALSE(store.Macros().RoomFor(1));
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(store.SelectedIndex(), 0);
    EXPECT_EQ(store.Macros().Count(), kMaxMacroCount);
    EXPECT_TRUE(ReadBytes(StorePath()) == profilesBefore);
    EXPECT_EQ(QFileInfo(MacroPath()).size(), kMaxMacroStoreBytes);

    // A profile that brings no macro still has room; the profiles have a bound of their own.
    WriteBytes(FileIn("plain.pro"), RecordBytes("Plain"));
    EXPECT_TRUE(store.ImportProfile(FileIn("plain.pro")).Ok());
    EXPECT_TRUE(store.RoomForProfiles(kMaxProfileCount - 2));
    EXPECT_FALSE(store.RoomForProfiles(kMaxProfileCount - 1));
    EXPECT_EQ(QFileInfo(MacroPath()).size(), kMaxMacroStoreBytes);
}

TEST_F(ProfileStoreTest, AFolderLockedPastTheWaitIsAnErrorNeverAReasonToGoOn) {
    WriteBytes(StorePath(), Index(0) + RecordBytes("Mine"));
    WriteBytes(MacroPath(), Utf16("Keep") + QByteArray(232, '\0'));
    const QByteArray profiles = ReadBytes(StorePath());
    const QByteArray macros = ReadBytes(MacroPath());
    // Another writer holds the store folder (a lock of its own, as another process's would be)
    // for longer than anyone waits.
    const NativePath storeFolder(dir.filePath(QStringLiteral("ms_1")));
    StoreFolderLock other(storeFolder, StoreFolderLock::Mode::Exclusive,
                          std::chrono::milliseconds(0));
    ASSERT_TRUE(other.Held());
    const QString folder = dir.path() + QLatin1Char('/');

    // Each waits out the lock at the same time; none reads without it or writes.
    std::array<bool, 5> busy{};
    std::vector<std::thread> waiting;
    waiting.emplace_back([&] {
        ProfileStore reader(folder, texts);
        busy[0] = reader.ReadProfiles().condition == StoreCondition::Busy && reader.Count() == 0;
    });
    waiting.emplace_back([&] {
        MacroStore reader(folder);
        busy[1] = reader.Load().condition == StoreCondition::Busy && reader.Count() == 0;
    });
    waiting.emplace_back([&] {
        ProfileStore writer(folder, texts);
        const ProfileStore::Loads loads = writer.ReadForChange();
        busy[2] = loads.profiles.condition == StoreCondition::Busy &&
                  loads.macros.condition == StoreCondition::Busy;
    });
    waiting.emplace_back([&] {
        // The program's start: nothing kept aside, nothing saved, and said so.
        ProfileStore program(folder, texts);
        const StoreStartReport report = program.LoadProfiles();
        busy[3] = report.saveFailed && report.keptAside.empty() &&
                  !program.Rename(0, QStringLiteral("Other"));
    });
    waiting.emplace_back([&] {
        const StoreWriteResult written = CommitStoreFiles(
            storeFolder, {{kProfileStoreFileName, [](QIODevice& f) { return f.write("x") == 1; }}});
        busy[4] = written.error == FileError::Busy;
    });
    for (std::thread& thread : waiting) {
        thread.join();
    }
    EXPECT_EQ(busy, (std::array<bool, 5>{true, true, true, true, true}));
    EXPECT_TRUE(ReadBytes(StorePath()) == profiles);
    EXPECT_TRUE(ReadBytes(MacroPath()) == macros);
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("ms_1")))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("macro.data"), QStringLiteral("pro.data")}));
}

TEST_F(ProfileStoreTest, ExportOntoAStoreFileIsRefused) {
    store.LoadProfiles();
    const QByteArray before = ReadBytes(StorePath());
    EXPECT_EQ(store.ExportProfile(0, StorePath()).error, FileError::IsStore);
    EXPECT_EQ(store.ExportProfile(0, dir.filePath(QStringLiteral("ms_1/../ms_1/macro.data"))).error,
              FileError::IsStore);
    EXPECT_TRUE(ReadBytes(StorePath()) == before);
    EXPECT_FALSE(QFileInfo::exists(MacroPath()));
}

TEST_F(ProfileStoreTest, ExportWritesOneRecordAndLeavesTheStoreAlone) {
    WriteBytes(StorePath(), Index(1) + RecordBytes("A") + RecordBytes("B"));
    store.LoadProfiles();
    const QByteArray before = ReadBytes(StorePath());

    ASSERT_TRUE(store.ExportProfile(1, FileIn("b.pro")));
    EXPECT_TRUE(ReadBytes(FileIn("b.pro")) == RecordBytes("B"));
    EXPECT_FALSE(store.ExportProfile(2, FileIn("none.pro")));
    EXPECT_FALSE(QFileInfo::exists(FileIn("none.pro")));
    EXPECT_TRUE(ReadBytes(StorePath()) == before);
}

TEST_F(ProfileStoreTest, RemovingSelectsANeighbourAndKeepsTheLastProfile) {
    WriteBytes(StorePath(), Index(2) + RecordBytes("A") + RecordBytes("B") + RecordBytes("C"));
    store.LoadProfiles();

    ASSERT_TRUE(store.RemoveAt(2));  // C selected: B follows
    EXPECT_EQ(ProfileName(*store.Current()), QStringLiteral("B"));
    EXPECT_EQ(store.SelectedIndex(), 1);
    ASSERT_TRUE(store.Select(0));
    ASSERT_TRUE(store.RemoveAt(0));  // A selected: B is the new first
    EXPECT_EQ(ProfileName(*store.Current()), QStringLiteral("B"));
    EXPECT_EQ(store.SelectedIndex(), 0);
    EXPECT_FALSE(store.RemoveAt(0));
    EXPECT_EQ(store.Count(), 1);
    EXPECT_FALSE(store.Select(1));
    EXPECT_EQ(store.SelectedIndex(), 0);
}

TEST_F(ProfileStoreTest, AddedProfilesAreAppendedAndSelectedWithoutMovingOthers) {
    store.LoadProfiles();
    ProfileRecord* first = &store.At(0);
    for (int i = 0; i < 20; ++i) {
        store.AppendProfile(QStringLiteral("p%1").arg(i));
    }
    EXPECT_EQ(first, &store.At(0));
    EXPECT_EQ(store.SelectedIndex(), 20);
    EXPECT_EQ(ProfileName(*store.Current()), QStringLiteral("p19"));
    EXPECT_EQ(store.Current()->slots[0].dpiStage, 2);
}

TEST_F(ProfileStoreTest, ReconcilingReportsWhetherTheCurrentProfileHadMacroEntries) {
    QByteArray withMacro = RecordBytes("M");
    PutMacroEntry(withMacro, 3, 0, "Gone");
    WriteBytes(StorePath(), Index(0) + RecordBytes("Plain") + withMacro);
    store.LoadProfiles();

    EXPECT_FALSE(store.ReconcileMacros());
    // The other profile was brought in line all the same: its entry is back on left click.
    const ButtonEntry& entry = store.At(1).slots[3].buttons[0];
    EXPECT_EQ(entry.functionCode, 0x01);
    EXPECT_EQ(entry.macroName[0], 0);
    EXPECT_EQ(entry.macroIndex, -1);

    PutMacroEntry(withMacro, 3, 0, "Gone");
    WriteBytes(StorePath(), Index(1) + RecordBytes("Plain") + withMacro);
    store.LoadProfiles();
    EXPECT_TRUE(store.ReconcileMacros());
}

TEST_F(ProfileStoreTest, ASnapshotIsACopyTakenAtThatMoment) {
    EXPECT_EQ(store.TakeSnapshotOfCurrent(), nullptr);
    store.LoadProfiles();
    auto snapshot = store.TakeSnapshotOfCurrent();
    store.WithLock([](ProfileStore& s) { s.Current()->slots[0].dpiStage = 5; });
    EXPECT_EQ(snapshot->slots[0].dpiStage, 2);
    EXPECT_EQ(store.TakeSnapshotOfCurrent()->slots[0].dpiStage, 5);
}

}  // namespace
