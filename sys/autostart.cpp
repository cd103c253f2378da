#include "sys/autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace autostart {

namespace {

QString ConfigHome() {
    const QString configured = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    // A relative XDG_CONFIG_HOME is not a configuration folder: the desktop ignores it, so do we.
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured)) {
        return QDir::cleanPath(configured);
    }
    return QDir::cleanPath(QFile::decodeName(qgetenv("HOME")) + QStringLiteral("/.config"));
}

// How a desktop entry's Exec line quotes: arguments with reserved characters in
// double quotes, with ", `, $ and \ escaped.
QString QuotedArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool plain = !argument.isEmpty();
    for (const QChar c : argument) {
        plain = plain && !reserved.contains(c);
    }
    if (plain) {
        return argument;
    }
    QString quoted;
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    // The desktop entry's own escaping comes on top: a backslash is written twice in the file.
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

QString EntryPath() {
    return ConfigHome() + QStringLiteral("/autostart/") + QLatin1String(kEntryName);
}

bool IsEnabled() {
    const QString path = EntryPath();
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    const QSettings entry(path, QSettings::IniFormat);
    return !entry.value(QStringLiteral("Desktop Entry/Hidden"))
                .toString()
                .contains(QLatin1String("true")) &&
           !entry.value(QStringLiteral("Desktop Entry/X-GNOME-Autostart-enabled"))
                .toString()
                .contains(QLatin1String("false"));
}

QString ExecCommand(const QString& executablePath) {
    const QFileInfo program(executablePath);
    const QString onPath = QStandardPaths::findExecutable(program.fileName());
    const bool found = !onPath.isEmpty() && SameFile(onPath, program.absoluteFilePath());
    const QString command = found ? program.fileName() : program.absoluteFilePath();
    return QuotedArgument(command) + QStringLiteral(" --hidden");
}

FileError Enable(const QString& executablePath) {
    const QString path = EntryPath();
    if (!MakeFolders(QFileInfo(path).absolutePath())) {
        return FileError::Unwritable;
    }
    const QByteArray entry = QStringLiteral(
                                 "[Desktop Entry]\n"
                                 "Type=Application\n"
                                 "Name=talvore\n"
                                 "Comment=Corvane TALVORE mouse settings in the tray\n"
                                 "Icon=org.talvore.Talvore\n"
                                 "Exec=%1\n"
                                 "Terminal=false\n"
                                 "X-GNOME-Autostart-enabled=true\n")
                                 .arg(ExecCommand(executablePath))
                                 .toUtf8();
    return WriteFileAtomically(
        path, [&entry](QIODevice& out) { return out.write(entry) == entry.size(); });
}

FileError Disable() {
    const QString path = EntryPath();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        return FileError::None;
    }
    return QFile::remove(path) ? FileError::None : FileError::Unwritable;
}

}  // namespace autostart
