#include "macro/store_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

TEST_F(StoreFileTest, LinkedStoresStayLinksThroughEveryKindOfCommitAndItsRecovery) {
    // The stores are kept in a synced folder beside ms_1/, one by a relative link, one by a link
    // to a file that is not there yet.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("ms_1")));
    WriteBytes(In("synced/pro.data"), "old profiles");
    ASSERT_EQ(::symlink("../synced/pro.data", QFile::encodeName(In("ms_1/pro.data")).constData()),
              0);
    ASSERT_TRUE(QFile::link(In("synced/macro.data"), In("ms_1/macro.data")));
    const NativePath folder(In("ms_1"));
    const auto names = [this](const char* folderName) {
        return QDir(In(folderName))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                       QDir::Name);
    };
    const auto linksAndTargets = [&](const char* profiles, const char* macros) {
        EXPECT_TRUE(QFileInfo(In("ms_1/pro.data")).isSymLink());
        EXPECT_TRUE(QFileInfo(In("ms_1/macro.data")).isSymLink());
        EXPECT_EQ(ReadBytes(In("synced/pro.data")), QByteArray(profiles));
        EXPECT_EQ(ReadBytes(In("synced/macro.data")), QByteArray(macros));
        EXPECT_EQ(names("ms_1"), (QStringList{"macro.data", "pro.data"}));
        EXPECT_EQ(names("synced"), (QStringList{"macro.data", "pro.data"}));
    };

    // A save of pro.data alone, then an import's commit of both.
    ASSERT_TRUE(CommitStoreFiles(folder, {Content(kProfileStoreFileName, "profiles 1")}));
    EXPECT_FALSE(QFileInfo::exists(In("synced/macro.data")));
    ASSERT_TRUE(CommitStoreFiles(folder, {Content(kProfileStoreFileName, "profiles 2"),
                                          Content(kMacroStoreFileName, "macros 2")}));
    linksAndTargets("profiles 2", "macros 2");

    // Killed once decided: the new file lies beside the link's target and is read from there.
    WriteBytes(In("synced/pro.data.new"), "profiles 3");
    WriteBytes(In("ms_1/.commit"), "pro.data\n");
    EXPECT_TRUE(SameFile(StoreFileToRead(folder, kProfileStoreFileName),
                         NativePath(In("synced/pro.data.new"))));
    RecoverStoreFolder(folder);
    linksAndTargets("profiles 3", "macros 2");

    // Killed before it was decided: the pieces beside the targets go too.
    WriteBytes(In("synced/macro.data.new"), "macros 4");
    RecoverStoreFolder(folder);
    linksAndTargets("profiles 3", "macros 2");
}

TEST_F(StoreFileTest, StoreFilesMadeReadOnlyAreNeverReplacedAndOthersKeepTheirPermissions) {
    WriteBytes(In("pro.data"), "the user's profiles");
    WriteBytes(In("macro.data"), "the user's macros");
    ASSERT_EQ(::chmod(QFile::encodeName(In("pro.data")).constData(), 0444), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(In("macro.data")).constData(), 0600), 0);
    for (const std::vector<StoreFileContent>& files :
         {std::vector<StoreFileContent>{Content(kProfileStoreFileName, "new")},
          std::vector<StoreFileContent>{Content(kMacroStoreFileName, "new"),
                                        Content(kProfileStoreFileName, "new")}}) {
        const StoreWriteResult refused = CommitStoreFiles(Folder(), files);
        EXPECT_EQ(refused.error, FileError::ReadOnly);
        EXPECT_EQ(refused.path.FileName(), QByteArray("pro.data"));
        EXPECT_EQ(ReadBytes(In("pro.data")), QByteArray("the user's profiles"));
        EXPECT_EQ(ReadBytes(In("macro.data")), QByteArray("the user's macros"));
        EXPECT_EQ(Names(), (QStringList{"macro.data", "pro.data"}));
    }

    ASSERT_EQ(::chmod(QFile::encodeName(In("pro.data")).constData(), 0640), 0);
    ASSERT_TRUE(CommitStoreFiles(Folder(), {Content(kProfileStoreFileName, "new profiles"),
                                            Content(kMacroStoreFileName, "new macros")}));
    const auto mode = [this](const char* name) {
        struct stat info {};
        return ::stat(QFile::encodeName(In(name)).constData(), &info) == 0 ? info.st_mode & 07777
                                                                           : 0u;
    };
    EXPECT_EQ(mode("pro.data"), 0640u);
    EXPECT_EQ(mode("macro.data"), 0600u);
}

}  // namespace
