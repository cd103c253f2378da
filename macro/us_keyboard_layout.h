// A US keyboard: the layout assumed when the desktop cannot tell us the user's own.
#pragma once

#include "sys/keyboard_layout.h"

class UsKeyboardLayout final : public KeyboardLayout {
public:
    // Scan codes of the key table, plus the modifiers (generic and left/right forms).
    uint32_t VirtualKeyToScanCode(uint32_t virtualKey) const override;
    // Right Ctrl and right Alt carry the extended prefix (0xE01D, 0xE038), as do the Windows
    // and application keys (0xE05B, 0xE05C, 0xE05D); without it they read as the left forms.
    uint32_t ScanCodeToVirtualKey(uint32_t scanCode) const override;
    // Lower-case letters, digits, the punctuation keys and space; nothing for other keys.
    QString KeyCharacters(uint32_t virtualKey, uint32_t scanCode) const override;
};
