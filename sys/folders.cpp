#include "sys/folders.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

QString GetProgramFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return QDir::currentPath() + QLatin1Char('/');
    }
    return QString::fromStdString(exe.parent_path().string()) + QLatin1Char('/');
}

QString DataFolderOf(const QString& programFolder) {
    QString folder = programFolder;
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    folder += QLatin1String("Data");
    if (!QFileInfo(folder).isDir()) {
        QDir().mkpath(folder);
    }
    return folder + QLatin1Char('/');
}

QString GetDataFolder() {
    return DataFolderOf(GetProgramFolder());
}
