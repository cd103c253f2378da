#include "macro/macro_binding.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "macro/macro_name_changes.h"
#include "macro/macro_store.h"
#include "protocol/profile_record.h"
#include "protocol/utf16_field.h"

namespace {

// Copies the macro's name, count and whole action array into the entry.
void CopyMacroIntoEntry(ButtonEntry& entry, const MacroRecord& macro) {
    StringToField(entry.macroName, FieldToString(macro.name));
    entry.macroActionCount = static_cast<uint16_t>(UsableActionCount(macro));
    std::memcpy(entry.macroActions, macro.actions, sizeof entry.macroActions);
}

}  // namespace

void BindMacroToButton(ButtonEntry& entry, const MacroRecord& macro, int index, int repeatMode,
                       int repeatCount) {
    entry.macroRepeatMode = repeatMode;
    entry.macroRepeatCount = repeatCount;
    entry.macroIndex = index;
    CopyMacroIntoEntry(entry, macro);
    entry.functionCode = kFunctionMacro;
}

std::vector<int> ButtonsUsingMacro(const ProfileRecord& record, const QString& macroName) {
    std::vector<int> buttons;
    const ProfileSlot& slot = ActiveSlot(record);
    for (int j = 0; j < kButtonCount; ++j) {
        const ButtonEntry& entry = slot.buttons[j];
        if (entry.functionCode == kFunctionMacro &&
            FieldToString(entry.macroName).compare(macroName, Qt::CaseInsensitive) == 0) {
            buttons.push_back(j);
        }
    }
    return buttons;
}

int UsableActionCount(const ButtonEntry& entry) {
    return std::min<int>(entry.macroActionCount, kMacroMaxActions);
}

bool ReconcileMacroEntries(ProfileRecord& record, const MacroStore& store,
                           const MacroNameChanges* changes) {
    bool considered = false;
    for (ProfileSlot& slot : record.slots) {
        for (int j = 0; j < kButtonCount; ++j) {
            ButtonEntry& entry = slot.buttons[j];
            if (entry.functionCode != kFunctionMacro && entry.macroName[0] == u'\0') {
                continue;
            }
            considered = true;
            QString name = FieldToString(entry.macroName);
            // A macro renamed in the editor keeps its buttons; one deleted there takes them
            // along even when another macro has since taken its name.
            const MacroNameChanges::Fate fate =
                changes != nullptr ? changes->FateOf(name, &name) : MacroNameChanges::Fate::Unknown;
            const int match = fate == MacroNameChanges::Fate::Gone ? -1 : store.FindByName(name);
            if (match < 0) {
                // The macro was deleted: the button goes back to its default function.
                std::memset(&entry, 0, sizeof entry);
                entry.functionCode = DefaultFunctionTable[j];
                entry.macroIndex = -1;
            } else {
                CopyMacroIntoEntry(entry, store.At(match));
            }
        }
    }
    return considered;
}

int MacroButtonCount(const ProfileRecord& record) {
    int count = 0;
    for (const ProfileSlot& slot : record.slots) {
        for (const ButtonEntry& entry : slot.buttons) {
            count += entry.functionCode == kFunctionMacro ? 1 : 0;
        }
    }
    return count;
}

int ImportProfileMacros(ProfileRecord& record, MacroStore& store) {
    // One macro per distinct copy: buttons 0..9 are mirrored into the second slot, and a macro
    // bound to several buttons comes with each of them.
    struct Added {
        const ButtonEntry* first;
        int index;
    };
    std::vector<Added> added;
    const auto sameCopy = [](const ButtonEntry& a, const ButtonEntry& b) {
        return std::memcmp(a.macroName, b.macroName, sizeof a.macroName) == 0 &&
               UsableActionCount(a) == UsableActionCount(b) &&
               std::memcmp(a.macroActions, b.macroActions, sizeof a.macroActions) == 0;
    };
    // The names as the file gave them, before any entry is renamed.
    const auto original = std::make_unique<ProfileRecord>(record);
    for (int s = 0; s < kSlotCount; ++s) {
        for (int j = 0; j < kButtonCount; ++j) {
            ButtonEntry& entry = record.slots[s].buttons[j];
            const ButtonEntry& read = original->slots[s].buttons[j];
            if (entry.functionCode != kFunctionMacro) {
                continue;
            }
            const auto known = std::find_if(added.begin(), added.end(), [&](const Added& a) {
                return sameCopy(*a.first, read);
            });
            if (known != added.end()) {
                std::memcpy(entry.macroName, store.At(known->index).name, sizeof entry.macroName);
                entry.macroIndex = known->index;
                continue;
            }
            MacroRecord macro{};
            StringToField(macro.name, store.UniqueName(FieldToString(entry.macroName)));
            macro.repeatCountCopy = entry.macroRepeatCount;
            macro.actionCount = UsableActionCount(entry);
            std::memcpy(macro.actions, entry.macroActions, sizeof macro.actions);
            std::memcpy(entry.macroName, macro.name, sizeof entry.macroName);
            entry.macroIndex = store.Append(macro);
            added.push_back({&read, entry.macroIndex});
        }
    }
    return static_cast<int>(added.size());
}
