// The program folder (where the executable lives) and the data folder beside it.
#pragma once

#include <QString>

// The running executable's folder, ending in a separator. Everything the program ships
// (driver libraries, res/) is found relative to it, so the folder can be moved as a whole.
QString GetProgramFolder();

// GetProgramFolder() + "Data/". Created when missing; a failure to create is not an error here:
// the path is returned all the same and the file operations that use it fail on their own.
QString GetDataFolder();

// The same rule for any program folder (used by tests and by tools that work on another folder).
QString DataFolderOf(const QString& programFolder);
