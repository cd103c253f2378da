#include "macro/macro_binding.h"

#include <algorithm>
#include <cstring>

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

int UsableActionCount(const ButtonEntry& entry) {
    return std::min<int>(entry.macroActionCount, kMacroMaxActions);
}

bool ReconcileMacroEntries(ProfileRecord& record, const MacroStore& store) {
    bool considered = false;
    for (ProfileSlot& slot : record.slots) {
        for (int j = 0; j < kButtonCount; ++j) {
            ButtonEntry& entry = slot.buttons[j];
            if (entry.functionCode != kFunctionMacro && entry.macroName[0] == u'\0') {
                continue;
            }
            considered = true;
            const int match = store.FindByName(FieldToString(entry.macroName));
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
    int added = 0;
    for (ProfileSlot& slot : record.slots) {
        for (ButtonEntry& entry : slot.buttons) {
            if (entry.functionCode != kFunctionMacro) {
                continue;
            }
            MacroRecord macro{};
            StringToField(macro.name, store.UniqueName(FieldToString(entry.macroName)));
            macro.repeatCountCopy = entry.macroRepeatCount;
            macro.actionCount = UsableActionCount(entry);
            std::memcpy(macro.actions, entry.macroActions, sizeof macro.actions);
            std::memcpy(entry.macroName, macro.name, sizeof entry.macroName);
            entry.macroIndex = store.Append(macro);
            ++added;
        }
    }
    return added;
}
