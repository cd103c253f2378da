// The working copy of the macro open in the editor: its actions, the selected row, where the
// next action goes, and the recorder's state. Every edit here is followed by the editor's store
// rule, which keeps the change in the macro store or undoes it.
#pragma once

#include <array>
#include <cstdint>

#include "base/macro_record.h"

// How the recorder fills in the delay before each action.
enum class DelayMode : int {
    kRecorded = 0,  // the time the user really took
    kDefault = 1,   // the delay typed into the default-delay box
    kNone = 2,      // the shortest delay
};

// The shortest delay between two actions, and what the last action always carries.
inline constexpr uint16_t kShortestDelayMs = 10;
inline constexpr uint16_t kLongestDelayMs = 65535;

// A delay typed by the user, held to 10..65535 ms.
uint16_t ClampDelay(long long milliseconds);

struct MacroEditBuffer {
    std::array<MacroAction, kMacroMaxActions> actions{};
    int actionCount = 0;
    int selectedAction = -1;  // row selected in the action list, -1 none
    int insertPos = -1;       // where the next action goes, -1 at the end
    int insertStart = -1;     // insertPos when the recording started
    bool insertMode = false;  // actions go in after a selected row
    DelayMode delayMode = DelayMode::kDefault;
    uint16_t defaultDelay = kShortestDelayMs;
    bool recording = false;
    bool timing = false;           // the next recorded action measures its delay
    bool routeToRecorder = false;  // hook input goes to the recorder
    bool routeToKeyEdit = false;   // hook input replaces the selected action's key

    // Each action costs 1 on the device, 2 when its delay is longer than 1280 ms.
    int Cost() const { return MacroCost(actions.data(), actionCount); }
    bool IsFull() const { return actionCount >= kMacroMaxActions; }
    bool IsAction(int index) const { return index >= 0 && index < actionCount; }
    bool IsLastAction(int index) const { return actionCount > 0 && index == actionCount - 1; }

    // Takes the actions of a stored macro; an empty macro leaves no row selected.
    void Load(const MacroRecord& record);
    // No actions at all.
    void Empty();
    // The one insertion primitive: at insertPos, or at the end when it is -1. The selection and
    // an insertion point move along with the new action. A full macro takes nothing.
    void InsertAction(const MacroAction& action);

    // Row edits; each returns false (and changes nothing) when it does not apply.
    bool MoveUp(int index);
    bool MoveDown(int index);
    bool Delete(int index);
    void Clear();
    // The last action's delay is not the user's to set: it always plays as 10 ms.
    bool SetDelay(int index, uint16_t delay);
    bool SetCode(int index, uint8_t code);
    // The other half of a press or release: for a press the next release of its key or button,
    // for a release the press before it. -1 when there is none.
    int PartnerOf(int index) const;
    // Gives the action, and its other half, the new key or button, so that an edit never leaves
    // a key held. Returns the partner's index (-1 none); false in `changed` when nothing applies.
    int SetCodeOfPair(int index, uint8_t code, bool* changed = nullptr);
};
