#include "app/low_battery_alert.h"

std::optional<LowBatteryAlert::Warning> LowBatteryAlert::Update(int level, bool charging) {
    if (charging) {
        lowArmed_ = criticalArmed_ = true;
        low_ = false;
        return std::nullopt;
    }
    if (level < 0 || level > 100) {
        low_ = false;  // nothing known: no badge that may be stale
        return std::nullopt;
    }
    low_ = level <= kLowLevel;
    if (level > kRearmAbove) {
        lowArmed_ = criticalArmed_ = true;
        return std::nullopt;
    }
    if (level <= kCriticalLevel && criticalArmed_) {
        criticalArmed_ = lowArmed_ = false;
        return Warning::Critical;
    }
    if (level <= kLowLevel && lowArmed_) {
        lowArmed_ = false;
        return Warning::Low;
    }
    return std::nullopt;
}
