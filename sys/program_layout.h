// Where the program finds what it ships: the skin folder res/ and the driver and hook libraries.
// A portable program folder (the build's bin/ and demo/, or a copy of either) holds both beside
// the executable. An installed tree keeps the executables in PREFIX/bin, the skin folder in
// PREFIX/share/talvore/res and the libraries in PREFIX/lib/talvore; the prefix is found from the
// executable's own location, so an installed tree can be moved as a whole too.
#pragma once

#include <QString>

// The module that reads layouts not compiled into the program (ui/layout_reader_abi.h), in the
// library folder.
inline constexpr char kLayoutReaderFile[] = "talvore_layout_reader.so";

// True when the program folder has no res/ of its own but ../share/talvore/res exists.
bool IsInstalledLayout(const QString& programFolder);

// The skin folder for a program folder, ending in a separator.
QString ResourceFolderOf(const QString& programFolder);
// The folder of hiddriver_1.so, hiddriver_2.so, Hook.so and the layout reader, ending in a
// separator.
QString LibraryFolderOf(const QString& programFolder);

// The same for the running executable.
QString GetResourceFolder();
QString GetLibraryFolder();
