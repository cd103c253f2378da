#include "sys/folders.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

#include "sys/file_io.h"

namespace {

QString WithSeparator(QString folder) {
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder;
}

QString HomeFolder() {
    const QByteArray home = qgetenv("HOME");
    if (!home.isEmpty()) {
        return QFile::decodeName(home);
    }
    if (const passwd* user = ::getpwuid(::getuid())) {
        return QFile::decodeName(user->pw_dir);
    }
    return QDir::homePath();
}

}  // namespace

QString GetProgramFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return QDir::currentPath() + QLatin1Char('/');
    }
    return QString::fromStdString(exe.parent_path().string()) + QLatin1Char('/');
}

QString XdgDataFolder() {
    // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored.
    QString base = QFile::decodeName(qgetenv("XDG_DATA_HOME"));
    if (!base.startsWith(QLatin1Char('/'))) {
        base = HomeFolder() + QLatin1String("/.local/share");
    }
    return WithSeparator(base) + QLatin1String("talvore/");
}

DataFolderChoice ChooseDataFolder(const QString& programFolder) {
    const QString portable = WithSeparator(programFolder) + QLatin1String("Data/");
    const QFileInfo portableInfo(portable.chopped(1));
    if ((portableInfo.isDir() || !portableInfo.exists()) && FolderWritable(NativePath(portable))) {
        return {portable, true};
    }
    const QString xdg = XdgDataFolder();
    if (FolderWritable(NativePath(xdg))) {
        return {xdg, true};
    }
    return {portableInfo.isDir() ? portable : xdg, false};
}

QString DataFolderOf(const QString& programFolder) {
    const DataFolderChoice choice = ChooseDataFolder(programFolder);
    if (choice.writable) {
        MakeFolders(NativePath(choice.path));
    }
    return choice.path;
}

QString GetDataFolder() {
    return DataFolderOf(GetProgramFolder());
}
