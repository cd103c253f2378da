#include "sys/xkb_keyboard_layout.h"

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <QByteArray>

#include <utility>

namespace {

// An evdev key code is the X key code less 8. For the main block (up to F12) a set-1 make code
// equals the evdev code; beyond it the two numberings part.
constexpr uint32_t kEvdevOffset = 8;
constexpr uint32_t kLastMainBlockScanCode = 0x58;

xkb_keymap* KeymapFromDisplay(xkb_context* context) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    xkb_keymap* keymap = nullptr;
    if (xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr) != 0) {
        const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
        if (device != -1) {
            keymap = xkb_x11_keymap_new_from_device(context, connection, device,
                                                    XKB_KEYMAP_COMPILE_NO_FLAGS);
        }
    }
    xcb_disconnect(connection);
    return keymap;
}

}  // namespace

XkbKeyboardLayout::XkbKeyboardLayout(std::shared_ptr<const KeyboardLayout> keyCodes,
                                     xkb_context* context, xkb_keymap* keymap)
    : keyCodes_(std::move(keyCodes)),
      context_(context),
      keymap_(keymap),
      state_(xkb_state_new(keymap)) {}

XkbKeyboardLayout::~XkbKeyboardLayout() {
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

std::unique_ptr<XkbKeyboardLayout> XkbKeyboardLayout::ForUser(
    std::shared_ptr<const KeyboardLayout> keyCodes) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (context == nullptr) {
        return nullptr;
    }
    xkb_keymap* keymap = KeymapFromDisplay(context);
    if (keymap == nullptr) {
        // Empty names take XKB_DEFAULT_RULES, _MODEL, _LAYOUT, ... or the built-in defaults.
        keymap = xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
    }
    if (keymap == nullptr) {
        xkb_context_unref(context);
        return nullptr;
    }
    return std::unique_ptr<XkbKeyboardLayout>(
        new XkbKeyboardLayout(std::move(keyCodes), context, keymap));
}

std::unique_ptr<XkbKeyboardLayout> XkbKeyboardLayout::ForLayout(
    std::shared_ptr<const KeyboardLayout> keyCodes, const QString& layout, const QString& variant) {
    // The environment must not change a layout asked for by name.
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (context == nullptr) {
        return nullptr;
    }
    const QByteArray layoutName = layout.toUtf8();
    const QByteArray variantName = variant.toUtf8();
    xkb_rule_names names{};
    names.layout = layoutName.constData();
    names.variant = variantName.isEmpty() ? nullptr : variantName.constData();
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) {
        xkb_context_unref(context);
        return nullptr;
    }
    return std::unique_ptr<XkbKeyboardLayout>(
        new XkbKeyboardLayout(std::move(keyCodes), context, keymap));
}

uint32_t XkbKeyboardLayout::VirtualKeyToScanCode(uint32_t virtualKey) const {
    return keyCodes_ ? keyCodes_->VirtualKeyToScanCode(virtualKey) : 0;
}

uint32_t XkbKeyboardLayout::ScanCodeToVirtualKey(uint32_t scanCode) const {
    return keyCodes_ ? keyCodes_->ScanCodeToVirtualKey(scanCode) : 0;
}

QString XkbKeyboardLayout::KeyCharacters(uint32_t virtualKey, uint32_t scanCode) const {
    if (scanCode == 0) {
        scanCode = VirtualKeyToScanCode(virtualKey);
    }
    if (state_ == nullptr || scanCode == 0 || scanCode > kLastMainBlockScanCode) {
        return {};
    }
    const xkb_keycode_t keycode = scanCode + kEvdevOffset;
    char text[64];
    const int length = xkb_state_key_get_utf8(state_, keycode, text, sizeof text);
    if (length <= 0) {
        return {};
    }
    // A longer text is cut by xkbcommon (still NUL-terminated); no key types that much.
    return QString::fromUtf8(text);
}
