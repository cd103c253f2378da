// What a profile or macro file may hold before it is taken in: every value the page can show and
// the mouse can play. The page's import, the macro editor's import and talvorectl all ask here, so
// a file of random bytes, or a text file renamed, never reaches the store or the mouse.
#pragma once

#include <optional>

#include <QString>

#include "base/macro_record.h"

struct ProfileRecord;

// The ranges of the page's controls, which are all a profile made by the program can hold.
inline constexpr int kDpiValueMin = 1;  // units of 100 DPI; 0 marks an unused stage
inline constexpr int kDpiValueMax = 160;
inline constexpr int kBrightnessMin = 1;
inline constexpr int kBrightnessMax = 10;
inline constexpr int kLightSpeedMin = 1;
inline constexpr int kLightSpeedMax = 8;
inline constexpr int kTimerMin = 1;  // sleep in minutes, lights off in half-minutes
inline constexpr int kTimerMax = 60;
inline constexpr int kLightModeMax = 15;  // the effect is sent in half a byte
inline constexpr int kReportRateMax = 3;
inline constexpr int kButtonModeMax = 1;
inline constexpr int kRepeatModeMax = 2;
inline constexpr int kRepeatCountMin = 1;
inline constexpr int kRepeatCountMax = 255;
inline constexpr int kModifierBitsMax = 0x0F;

// The first value of a record that is not acceptable.
struct RecordFault {
    enum class Kind {
        OutOfRange,   // `value` lies outside `accepted`
        NotText,      // a name that is empty, or holds control characters or broken UTF-16
        NoLeftClick,  // none of buttons 1 to 16 is a left click
    };
    Kind kind = Kind::OutOfRange;
    QString field;     // as in the record: "dpiValue[6]", "slots[1].buttons[4].functionCode"
    qint64 value = 0;  // the value found (OutOfRange)
    QString accepted;  // the values taken, in digits: "0, 1–160"

    // One English sentence, for the command line and the log.
    QString Describe() const;
};

// Slot 0's settings, every button entry of the five slots (function codes, key combinations, the
// macros of macro buttons), the name, activeSlot, and the rule that buttons 1 to 16 keep a left
// click. Nothing when the record is acceptable.
std::optional<RecordFault> CheckProfileRecord(const ProfileRecord& record);

// The name (text, not empty), the action count, every action's kind and the device cost.
std::optional<RecordFault> CheckMacroRecord(const MacroRecord& record);

// Whether a name can stand in the list: not empty or spaces only, no control characters, whole
// UTF-16.
bool IsUsableName(const QString& name);
