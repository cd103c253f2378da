// What `talvorectl doctor` tells about the desktop and Bluetooth: the session type, whether a tray
// and a notification service are there, how macros will be recorded, and BlueZ's state. Each
// check asks the way the program itself would and waits a few seconds at most.
//
// The checks ask D-Bus and the X server, so they live in a module beside the driver libraries
// (kDesktopChecksFile in the library folder) that only `doctor` loads: every other command starts
// on Qt Core alone.
#pragma once

#include <vector>

#include <QString>

struct DoctorLine {
    QString label;
    QString text;
};

inline constexpr char kDesktopChecksFile[] = "talvorectl_desktop_checks.so";

// Session type, tray host, notification service and how macros are recorded. hookLoads: whether
// the input hook library of the program folder loads.
using CheckDesktopFn = void(bool hookLoads, std::vector<DoctorLine>* lines);
inline constexpr char kCheckDesktopExport[] = "talvorectl_check_desktop";

// bluetoothd on the system bus: its adapters, whether it takes battery levels from programs, and
// the mice of this kind it knows. Both append their lines.
using CheckBluetoothFn = void(std::vector<DoctorLine>* lines);
inline constexpr char kCheckBluetoothExport[] = "talvorectl_check_bluetooth";
