// The user's keyboard layout, as far as key naming and recording need it.
#pragma once

#include <cstdint>

#include <QString>

class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;
    // Scan code (PC/AT set 1 make code) of a Windows virtual-key code; 0 when there is none.
    virtual uint32_t VirtualKeyToScanCode(uint32_t virtualKey) const = 0;
    // Virtual-key code of a scan code, left and right modifiers told apart; 0 when none.
    virtual uint32_t ScanCodeToVirtualKey(uint32_t scanCode) const = 0;
    // The characters the key produces with no modifier held; empty when it produces none.
    virtual QString KeyCharacters(uint32_t virtualKey, uint32_t scanCode) const = 0;
};
