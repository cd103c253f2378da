// Looks up the text of a language key in the current interface language.
#pragma once

#include <QString>

class TextLookup {
public:
    virtual ~TextLookup() = default;
    // The text for the key; an empty text when the key is unknown.
    virtual QString Text(const QString& key) const = 0;
};
