#include "macro/store_file.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/macro/file_bytes.h"

namespace {

class StoreFileTest : public ::testing::Test {
protected:
    QString In(const char* name) const { return dir.filePath(QLatin1String(name)); }
    NativePath Folder() const { return NativePath(dir.path()); }
    QStringList Names() const {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    static StoreFileContent Content(const char* name, const QByteArray& bytes) {
        return {name, [bytes](QIODevice& file) { return WriteAll(file, bytes, bytes.size()); }};
    }

    QTemporaryDir dir;
};

TEST_F(StoreFileTest, BothStoresAreReplacedTogetherOrNotAtAll) {
    WriteBytes(In("pro.data"), "old profiles");
    WriteBytes(In("macro.data"), "old macros");

    // The second file cannot be written: the first stays as it was too.
    const StoreWriteResult failed =
        CommitStoreFiles(Folder(), {Content(kProfileStoreFileName, "new profiles"),
                                    {kMacroStoreFileName, [](QIODevice&) { return false; }}});
    EXPECT_EQ(failed.error, FileError::Unwritable);
    EXPECT_EQ(failed.path.FileName(), QByteArray("macro.data"));
    EXPECT_EQ(ReadBytes(In("pro.data")), QByteArray("old profiles"));
    EXPECT_EQ(ReadBytes(In("macro.data")), QByteArray("old macros"));
    EXPECT_EQ(Names(), (QStringList{"macro.data", "pro.data"}));

    ASSERT_TRUE(CommitStoreFiles(Folder(), {Content(kProfileStoreFileName, "new profiles"),
                                            Content(kMacroStoreFileName, "new macros")}));
    EXPECT_EQ(ReadBytes(In("pro.data")), QByteArray("new profiles"));
    EXPECT_EQ(ReadBytes(In("macro.data")), QByteArray("new macros"));
    EXPECT_EQ(Names(), (QStringList{"macro.data", "pro.data"}));
}

TEST_F(StoreFileTest, ACommitCutShortIsFinishedWhenDecidedAndDroppedWhenNot) {
    WriteBytes(In("pro.data"), "old profiles");
    WriteBytes(In("macro.data"), "old macros");
    // Killed after the list was written and one file was already renamed.
    WriteBytes(In("pro.data.new"), "new profiles");
    WriteBytes(In("macro.data"), "new macros");
    WriteBytes(In(".commit"), "pro.data\nmacro.data\n");

    // A reader that must not write sees the decided state.
    EXPECT_EQ(StoreFileToRead(Folder(), kProfileStoreFileName).FileName(), "pro.data.new");
    EXPECT_EQ(StoreFileToRead(Folder(), kMacroStoreFileName).FileName(), "macro.data");
    EXPECT_EQ(Names(), (QStringList{".commit", "macro.data", "pro.data", "pro.data.new"}));

    RecoverStoreFolder(Folder());
    EXPECT_EQ(ReadBytes(In("pro.data")), QByteArray("new profiles"));
    EXPECT_EQ(ReadBytes(In("macro.data")), QByteArray("new macros"));
    EXPECT_EQ(Names(), (QStringList{"macro.data", "pro.data"}));

    // Killed before the list was written: the new files and a half-written temporary file go.
    WriteBytes(In("pro.data.new"), "newer profiles");
    WriteBytes(In("macro.data.new"), "newer macros");
    WriteBytes(In(".macro.data.new.tmp-x1"), "newer m");
    WriteBytes(In("notes.txt"), "the user's own file");
    EXPECT_EQ(StoreFileToRead(Folder(), kProfileStoreFileName).FileName(), "pro.data");
    RecoverStoreFolder(Folder());
    EXPECT_EQ(ReadBytes(In("pro.data")), QByteArray("new profiles"));
    EXPECT_EQ(ReadBytes(In("macro.data")), QByteArray("new macros"));
    EXPECT_EQ(Names(), (QStringList{"macro.data", "notes.txt", "pro.data"}));
}

TEST_F(StoreFileTest, StoreFilesAreRecognisedByAnyNameThatLeadsToThem) {
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Data/ms_1")));
    const NativePath folder(In("Data/ms_1"));
    WriteBytes(In("Data/ms_1/pro.data"), "profiles");
    ASSERT_EQ(::link(QFile::encodeName(In("Data/ms_1/pro.data")).constData(),
                     QFile::encodeName(In("hard.pro")).constData()),
              0);
    ASSERT_TRUE(QFile::link(In("Data/ms_1"), In("stores")));

    EXPECT_TRUE(IsStoreFile(folder, NativePath(In("Data/ms_1/pro.data"))));
    EXPECT_TRUE(IsStoreFile(folder, NativePath(In("Data/ms_1/../ms_1/pro.data"))));
    EXPECT_TRUE(IsStoreFile(folder, NativePath(In("hard.pro"))));
    EXPECT_TRUE(IsStoreFile(folder, NativePath(In("stores/pro.data"))));
    EXPECT_TRUE(IsStoreFile(folder, NativePath(In("stores/macro.data"))));  // not there yet
    EXPECT_FALSE(IsStoreFile(folder, NativePath(In("Data/ms_1/work.pro"))));
    EXPECT_FALSE(IsStoreFile(folder, NativePath(In("pro.data"))));
}

}  // namespace
