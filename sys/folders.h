// The program folder (where the executable lives) and the data folder: Data/ beside it, or the
// user's XDG data folder for an installed program.
#pragma once

#include <QString>

// The running executable's folder, ending in a separator. Everything the program ships
// (driver libraries, res/) is found relative to it, so the folder can be moved as a whole.
QString GetProgramFolder();

// Where the profiles, the macros and CONFIG.ini live.
struct DataFolderChoice {
    QString path;           // ends in a separator
    bool writable = false;  // files can be created there (at once, or once it is created)
};

// "Data/" beside the program when it is a folder that can be written, or when it is missing and
// the program folder can be written: portable copies keep their data with them. Otherwise (an
// installed program) the XDG data folder, when it can be written. When neither can, the one that
// holds data is chosen (the program's Data/ when it exists, else the XDG folder) and marked not
// writable, so that what is stored there is still read and never overwritten. Creates nothing.
DataFolderChoice ChooseDataFolder(const QString& programFolder);

// $XDG_DATA_HOME/talvore/, by default ~/.local/share/talvore/.
QString XdgDataFolder();

// The chosen data folder for a program folder, created when it is missing and can be.
QString DataFolderOf(const QString& programFolder);

// DataFolderOf(GetProgramFolder()).
QString GetDataFolder();
