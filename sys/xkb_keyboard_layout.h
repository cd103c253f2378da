// The characters of the user's keys, from xkbcommon. Scan codes and virtual-key codes come from
// another layout (the key table's US layout), which this one wraps.
#pragma once

#include <memory>

#include <QString>

#include "sys/keyboard_layout.h"

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

class XkbKeyboardLayout final : public KeyboardLayout {
public:
    // The user's layout: the X server's core keyboard when a display is reachable, otherwise
    // the XKB_DEFAULT_* environment or the system's defaults. Null when xkbcommon cannot build
    // a keymap; the caller then keeps to `keyCodes` alone.
    static std::unique_ptr<XkbKeyboardLayout> ForUser(
        std::shared_ptr<const KeyboardLayout> keyCodes);

    // A named layout, e.g. "de" or "fr" with variant "bepo". Null when it does not exist.
    static std::unique_ptr<XkbKeyboardLayout> ForLayout(
        std::shared_ptr<const KeyboardLayout> keyCodes, const QString& layout,
        const QString& variant = QString());

    ~XkbKeyboardLayout() override;
    XkbKeyboardLayout(const XkbKeyboardLayout&) = delete;
    XkbKeyboardLayout& operator=(const XkbKeyboardLayout&) = delete;

    uint32_t VirtualKeyToScanCode(uint32_t virtualKey) const override;
    uint32_t ScanCodeToVirtualKey(uint32_t scanCode) const override;
    // The UTF-8 text of the key with no modifier held, as typed (not upper-cased). The scan code
    // decides; when it is 0 the virtual key's scan code is used. Keys outside the main block and
    // keys that type nothing give an empty string.
    QString KeyCharacters(uint32_t virtualKey, uint32_t scanCode) const override;

private:
    XkbKeyboardLayout(std::shared_ptr<const KeyboardLayout> keyCodes, xkb_context* context,
                      xkb_keymap* keymap);

    std::shared_ptr<const KeyboardLayout> keyCodes_;
    xkb_context* context_;
    xkb_keymap* keymap_;
    xkb_state* state_;
};
