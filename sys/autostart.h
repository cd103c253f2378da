// "Start with the desktop": the XDG autostart entry that starts the program in the tray at login,
// $XDG_CONFIG_HOME/autostart/org.talvore.Talvore.desktop ($HOME/.config when unset).
#pragma once

#include <QString>

#include "sys/file_io.h"

namespace autostart {

inline constexpr char kEntryName[] = "org.talvore.Talvore.desktop";

// The entry's path for the current environment.
QString EntryPath();

// Whether the entry exists and is not switched off (Hidden=true, X-GNOME-Autostart-enabled=false
// as the desktops' own settings write it).
bool IsEnabled();

// The Exec line's command: `program` --hidden, where `program` is the bare name when that name
// finds the same file on $PATH, else its absolute path (a program run from its build folder).
QString ExecCommand(const QString& executablePath);

// Writes the entry (folders made as needed, replaced whole) or removes it. A missing entry is
// already removed.
FileError Enable(const QString& executablePath);
FileError Disable();

}  // namespace autostart
