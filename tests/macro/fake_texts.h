// A language lookup with fixed texts for the store tests.
#pragma once

#include <QHash>

#include "sys/text_lookup.h"

class FakeTexts final : public TextLookup {
public:
    QString Text(const QString& key) const override { return texts.value(key); }
    QHash<QString, QString> texts{{QStringLiteral("add_macro_text"), QStringLiteral("Macro")},
                                  {QStringLiteral("add_profile_text"), QStringLiteral("Profile")}};
};
