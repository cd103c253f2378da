// talvore-demo: the program with the simulated mouse attached (cable and receiver plugged unless
// TALVORE_SIM_LINKS says otherwise), and a control panel for the mouse beside its window.
#include "app/bluetooth_presence.h"
#include "app/program.h"
#include "sim/simulated_gatt_backend.h"

int main(int argc, char** argv) {
    ProgramOptions options;
    options.instanceName = QStringLiteral("Corvane TALVORE Mouse (simulated)");
    options.bluetoothPresent = BluetoothMousePresent;
    options.makeGattBackend = [] { return std::make_unique<sim::SimulatedGattBackend>(); };
    return RunProgram(argc, argv, options);
}
