#include "sys/language_file.h"

#include <QXmlStreamReader>

#include "sys/file_io.h"

namespace {

// The four shipped files are tens of kilobytes; anything far larger is not a language file.
constexpr qint64 kMaxLanguageFileBytes = 4 << 20;

}  // namespace

bool LanguageFile::Load(const QString& path) {
    // Only a regular file is opened: a FIFO in its place would block the start for ever.
    QByteArray content;
    if (const FileError error = ReadWholeFile(NativePath(path), kMaxLanguageFileBytes, content);
        error != FileError::None) {
        error_ = DescribeFileError(error, NativePath(path));
        return false;
    }
    QXmlStreamReader xml(content);
    QHash<QString, QString> texts;
    int id = 0;
    // Token by token: readNextStartElement() would read past the end of the document and
    // report every well-formed file as truncated.
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == QLatin1String("language")) {
            id = xml.attributes().value(QLatin1String("id")).toInt();
        } else if (xml.name() == QLatin1String("text")) {
            if (!xml.attributes().hasAttribute(QLatin1String("key"))) {
                xml.skipCurrentElement();
                continue;
            }
            const QString key = xml.attributes().value(QLatin1String("key")).toString();
            texts.insert(key, xml.readElementText());
        }
    }
    if (xml.hasError()) {
        error_ = QStringLiteral("%1:%2: %3").arg(path).arg(xml.lineNumber()).arg(xml.errorString());
        return false;
    }
    texts_ = std::move(texts);
    languageId_ = id;
    error_.clear();
    return true;
}

QString LanguageFile::Text(const QString& key) const {
    return texts_.value(key);
}
