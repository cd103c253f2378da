#include "macro/dialogs/window_input.h"

#include "base/evdev_key_rows.h"
#include "link/driver_abi.h"
#include "ui/input_capture.h"

std::optional<HookMessage> HookMessageOf(const CapturedInput& input) {
    if (input.kind == CapturedInput::Kind::Key) {
        // Native key codes are evdev codes plus 8 on X11 and on Wayland alike; a platform that
        // gives none still counts the key (as a key the table does not know).
        const uint32_t evdev =
            input.nativeScanCode >= kXKeycodeOffset ? input.nativeScanCode - kXKeycodeOffset : 0;
        const uint32_t virtualKey = EvdevToVirtualKey(evdev);
        return HookMessage{virtualKey != 0 ? virtualKey : TALVORE_UNKNOWN_KEY_BASE + evdev,
                           input.release ? 1 : 0};
    }
    const auto mouse = [&](unsigned down, unsigned up, qintptr side) {
        return HookMessage{input.release ? up : down, side};
    };
    switch (input.button) {
        case 1:
            return mouse(TALVORE_MOUSE_LEFT_DOWN, TALVORE_MOUSE_LEFT_UP, 0);
        case 2:
            return mouse(TALVORE_MOUSE_MIDDLE_DOWN, TALVORE_MOUSE_MIDDLE_UP, 0);
        case 3:
            return mouse(TALVORE_MOUSE_RIGHT_DOWN, TALVORE_MOUSE_RIGHT_UP, 0);
        case 8:
            return mouse(TALVORE_MOUSE_X_DOWN, TALVORE_MOUSE_X_UP, TALVORE_X_BUTTON_BACKWARD);
        case 9:
            return mouse(TALVORE_MOUSE_X_DOWN, TALVORE_MOUSE_X_UP, TALVORE_X_BUTTON_FORWARD);
        default:
            return std::nullopt;
    }
}

bool IsHookMouseMessage(quintptr wParam) {
    return wParam >= TALVORE_MOUSE_LEFT_DOWN && wParam <= TALVORE_MOUSE_X_UP;
}
