// The program's start-up, main loop and shutdown, shared by talvore and talvore-demo.
#pragma once

#include <functional>
#include <memory>

#include <QString>

#include "link/gatt.h"
#include "sys/device_access.h"
#include "sys/single_instance.h"

class CMainWnd;

struct ProgramOptions {
    // The single-instance name; the demo runs under its own, beside a real program.
    QString instanceName = QString::fromLatin1(kInstanceName);
    // The name the program owns on the session bus for its D-Bus API; empty: no API.
    QString sessionApiName = QStringLiteral("org.talvore.Talvore");
    std::function<bool()> bluetoothPresent;
    std::function<std::unique_ptr<GattBackend>()> makeGattBackend;
    // Whether this user may open the mouse's device nodes; none for a simulated mouse.
    std::function<DeviceAccessReport()> diagnoseDeviceAccess;
    // Runs once the main window exists (the demo places its control panel beside it).
    std::function<void(CMainWnd&)> onMainWindowCreated;
};

// Whether the machine has a system bus at all (logind, BlueZ). Without one QtDBus is not started.
bool SystemBusPresent();

// Returns the process exit code: 1 when another instance runs (it has been asked to come
// forward), 0 after a normal end.
int RunProgram(int argc, char** argv, const ProgramOptions& options);
