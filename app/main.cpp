// talvore: configures the Corvane TALVORE mouse.
#include "app/bluetooth_presence.h"
#include "app/program.h"
#include "link/bluez_gatt_backend.h"

int main(int argc, char** argv) {
    ProgramOptions options;
    options.bluetoothPresent = BluetoothMousePresent;
    options.makeGattBackend = []() -> std::unique_ptr<GattBackend> {
        if (!SystemBusPresent()) {
            return nullptr;  // no Bluetooth to reach
        }
        return std::make_unique<BluezGattBackend>();
    };
    options.diagnoseDeviceAccess = [] { return DiagnoseMouseAccess(SysfsHidrawNodes()); };
    return RunProgram(argc, argv, options);
}
