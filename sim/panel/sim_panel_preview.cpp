// Renders the simulated mouse's control panel, after a few transfers and events, to a picture:
//   sim_panel_preview SKIN-FOLDER OUT.png
// Run under xvfb-run (or any display) so fonts and style render as on a desktop.
#include <QApplication>
#include <QCheckBox>
#include <QPixmap>
#include <QSlider>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "sim/hidapi/shared_mouse.h"
#include "sim/panel/simulated_mouse_panel.h"

namespace {

void Send(sim::Link link, const std::vector<uint8_t>& bytes) {
    sim::SharedMouse().Receive(link, bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: sim_panel_preview SKIN-FOLDER OUT.png\n");
        return 1;
    }
    sim::SetSharedMouseStatusPeriod(std::chrono::milliseconds(0));
    sim::SimulatedMousePanel panel;
    if (!panel.ApplySkin(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "sim_panel_preview: cannot read theme.qss in %s\n", argv[1]);
        return 2;
    }

    // A report-rate report over the receiver, a lighting report over the cable, one with a broken
    // sum, a DPI button press and a battery that is charging.
    Send(sim::Link::Receiver, {0x06, 0x09, 0x01, 0x02, 0xFD, 0x00, 0x00, 0x00, 0x00});
    Send(sim::Link::Cable, {0x05, 0x0F, 0x01, 0x90, 0x57, 0xA4, 0x12, 0x34, 0x56, 0x14, 0x01, 0x02,
                            0x3C, 0x00, 0x00});
    Send(sim::Link::Cable, {0x05, 0x0F, 0x01, 0x90, 0x57, 0xA4, 0x12, 0x34, 0x56, 0x14, 0x01, 0x02,
                            0x3D, 0x00, 0x00});
    Send(sim::Link::Bluetooth, {0x06, 0x09, 0x01, 0x02, 0xFD, 0x00, 0x00, 0x00, 0x00});
    sim::SharedMouse().PressDpiButton();
    panel.findChild<QSlider*>(QStringLiteral("battery_level"))->setValue(64);
    panel.findChild<QCheckBox*>(QStringLiteral("charging_switch"))->setChecked(true);

    panel.adjustSize();
    panel.show();
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
    panel.Refresh();
    QApplication::processEvents();
    if (!panel.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "sim_panel_preview: cannot write %s\n", argv[2]);
        return 2;
    }
    return 0;
}
