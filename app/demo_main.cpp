// talvore-demo: the program with the simulated mouse attached (cable and receiver plugged unless
// TALVORE_SIM_LINKS says otherwise), and a control panel for the mouse beside its window.
#include <algorithm>

#include "app/bluetooth_presence.h"
#include "app/main_wnd.h"
#include "app/program.h"
#include "app/session_api.h"
#include "sim/panel/simulated_mouse_panel.h"
#include "sim/simulated_gatt_backend.h"
#include "ui/ui_application.h"

int main(int argc, char** argv) {
    ProgramOptions options;
    options.instanceName = QString::fromLatin1(kDemoInstanceName);
    options.sessionApiName = QString::fromLatin1(kDemoSessionApiName);
    options.bluetoothPresent = BluetoothMousePresent;
    options.makeGattBackend = [] { return std::make_unique<sim::SimulatedGattBackend>(); };
    options.onMainWindowCreated = [](CMainWnd& window) {
        // Room for the panel on the right: the pair is centred rather than the window alone.
        constexpr int kPairWidth = 800 + 16 + 480;
        const QRect area = WindowImplBase::WorkArea();
        QRect rect = window.ScreenRect();
        rect.moveLeft(area.left() + std::max(0, (area.width() - kPairWidth) / 2));
        window.MoveWindow(rect);
        // Started hidden, the panel waits for the window: the demo stays in the tray until then.
        sim::ShowSimulatedMousePanelAfterFirstFrame(
            window.RootWidget(), UiApplication::SkinPath(QStringLiteral("skins")),
            window.StartHidden());
    };
    return RunProgram(argc, argv, options);
}
