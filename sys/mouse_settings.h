// Opens the desktop's own mouse settings (pointer speed, buttons, double-click), which the
// program offers beside its own settings for the mouse.
#pragma once

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

struct MouseSettingsCommand {
    QString program;  // found in the search path; a full path once found
    QStringList arguments;
};

// The mouse settings tools of the common desktops, most common first.
const std::vector<MouseSettingsCommand>& MouseSettingsCandidates();

// The first candidate installed in `searchPaths` (the PATH when empty), with its full path.
std::optional<MouseSettingsCommand> FindMouseSettingsCommand(const QStringList& searchPaths = {});

// Starts the first installed candidate, detached from this program. Returns false, and does
// nothing, when none is installed or it cannot be started.
bool OpenMouseSettings(const QStringList& searchPaths = {});
