// Which groups of settings differ between the record and the copy last sent to the mouse.
#pragma once

#include <array>

#include "protocol/profile_record.h"

struct ChangeFlags {
    bool anyChanged = false;
    bool dpiChanged = false;
    bool rateChanged = false;
    bool lightChanged = false;
    bool buttonsChanged = false;
    std::array<bool, kButtonCount> macroChanged{};
};

// Compares the slot named by the current record's activeSlot (a damaged value reads as slot 0)
// in both records. moveMode, the name and reserved fields outside the groups are not compared.
ChangeFlags DetectChanges(const ProfileRecord& current, const ProfileRecord& lastApplied);

// Every flag set: what a forced full apply sends.
ChangeFlags AllChanged();

// Adds the groups set in `more` (anyChanged follows any group).
void Merge(ChangeFlags& flags, const ChangeFlags& more);

// Whether any group is set.
bool AnyGroup(const ChangeFlags& flags);
