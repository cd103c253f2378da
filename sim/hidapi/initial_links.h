// The links the shared mouse starts with, from the environment variable TALVORE_SIM_LINKS: a
// comma-separated list of "cable", "receiver", "awake" (the mouse awake behind the receiver) and
// "ble" (connected over Bluetooth). Unset: cable and receiver plugged, mouse awake. Set but empty:
// nothing connected. Names are case-insensitive; unknown names are ignored.
#pragma once

namespace sim {

inline constexpr const char* kSimLinksVariable = "TALVORE_SIM_LINKS";

struct InitialLinks {
    bool cable = true;
    bool receiver = true;
    bool awake = true;
    bool bluetooth = false;
};

// `value` is the variable's value, null when it is unset.
InitialLinks ParseInitialLinks(const char* value);

// The battery level the mouse starts with, from TALVORE_SIM_BATTERY: a whole number 0-100.
// Unset, or anything else (with a line on stderr for a value that is set): 100.
inline constexpr const char* kSimBatteryVariable = "TALVORE_SIM_BATTERY";
int ParseInitialBattery(const char* value);

}  // namespace sim
