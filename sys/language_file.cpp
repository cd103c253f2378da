#include "sys/language_file.h"

#include <QFile>
#include <QXmlStreamReader>

bool LanguageFile::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    QXmlStreamReader xml(&file);
    QHash<QString, QString> texts;
    int id = 0;
    while (!xml.atEnd()) {
        // readNextStartElement() would report the end of the document as an error.
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
