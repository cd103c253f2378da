// The current interface language: one language file of the skin folder ("lan/EN.xml", ...)
// and the texts of its keys. Switching the language re-reads every control that holds a key.
#pragma once

#include <QString>

#include "sys/language_file.h"
#include "sys/text_lookup.h"

class LanguageManager final : public TextLookup {
public:
    static LanguageManager& Instance();

    // Loads a language file (relative to the skin folder, or absolute). On failure the current
    // texts stay and the reason goes to the log.
    bool Load(const QString& file);
    // Load, then show the new texts in every open window.
    bool Switch(const QString& file);
    // Shows the current texts in every control of every window that holds a language key.
    void ReloadAllTexts() const;

    QString Text(const QString& key) const override;
    int LanguageId() const { return file_.LanguageId(); }

private:
    LanguageManager() = default;
    LanguageFile file_;
};
