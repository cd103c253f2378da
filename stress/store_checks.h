// What the store stresses share: the profile they import (it brings two macros) and the check
// of the stores that every round must pass.
#pragma once

#include <memory>

#include <QString>

#include "macro/macro_binding.h"
#include "page/profile_store.h"
#include "protocol/utf16_field.h"
#include "sys/text_lookup.h"

namespace stress {

class Texts final : public TextLookup {
public:
    QString Text(const QString& key) const override {
        return key == QLatin1String("add_profile_text") ? QStringLiteral("Profile")
                                                        : QStringLiteral("Macro");
    }
};

// A profile whose buttons 4 and 5 carry the macros "PCopy" and "PPaste".
inline std::unique_ptr<ProfileRecord> ImportedProfile() {
    auto record = CreateBlankRecord(QStringLiteral("Imported"));
    const char* names[] = {"PCopy", "PPaste"};
    for (int i = 0; i < 2; ++i) {
        MacroRecord macro{};
        StringToField(macro.name, QLatin1String(names[i]));
        macro.actionCount = 2;
        macro.actions[0] = {static_cast<uint8_t>(0x06 + i), 1, 20};
        macro.actions[1] = {static_cast<uint8_t>(0x06 + i), 2, 0};
        BindMacroToButton(record->slots[0].buttons[4 + i], macro, 0, 0, 1);
    }
    return record;
}

// What is wrong with the stores a store object read; empty when nothing is.
inline QString Problems(ProfileStore& store) {
    int imported = 0;
    for (int i = 0; i < store.Count(); ++i) {
        const ProfileRecord& record = store.At(i);
        if (ProfileName(record).startsWith(QLatin1String("Imported"))) {
            ++imported;
        }
        for (const ProfileSlot& slot : record.slots) {
            for (const ButtonEntry& entry : slot.buttons) {
                if (entry.functionCode == kFunctionMacro &&
                    !store.Macros().NameExists(FieldToString(entry.macroName))) {
                    return QStringLiteral("profile %1 names the missing macro %2")
                        .arg(ProfileName(record), FieldToString(entry.macroName));
                }
            }
        }
    }
    int copies = 0;
    int pastes = 0;
    for (int i = 0; i < store.Macros().Count(); ++i) {
        copies += store.Macros().NameAt(i).startsWith(QLatin1String("PCopy")) ? 1 : 0;
        pastes += store.Macros().NameAt(i).startsWith(QLatin1String("PPaste")) ? 1 : 0;
    }
    if (copies != imported || pastes != imported) {
        return QStringLiteral("%1 imported profiles but %2 and %3 copies of their macros")
            .arg(imported)
            .arg(copies)
            .arg(pastes);
    }
    return {};
}

}  // namespace stress
