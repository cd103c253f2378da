#include "sys/program_layout.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A portable folder keeps everything beside the executable, even when it happens to sit in a
// tree that also has share/talvore/res; an installed tree is recognised only by its own layout.
TEST(ProgramLayout, PortableFolderWinsAndAnInstalledTreeIsFoundFromBin) {
    QTemporaryDir top;
    ASSERT_TRUE(top.isValid());
    const QString root = top.path();
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/share/talvore/res")));
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/bin")));
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/portable/res")));

    const QString bin = root + QStringLiteral("/bin/");
    EXPECT_TRUE(IsInstalledLayout(bin));
    EXPECT_EQ(ResourceFolderOf(bin).toStdString(),
              (root + QStringLiteral("/share/talvore/res/")).toStdString());
    EXPECT_EQ(LibraryFolderOf(bin).toStdString(),
              (root + QStringLiteral("/lib/talvore/")).toStdString());

    const QString portable = root + QStringLiteral("/portable/");
    EXPECT_FALSE(IsInstalledLayout(portable));
    EXPECT_EQ(ResourceFolderOf(portable).toStdString(),
              (portable + QStringLiteral("res/")).toStdString());
    EXPECT_EQ(LibraryFolderOf(portable).toStdString(), portable.toStdString());

    // Neither layout (a folder holding only the executable): the portable places, as before.
    const QString bare = root + QStringLiteral("/deeper/bin/");
    ASSERT_TRUE(QDir().mkpath(bare));
    EXPECT_EQ(ResourceFolderOf(bare).toStdString(), (bare + QStringLiteral("res/")).toStdString());
    EXPECT_EQ(LibraryFolderOf(bare).toStdString(), bare.toStdString());
}
