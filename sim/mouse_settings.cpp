#include "sim/mouse_settings.h"

namespace sim {

MouseSettings FactorySettings() {
    MouseSettings settings;
    settings.dpi.dpi = {800, 1200, 1600, 2400, 3200, 6000, 0, 0};
    settings.dpi.currentStage = 3;
    settings.dpi.stageMask = 0x3F;
    settings.dpi.colors = {Rgb{0xFF, 0x00, 0x00}, Rgb{0xFF, 0xFF, 0x00}, Rgb{0x00, 0x00, 0xFF},
                           Rgb{0x00, 0xFF, 0x00}, Rgb{0x00, 0xFF, 0xFF}, Rgb{0xFF, 0x00, 0x00},
                           Rgb{0xFF, 0x40, 0x00}, Rgb{0xFF, 0xFF, 0xFF}};
    settings.dpi.paramA = 8;
    settings.dpi.paramB = 8;

    settings.lighting.mode = 1;
    settings.lighting.speed = 6;
    settings.lighting.brightness = 8;
    settings.lighting.color = Rgb{0x00, 0x00, 0xFF};
    settings.lighting.sleepTimer = 10;
    settings.lighting.lightOffTimer = 1;
    settings.lighting.buttonMode = 0;

    settings.rateCode = 4;

    // Left, right, wheel click, DPI cycle, Ctrl+C, Ctrl+V, backward, forward, Win+Tab, 0x3C,
    // six buttons off, scroll down, scroll up.
    settings.buttons = {ButtonFunction{0x02, 0x00, 0x00}, ButtonFunction{0x03, 0x00, 0x00},
                        ButtonFunction{0x04, 0x00, 0x00}, ButtonFunction{0x0D, 0x00, 0x00},
                        ButtonFunction{0x11, 0x01, 0x06}, ButtonFunction{0x11, 0x01, 0x19},
                        ButtonFunction{0x05, 0x00, 0x00}, ButtonFunction{0x06, 0x00, 0x00},
                        ButtonFunction{0x11, 0x08, 0x2B}, ButtonFunction{0x3C, 0x00, 0x00},
                        ButtonFunction{0x01, 0x00, 0x00}, ButtonFunction{0x01, 0x00, 0x00},
                        ButtonFunction{0x01, 0x00, 0x00}, ButtonFunction{0x01, 0x00, 0x00},
                        ButtonFunction{0x01, 0x00, 0x00}, ButtonFunction{0x01, 0x00, 0x00},
                        ButtonFunction{0x0A, 0x00, 0x00}, ButtonFunction{0x09, 0x00, 0x00}};
    return settings;
}

}  // namespace sim
