// The copies of macros that button entries of profile records carry, and their upkeep against the
// macro store. The device receives the copy in the entry, never the store.
#pragma once

#include "base/macro_record.h"

struct ButtonEntry;
struct ProfileRecord;
class MacroStore;

// Binds macro `index` of the store to the entry: function 0x11 with the macro's name (at most 23
// characters), actions and count, and the chosen repeat mode and count.
void BindMacroToButton(ButtonEntry& entry, const MacroRecord& macro, int index, int repeatMode,
                       int repeatCount);

// The number of actions an entry carries: macroActionCount held to 46.
int UsableActionCount(const ButtonEntry& entry);

// Brings the macro entries of all five slots of a record in line with the store after the macros
// were edited. An entry counts when its function is 0x11 or it still carries a macro name. A name
// the store no longer holds puts the entry back on its position's default function; a name it
// holds refreshes the entry's name, actions and count and keeps repeat mode, count and index.
// Returns whether the record had such an entry.
bool ReconcileMacroEntries(ProfileRecord& record, const MacroStore& store);

// The number of macros ImportProfileMacros would add for the record.
int MacroButtonCount(const ProfileRecord& record);

// Adds one store record for every macro entry of an imported profile (all slots, all entries),
// named uniquely, and points the entry's name and index at it. Does not save the store.
// Returns the number of macros added.
int ImportProfileMacros(ProfileRecord& record, MacroStore& store);
