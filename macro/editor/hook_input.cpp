#include "macro/editor/hook_input.h"

#include "link/driver_abi.h"
#include "macro/key_table.h"

bool IsMouseButtonCode(uint8_t code) {
    return code >= kMacroLeftButton && code <= kMacroForwardButton;
}

bool IsMouseMessage(uint64_t wParam) {
    return wParam >= TALVORE_MOUSE_LEFT_DOWN && wParam <= TALVORE_MOUSE_X_UP;
}

MacroAction ActionOfHookInput(uint64_t wParam, int64_t lParam, const KeyboardLayout& layout) {
    const auto action = [](uint8_t code, uint8_t kind) { return MacroAction{code, kind, 0}; };
    switch (wParam) {
        case TALVORE_MOUSE_LEFT_DOWN:
            return action(kMacroLeftButton, kActionPress);
        case TALVORE_MOUSE_LEFT_UP:
            return action(kMacroLeftButton, kActionRelease);
        case TALVORE_MOUSE_RIGHT_DOWN:
            return action(kMacroRightButton, kActionPress);
        case TALVORE_MOUSE_RIGHT_UP:
            return action(kMacroRightButton, kActionRelease);
        case TALVORE_MOUSE_MIDDLE_DOWN:
            return action(kMacroMiddleButton, kActionPress);
        case TALVORE_MOUSE_MIDDLE_UP:
            return action(kMacroMiddleButton, kActionRelease);
        case TALVORE_MOUSE_X_DOWN:
        case TALVORE_MOUSE_X_UP:
            if (lParam == TALVORE_X_BUTTON_FORWARD || lParam == TALVORE_X_BUTTON_BACKWARD) {
                return action(
                    lParam == TALVORE_X_BUTTON_FORWARD ? kMacroForwardButton : kMacroBackwardButton,
                    wParam == TALVORE_MOUSE_X_DOWN ? kActionPress : kActionRelease);
            }
            break;  // an X button without its side reads like a key
        default:
            break;
    }
    const uint8_t usage = wParam <= UINT32_MAX
                              ? VirtualKeyToUsage(static_cast<uint32_t>(wParam), layout).value_or(0)
                              : 0;
    return action(usage, lParam == 0 ? kActionPress : kActionRelease);
}

uint8_t MouseClickCode(int button) {
    switch (button) {
        case 1:
            return kMacroLeftButton;
        case 2:
            return kMacroRightButton;
        case 3:
            return kMacroMiddleButton;
        case 4:
            return kMacroForwardButton;
        case 5:
            return kMacroBackwardButton;
        default:
            return 0;
    }
}
