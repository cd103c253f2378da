#include "sys/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(Folders, ProgramFolderIsTheTestExecutablesFolderWithTrailingSeparator) {
    const QString folder = GetProgramFolder();
    ASSERT_TRUE(folder.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(folder).canonicalPath(),
              QDir(QStringLiteral(TALVORE_BIN_DIR "/../tests")).canonicalPath());
}

TEST(Folders, DataFolderIsCreatedWhenMissing) {
    QTemporaryDir program;
    ASSERT_TRUE(program.isValid());
    const QString expected = program.path() + QStringLiteral("/Data/");
    // With and without the trailing separator the result is the same.
    EXPECT_EQ(DataFolderOf(program.path() + QLatin1Char('/')), expected);
    EXPECT_EQ(DataFolderOf(program.path()), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
}

TEST(Folders, ExistingDataFolderKeepsItsContent) {
    QTemporaryDir program;
    ASSERT_TRUE(QDir(program.path()).mkdir(QStringLiteral("Data")));
    QFile stored(program.path() + QStringLiteral("/Data/CONFIG.ini"));
    ASSERT_TRUE(stored.open(QIODevice::WriteOnly));
    stored.write("[SETTING]\nlanId=3\n");
    stored.close();

    EXPECT_EQ(DataFolderOf(program.path() + QLatin1Char('/')), program.path() + "/Data/");
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), QByteArray("[SETTING]\nlanId=3\n"));
}

TEST(Folders, DataPathThatIsAFileIsReturnedAndTheFileLeftAlone) {
    QTemporaryDir program;
    QFile blocker(program.path() + QStringLiteral("/Data"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.write("not a folder");
    blocker.close();

    EXPECT_EQ(DataFolderOf(program.path() + QLatin1Char('/')), program.path() + "/Data/");
    const QFileInfo after(blocker.fileName());
    EXPECT_TRUE(after.isFile());
    EXPECT_EQ(after.size(), 12);
}
