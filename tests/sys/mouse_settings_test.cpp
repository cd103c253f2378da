#include "sys/mouse_settings.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A fake tool that does nothing, so starting it has no effect on the machine.
void InstallFakeTool(const QString& folder, const QString& name, bool executable = true) {
    QFile tool(folder + QLatin1Char('/') + name);
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.write("#!/bin/sh\nexit 0\n");
    tool.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable) {
        permissions |= QFile::ExeOwner;
    }
    ASSERT_TRUE(tool.setPermissions(permissions));
}

}  // namespace

TEST(MouseSettings, NothingInstalledFindsAndStartsNothing) {
    QTemporaryDir empty;
    EXPECT_FALSE(FindMouseSettingsCommand({empty.path()}).has_value());
    EXPECT_FALSE(OpenMouseSettings({empty.path()}));
}

TEST(MouseSettings, FirstInstalledCandidateWinsWithItsArguments) {
    QTemporaryDir bin;
    InstallFakeTool(bin.path(), QStringLiteral("mate-mouse-properties"));
    InstallFakeTool(bin.path(), QStringLiteral("systemsettings"));
    const auto command = FindMouseSettingsCommand({bin.path()});
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->program, bin.path() + QStringLiteral("/systemsettings"));
    EXPECT_EQ(command->arguments, QStringList{QStringLiteral("kcm_mouse")});
}

TEST(MouseSettings, SearchFollowsThePathOrder) {
    QTemporaryDir first;
    QTemporaryDir second;
    InstallFakeTool(second.path(), QStringLiteral("gnome-control-center"));
    InstallFakeTool(first.path(), QStringLiteral("gnome-control-center"));
    const auto command = FindMouseSettingsCommand({first.path(), second.path()});
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->program, first.path() + QStringLiteral("/gnome-control-center"));
    EXPECT_EQ(command->arguments, QStringList{QStringLiteral("mouse")});
}

TEST(MouseSettings, FileWithoutExecutePermissionIsSkipped) {
    QTemporaryDir bin;
    InstallFakeTool(bin.path(), QStringLiteral("gnome-control-center"), false);
    InstallFakeTool(bin.path(), QStringLiteral("xfce4-mouse-settings"));
    const auto command = FindMouseSettingsCommand({bin.path()});
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->program, bin.path() + QStringLiteral("/xfce4-mouse-settings"));
    EXPECT_TRUE(command->arguments.isEmpty());
    EXPECT_TRUE(OpenMouseSettings({bin.path()}));
}
