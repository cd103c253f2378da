#include "dialogs/file_folders.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString& LastFolder() {
    static QString folder;
    return folder;
}

}  // namespace

QString FileDialogFolder() {
    const QString& last = LastFolder();
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : QDir::homePath();
}

void RememberFileDialogChoice(const QString& path) {
    if (!path.isEmpty()) {
        LastFolder() = QFileInfo(path).absolutePath();
    }
}

QString SuggestedFileName(const QString& name, const QString& extension) {
    QString base = name.trimmed();
    for (QChar& c : base) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20) {
            c = QLatin1Char('_');
        }
    }
    if (base.isEmpty() || base == QLatin1String(".") || base == QLatin1String("..")) {
        return {};
    }
    return base + QLatin1Char('.') + extension;
}
