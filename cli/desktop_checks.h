// What `talvorectl doctor` tells about the desktop and Bluetooth: the session type, whether a tray
// and a notification service are there, how macros will be recorded, and BlueZ's state. Each
// check asks the way the program itself would and waits a few seconds at most.
#pragma once

#include <vector>

#include <QString>

struct DoctorLine {
    QString label;
    QString text;
};

// Session type, tray host, notification service and how macros are recorded. hookLoads: whether
// the input hook library of the program folder loads.
std::vector<DoctorLine> CheckDesktop(bool hookLoads);

// bluetoothd on the system bus: its adapters, whether it takes battery levels from programs, and
// the mice of this kind it knows.
std::vector<DoctorLine> CheckBluetooth();
