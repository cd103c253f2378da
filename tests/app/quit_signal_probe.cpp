// The program on the simulated mouse, for the test of ending by signal. "edit": once running,
// moves the sleep timer slider to 9 as the user would and says "edited". "show": once running,
// says which sleep timer the loaded page shows and ends as the tray's Exit does.
#include <cstdio>
#include <cstring>

#include <QTimer>

#include "app/main_wnd.h"
#include "app/program.h"
#include "sim/simulated_gatt_backend.h"

int main(int argc, char** argv) {
    const bool edit = argc > 1 && std::strcmp(argv[1], "edit") == 0;
    ProgramOptions options;
    options.instanceName = QStringLiteral("talvore quit signal probe");
    options.bluetoothPresent = [] { return false; };
    options.makeGattBackend = [] { return std::make_unique<sim::SimulatedGattBackend>(); };
    options.onMainWindowCreated = [edit](CMainWnd& window) {
        QTimer::singleShot(0, [&window, edit] {
            Slider slider = window.Page().Controls().sliderSleepTimer;
            if (edit) {
                slider.SetValue(9, Notify::kYes);
                std::fprintf(stderr, "edited\n");
            } else {
                std::fprintf(stderr, "sleep timer %d\n", slider.Value());
                window.Destroy();
            }
        });
    };
    return RunProgram(argc, argv, options);
}
