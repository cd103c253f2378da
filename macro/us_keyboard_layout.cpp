#include "macro/us_keyboard_layout.h"

#include <array>

#include "macro/key_table.h"

namespace {

struct ModifierKey {
    uint32_t virtualKey;
    uint32_t scanCode;  // with the 0xE0 prefix in the high byte for extended keys
};

// The key table holds no scan codes for modifiers; these are the US keyboard's.
constexpr std::array<ModifierKey, 9> kModifierKeys = {{
    {0xA0, 0x2A},    // left Shift
    {0xA1, 0x36},    // right Shift
    {0xA2, 0x1D},    // left Ctrl
    {0xA3, 0xE01D},  // right Ctrl
    {0xA4, 0x38},    // left Alt
    {0xA5, 0xE038},  // right Alt
    {0x5B, 0xE05B},  // left Windows
    {0x5C, 0xE05C},  // right Windows
    {0x5D, 0xE05D},  // application
}};

// Generic Shift, Ctrl and Alt sit on the left keys.
uint32_t GenericModifierScanCode(uint32_t virtualKey) {
    switch (virtualKey) {
        case 0x10:
            return 0x2A;
        case 0x11:
            return 0x1D;
        case 0x12:
            return 0x38;
        default:
            return 0;
    }
}

}  // namespace

uint32_t UsKeyboardLayout::VirtualKeyToScanCode(uint32_t virtualKey) const {
    for (const KeyTableRow& row : kKeyTable) {
        if (row.virtualKey == virtualKey && row.scanCode != 0) {
            return row.scanCode;
        }
    }
    for (const ModifierKey& key : kModifierKeys) {
        if (key.virtualKey == virtualKey) {
            return key.scanCode & 0xFF;  // the plain make code, as without the extended flag
        }
    }
    return GenericModifierScanCode(virtualKey);
}

uint32_t UsKeyboardLayout::ScanCodeToVirtualKey(uint32_t scanCode) const {
    if (scanCode == 0) {
        return 0;
    }
    for (const KeyTableRow& row : kKeyTable) {
        if (row.scanCode == scanCode) {
            return row.virtualKey;
        }
    }
    for (const ModifierKey& key : kModifierKeys) {
        if (key.scanCode == scanCode) {
            return key.virtualKey;
        }
    }
    return 0;
}

QString UsKeyboardLayout::KeyCharacters(uint32_t virtualKey, uint32_t /*scanCode*/) const {
    if ((virtualKey >= 0x41 && virtualKey <= 0x5A)) {
        return QChar(static_cast<char16_t>(u'a' + (virtualKey - 0x41)));
    }
    if (virtualKey >= 0x30 && virtualKey <= 0x39) {
        return QChar(static_cast<char16_t>(u'0' + (virtualKey - 0x30)));
    }
    char16_t c = 0;
    switch (virtualKey) {
        case 0x20:
            c = u' ';
            break;
        case 0xBD:
            c = u'-';
            break;
        case 0xBB:
            c = u'=';
            break;
        case 0xDB:
            c = u'[';
            break;
        case 0xDD:
            c = u']';
            break;
        case 0xDC:
            c = u'\\';
            break;
        case 0xBA:
            c = u';';
            break;
        case 0xDE:
            c = u'\'';
            break;
        case 0xC0:
            c = u'`';
            break;
        case 0xBC:
            c = u',';
            break;
        case 0xBE:
            c = u'.';
            break;
        case 0xBF:
            c = u'/';
            break;
        default:
            return {};
    }
    return QChar(c);
}
