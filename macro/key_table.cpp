#include "macro/key_table.h"

#include <QLoggingCategory>

#include "sys/keyboard_layout.h"
#include "sys/text_lookup.h"

Q_LOGGING_CATEGORY(lcKeys, "talvore.keys")

namespace {

const KeyTableRow* FindByVirtualKey(uint32_t virtualKey) {
    for (const KeyTableRow& row : kKeyTable) {
        if (row.virtualKey == virtualKey) {
            return &row;
        }
    }
    return nullptr;
}

const KeyTableRow* FindByUsage(uint32_t usage) {
    for (const KeyTableRow& row : kKeyTable) {
        if (row.usage == usage) {
            return &row;
        }
    }
    return nullptr;
}

const KeyTableRow* FindByScanCode(uint32_t scanCode) {
    if (scanCode == 0) {
        return nullptr;  // rows without a scan code hold 0; never match on it
    }
    for (const KeyTableRow& row : kKeyTable) {
        if (row.scanCode == scanCode) {
            return &row;
        }
    }
    return nullptr;
}

// Language key of a virtual-key code that is named rather than shown by its character.
const char* VirtualKeyTextKey(uint32_t virtualKey) {
    static constexpr const char* kFunctionKeys[] = {"key_F1", "key_F2",  "key_F3",  "key_F4",
                                                    "key_F5", "key_F6",  "key_F7",  "key_F8",
                                                    "key_F9", "key_F10", "key_F11", "key_F12"};
    static constexpr const char* kPadDigits[] = {"key_Num_0", "key_Num_1", "key_Num_2", "key_Num_3",
                                                 "key_Num_4", "key_Num_5", "key_Num_6", "key_Num_7",
                                                 "key_Num_8", "key_Num_9"};
    if (virtualKey >= 0x70 && virtualKey <= 0x7B) {
        return kFunctionKeys[virtualKey - 0x70];
    }
    if (virtualKey >= 0x60 && virtualKey <= 0x69) {
        return kPadDigits[virtualKey - 0x60];
    }
    switch (virtualKey) {
        case 0x08:
            return "key_BackSpace";
        case 0x09:
            return "key_Tab";
        case 0x0D:
            return "key_Enter";
        case 0x10:
            return "key_LShift";
        case 0x11:
            return "key_LCtrl";
        case 0x12:
            return "key_LAlt";
        case 0x13:
            return "key_Pause";
        case 0x14:
            return "key_Caplk";
        case 0x1B:
            return "key_Esc";
        case 0x20:
            return "key_Space";
        case 0x21:
            return "key_Page Up";
        case 0x22:
            return "key_Page Down";
        case 0x23:
            return "key_End";
        case 0x24:
            return "key_Home";
        case 0x25:
            return "key_Left";
        case 0x26:
            return "key_Up";
        case 0x27:
            return "key_Right";
        case 0x28:
            return "key_Down";
        case 0x2A:
            return "key_Print Scr";
        case 0x2C:
            return "key_Print Scr";
        case 0x2D:
            return "key_Insert";
        case 0x2E:
            return "key_Delete";
        case 0x5B:
            return "key_LWin";
        case 0x5C:
            return "key_RWin";
        case 0x5D:
            return "key_APP";
        case 0x6A:
            return "key_Num_*";
        case 0x6B:
            return "key_Num_+";
        case 0x6C:
            return "key_Num_Enter";
        case 0x6D:
            return "key_Num_-";
        case 0x6E:
            return "key_Num_.";
        case 0x6F:
            return "key_Num_/";
        case 0x90:
            return "key_Num Lock";
        case 0x91:
            return "key_Scroll Lock";
        case 0xA0:
            return "key_LShift";
        case 0xA1:
            return "key_RShift";
        case 0xA2:
            return "key_LCtrl";
        case 0xA3:
            return "key_RCtrl";
        case 0xA4:
            return "key_LAlt";
        case 0xA5:
            return "key_RAlt";
        case 0xF0:
            return "key_Caplk";
        default:
            return nullptr;
    }
}

// Language key of a usage outside the main block. `known` is false for usages without a name,
// which give an empty text without a lookup; 0x66-0x68 are named by the empty key.
const char* UsageTextKey(uint32_t usage, bool& known) {
    static constexpr const char* kFunctionKeys[] = {"key_F1", "key_F2",  "key_F3",  "key_F4",
                                                    "key_F5", "key_F6",  "key_F7",  "key_F8",
                                                    "key_F9", "key_F10", "key_F11", "key_F12"};
    static constexpr const char* kUsage46To65[] = {"key_Print Scr",
                                                   "key_Scroll Lock",
                                                   "key_Pause",
                                                   "key_Insert",
                                                   "key_Home",
                                                   "key_Page Up",
                                                   "key_Delete",
                                                   "key_End",
                                                   "key_Page Down",
                                                   "key_Right",
                                                   "key_Left",
                                                   "key_Down",
                                                   "key_Up",
                                                   "key_Num Lock",
                                                   "key_Num_/",
                                                   "key_Num_*",
                                                   "key_Num_-",
                                                   "key_Num_+",
                                                   "key_Num_Enter",
                                                   "key_Num_1",
                                                   "key_Num_2",
                                                   "key_Num_3",
                                                   "key_Num_4",
                                                   "key_Num_5",
                                                   "key_Num_6",
                                                   "key_Num_7",
                                                   "key_Num_8",
                                                   "key_Num_9",
                                                   "key_Num_0",
                                                   "key_Num_.",
                                                   "key_\\",
                                                   "key_APP",
                                                   "",
                                                   "",
                                                   ""};
    static constexpr const char* kModifiers[] = {"key_LCtrl", "key_LShift", "key_LAlt", "key_LWin",
                                                 "key_RCtrl", "key_RShift", "key_RAlt", "key_RWin"};
    static constexpr const char* kMouseButtons[] = {"L_Button", "R_Button", "M_Button",
                                                    "Backward_Button", "Forward_Button"};
    known = true;
    if (usage >= 0x3A && usage <= 0x45) {
        return kFunctionKeys[usage - 0x3A];
    }
    if (usage >= 0x46 && usage <= 0x68) {
        return kUsage46To65[usage - 0x46];
    }
    if (usage >= 0xE0 && usage <= 0xE7) {
        return kModifiers[usage - 0xE0];
    }
    if (IsMouseButtonUsage(usage)) {
        return kMouseButtons[usage - kUsageLeftButton];
    }
    switch (usage) {
        case 0x82:
            return "Sleep";
        case 0x88:
            return "Kana/Roma";
        case 0xDD:
            return "`";
        default:
            known = false;
            return nullptr;
    }
}

}  // namespace

