// Message 1034 of the input hook as the recorder reads it: a key or mouse button, pressed or
// released, turned into the action the mouse stores.
#pragma once

#include <cstdint>

#include "base/macro_record.h"

class KeyboardLayout;

// Mouse-button codes of macro actions.
inline constexpr uint8_t kMacroLeftButton = 0xF1;
inline constexpr uint8_t kMacroRightButton = 0xF2;
inline constexpr uint8_t kMacroMiddleButton = 0xF3;
inline constexpr uint8_t kMacroBackwardButton = 0xF4;
inline constexpr uint8_t kMacroForwardButton = 0xF5;

bool IsMouseButtonCode(uint8_t code);
// Whether wParam is one of the hook's mouse messages (513..524) rather than a virtual-key code.
bool IsMouseMessage(uint64_t wParam);

// The code and kind of one hook message (the delay is left 0). Mouse messages give the button
// codes, X buttons by lParam (1 forward, 2 backward); anything else is a virtual-key code
// converted through the user's layout, 0 for a key the table lacks; lParam 0 is a press.
MacroAction ActionOfHookInput(uint64_t wParam, int64_t lParam, const KeyboardLayout& layout);

// The five buttons of the editor's mouse panel, numbered 1..5: left, right, middle, forward,
// backward. 0 for any other number.
uint8_t MouseClickCode(int button);
