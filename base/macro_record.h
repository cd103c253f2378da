// A macro as it is stored in macro.data and *.macro files, and the device cost rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

inline constexpr int kMacroMaxActions = 46;
inline constexpr int kMacroNameUnits = 24;  // 23 characters and the terminating NUL

// The device cost of a macro: its limit while editing, and where recording stops.
inline constexpr int kMacroCostEditLimit = 47;       // a change is kept while the cost stays <= 47
inline constexpr int kMacroCostRecordStop = 46;      // recording stops when the cost reaches 46
inline constexpr uint16_t kMacroLongDelayMs = 1280;  // longer delays cost one more on the device

inline constexpr uint8_t kActionPress = 1;
inline constexpr uint8_t kActionRelease = 2;

// One key or mouse-button action: 4 bytes.
struct MacroAction {
    uint8_t code;    // 0: HID keyboard usage, or 0xF1..0xF5 for a mouse button
    uint8_t kind;    // 1: 1 press, 2 release
    uint16_t delay;  // 2: milliseconds before the next action
};

// One stored macro: 240 bytes.
struct MacroRecord {
    char16_t name[kMacroNameUnits];         // 0: UTF-16LE, NUL-terminated
    int32_t repeatCountCopy;                // 48: never read
    int32_t actionCount;                    // 52: 0..46
    MacroAction actions[kMacroMaxActions];  // 56
};

static_assert(sizeof(MacroAction) == 4);
static_assert(offsetof(MacroAction, kind) == 1);
static_assert(offsetof(MacroAction, delay) == 2);
static_assert(sizeof(MacroRecord) == 240);
static_assert(offsetof(MacroRecord, repeatCountCopy) == 48);
static_assert(offsetof(MacroRecord, actionCount) == 52);
static_assert(offsetof(MacroRecord, actions) == 56);
static_assert(std::is_trivially_copyable_v<MacroRecord> && std::is_standard_layout_v<MacroRecord>);

// Each action costs 1, and 1 more when its delay is longer than 1280 ms.
constexpr int MacroCost(const MacroAction* actions, int count) {
    int cost = 0;
    for (int i = 0; i < count; ++i) {
        cost += actions[i].delay > kMacroLongDelayMs ? 2 : 1;
    }
    return cost;
}