std::optional<uint8_t> VirtualKeyToUsage(uint32_t virtualKey, const KeyboardLayout& layout) {
    const KeyTableRow* row = FindByVirtualKey(virtualKey);
    if (row == nullptr) {
        return std::nullopt;
    }
    const auto usage = static_cast<uint8_t>(row->usage);
    if (usage < 0x04 || usage > 0x45) {
        return usage;
    }
    // Store the physical key: on another layout the same VK can sit on a different key.
    const KeyTableRow* physical = FindByScanCode(layout.VirtualKeyToScanCode(virtualKey));
    return physical != nullptr ? static_cast<uint8_t>(physical->usage) : usage;
}

QString VirtualKeyToKeyName(uint32_t virtualKey, const KeyboardLayout& layout,
                            const TextLookup& texts) {
    if (const char* key = VirtualKeyTextKey(virtualKey)) {
        return texts.Text(QString::fromLatin1(key));
    }
    if (virtualKey == 0) {
        return {};  // no key at all: a usage without a row in the table
    }
    const uint32_t scanCode = layout.VirtualKeyToScanCode(virtualKey);
    return layout.KeyCharacters(virtualKey, scanCode).toUpper();
}

QString UsageToKeyName(uint32_t usage, const KeyboardLayout& layout, const TextLookup& texts) {
    QString name;
    if ((usage >= 0x04 && usage <= 0x39) || (usage >= 0xE8 && usage <= 0xEF)) {
        // The key's name follows the user's layout: find the physical key, then ask the layout
        // which virtual key sits there. Usages without a row (0x32, 0xE8-0xEF) name VK 0.
        const KeyTableRow* row = FindByUsage(usage);
        const uint32_t virtualKey = row != nullptr ? layout.ScanCodeToVirtualKey(row->scanCode) : 0;
        name = VirtualKeyToKeyName(virtualKey, layout, texts);
    } else {
        bool known = false;
        const char* key = UsageTextKey(usage, known);
        if (known) {
            name = texts.Text(QString::fromLatin1(key));
        }
    }
    qCDebug(lcKeys, "m_key = %s", qUtf8Printable(name));
    return name;
}
