// Language files (res/lan/CN.xml, EN.xml, RU.xml, ES.xml): one text per language key.
//
// Format (UTF-8 XML):
//   <language id="2" name="English">
//     <text key="no_device_text">No mouse is connected.</text>
//     ...
//   </language>
// The id is the interface language id (1 Chinese, 2 English, 3 Russian, 4 Spanish). Keys are
// unique within a file; every file holds the same keys. Leading and trailing spaces of a text are
// kept, so labels like "DPI :" keep their spacing.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include "sys/text_lookup.h"

class LanguageFile final : public TextLookup {
public:
    // Replaces the current texts with those of the file. On a missing or malformed file, or one
    // that is not a regular file, the texts stay as they were and the reason is in ErrorString().
    bool Load(const QString& path);

    QString Text(const QString& key) const override;
    bool Contains(const QString& key) const { return texts_.contains(key); }
    QStringList Keys() const { return texts_.keys(); }
    int LanguageId() const { return languageId_; }
    QString ErrorString() const { return error_; }

private:
    QHash<QString, QString> texts_;
    int languageId_ = 0;
    QString error_;
};
