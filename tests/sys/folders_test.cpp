#include "sys/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/support/unprivileged.h"

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

// XDG_DATA_HOME for the length of a test.
class XdgDataHome {
public:
    explicit XdgDataHome(const QString& path) : old_(qgetenv("XDG_DATA_HOME")) {
        qputenv("XDG_DATA_HOME", QFile::encodeName(path));
    }
    ~XdgDataHome() { qputenv("XDG_DATA_HOME", old_); }

private:
    QByteArray old_;
};

TEST(Folders, DataPathThatIsAFileGivesWayToTheXdgFolderAndIsLeftAlone) {
    QTemporaryDir program;
    QTemporaryDir home;
    XdgDataHome xdg(home.path() + QStringLiteral("/share"));
    QFile blocker(program.path() + QStringLiteral("/Data"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.write("not a folder");
    blocker.close();

    const DataFolderChoice choice = ChooseDataFolder(program.path());
    EXPECT_EQ(choice.path, home.path() + QStringLiteral("/share/talvore/"));
    EXPECT_TRUE(choice.writable);
    EXPECT_FALSE(QFileInfo::exists(choice.path));  // choosing creates nothing
    EXPECT_EQ(DataFolderOf(program.path()), choice.path);
    EXPECT_TRUE(QFileInfo(choice.path).isDir());
    const QFileInfo after(blocker.fileName());
    EXPECT_TRUE(after.isFile());
    EXPECT_EQ(after.size(), 12);
}

TEST(Folders, WithNoWritableDataFolderTheOneHoldingDataIsChosenAndNothingIsCreated) {
    QTemporaryDir program;
    QTemporaryDir home;
    // Files stand where both folders would have to be created.
    for (const QString& path :
         {program.path() + QStringLiteral("/Data"), home.path() + QStringLiteral("/share")}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    XdgDataHome xdg(home.path() + QStringLiteral("/share"));
    DataFolderChoice choice = ChooseDataFolder(program.path());
    EXPECT_FALSE(choice.writable);
    EXPECT_EQ(choice.path, home.path() + QStringLiteral("/share/talvore/"));
    EXPECT_EQ(DataFolderOf(program.path()), choice.path);
    EXPECT_TRUE(QFileInfo(home.path() + QStringLiteral("/share")).isFile());

    // A relative XDG_DATA_HOME does not count: the home folder's .local/share does.
    XdgDataHome relative(QStringLiteral("relative/share"));
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    EXPECT_EQ(XdgDataFolder(), home.path() + QStringLiteral("/.local/share/talvore/"));
    qputenv("HOME", oldHome);
}

TEST(Folders, AnInstalledProgramKeepsItsDataInTheXdgFolder) {
    QTemporaryDir program;
    QTemporaryDir home;
    const QString xdg = home.path() + QStringLiteral("/share");
    ASSERT_TRUE(QDir(program.path()).mkdir(QStringLiteral("Data")));
    OpenToEveryone(home.path());
    OpenToEveryone(program.path());
    if (!UnprivilegedCanReach(home.path()) || !UnprivilegedCanReach(program.path())) {
        GTEST_SKIP() << "user 65534 cannot reach the temporary folders: a folder above them is "
                        "closed to other users";
    }
    // A program folder whose Data/ (or the folder itself) cannot be written, as installed.
    OpenToEveryone(program.path(), 0555);
    OpenToEveryone(program.path() + QStringLiteral("/Data"), 0555);
    const int chosen = RunUnprivileged([&] {
        qputenv("XDG_DATA_HOME", QFile::encodeName(xdg));
        const DataFolderChoice choice = ChooseDataFolder(program.path());
        return choice.writable && choice.path == xdg + QStringLiteral("/talvore/") ? 0 : 1;
    });
    OpenToEveryone(program.path(), 0755);
    EXPECT_EQ(chosen, 0);
}
