#include "ui/skin_reading.h"

#include <QDir>
#include <QRegularExpression>

#include "sys/file_io.h"

namespace ui_internal {
namespace {

// Layouts and sheets are tens of kilobytes.
constexpr qint64 kMaxSkinTextBytes = 8 << 20;

QString InFolder(const QString& folder, QString name) {
    name = name.trimmed();
    if (name.startsWith(QLatin1String("skins:"))) {
        name = name.mid(6);
    }
    return QDir::isAbsolutePath(name) ? name : QDir(folder).filePath(name);
}

}  // namespace

bool ReadSkinText(const QString& path, QString& text, QString* error) {
    QByteArray bytes;
    if (const FileError failed = ReadWholeFile(NativePath(path), kMaxSkinTextBytes, bytes);
        failed != FileError::None) {
        if (error != nullptr) {
            *error = DescribeFileError(failed, NativePath(path));
        }
        return false;
    }
    text = QString::fromUtf8(bytes);
    return true;
}

bool SkinImageUsable(const QString& path) {
    return !path.isEmpty() && IsRegularFile(NativePath(path));
}

QIcon SkinIcon(const QString& path) {
    return SkinImageUsable(path) ? QIcon(path) : QIcon();
}

QString LayoutWithUsableImages(const QString& layout, const QString& folder) {
    static const QRegularExpression image(QStringLiteral(
        "<(pixmap|iconset|normaloff|normalon|disabledoff|disabledon|activeoff|activeon|"
        "selectedoff|selectedon)>([^<]*)</\\1>"));
    QString out;
    qsizetype at = 0;
    for (auto it = image.globalMatch(layout); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(2).trimmed().isEmpty() ||
            SkinImageUsable(InFolder(folder, match.captured(2)))) {
            continue;
        }
        out += QStringView(layout).mid(at, match.capturedStart() - at);
        out += QStringLiteral("<%1></%1>").arg(match.captured(1));
        at = match.capturedEnd();
    }
    return at == 0 ? layout : out + layout.mid(at);
}

QString SheetWithUsableImages(const QString& sheet, const QString& folder) {
    static const QRegularExpression url(QStringLiteral("url\\(\\s*[\"']?([^\"')]*)[\"']?\\s*\\)"));
    QString out;
    qsizetype at = 0;
    for (auto it = url.globalMatch(sheet); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(1).trimmed().isEmpty() ||
            SkinImageUsable(InFolder(folder, match.captured(1)))) {
            continue;
        }
        out += QStringView(sheet).mid(at, match.capturedStart() - at);
        out += QLatin1String("url(\"\")");
        at = match.capturedEnd();
    }
    return at == 0 ? sheet : out + sheet.mid(at);
}

}  // namespace ui_internal
