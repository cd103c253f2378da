#include "sys/program_layout.h"

#include <QDir>
#include <QFileInfo>

#include "sys/folders.h"

namespace {

constexpr char kPortableResources[] = "res";
constexpr char kInstalledResources[] = "../share/talvore/res";
constexpr char kInstalledLibraries[] = "../lib/talvore";

QString FolderIn(const QString& programFolder, const char* relative) {
    return QDir::cleanPath(QDir(programFolder).filePath(QLatin1String(relative))) +
           QLatin1Char('/');
}

}  // namespace

bool IsInstalledLayout(const QString& programFolder) {
    const QDir program(programFolder);
    return !QFileInfo(program.filePath(QLatin1String(kPortableResources))).isDir() &&
           QFileInfo(program.filePath(QLatin1String(kInstalledResources))).isDir();
}

QString ResourceFolderOf(const QString& programFolder) {
    return FolderIn(programFolder,
                    IsInstalledLayout(programFolder) ? kInstalledResources : kPortableResources);
}

QString LibraryFolderOf(const QString& programFolder) {
    return FolderIn(programFolder, IsInstalledLayout(programFolder) ? kInstalledLibraries : ".");
}

QString GetResourceFolder() {
    return ResourceFolderOf(GetProgramFolder());
}

QString GetLibraryFolder() {
    return LibraryFolderOf(GetProgramFolder());
}
