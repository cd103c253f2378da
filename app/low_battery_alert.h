// When to tell the user that the mouse's battery runs low: once when the level falls to 15 % or
// below, once more at 5 %, never while it charges. Charging, or a level above 20 %, arms both
// warnings again; the gap between 15 and 20 keeps a level that wavers around the threshold from
// warning again and again. The first reading of a run that is already low warns (the user has
// not been told in this run).
#pragma once

#include <optional>

class LowBatteryAlert {
public:
    enum class Warning { Low, Critical };

    static constexpr int kLowLevel = 15;
    static constexpr int kCriticalLevel = 5;
    static constexpr int kRearmAbove = 20;

    // One reading: level 0-100, or -1 when unknown (no reading, or the mouse is away). Returns
    // the warning to give now, if any.
    std::optional<Warning> Update(int level, bool charging);

    // Whether the tray should show the low-battery badge for the last reading.
    bool Low() const { return low_; }

private:
    bool lowArmed_ = true;
    bool criticalArmed_ = true;
    bool low_ = false;
};
