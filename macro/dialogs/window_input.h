// Input a window of ours received, as the input hook would have reported it (message 1034): a
// virtual-key code, or the unknown-key base plus the evdev code, with lParam 0 for a press; or a
// mouse message with its X button side. Recording and key capture then run the same way whether
// the hook or the window heard the key.
#pragma once

#include <QtGlobal>
#include <optional>

struct CapturedInput;

struct HookMessage {
    quintptr wParam = 0;
    qintptr lParam = 0;
};

// Nothing for a mouse button the hook does not report (the wheel and unnamed buttons).
std::optional<HookMessage> HookMessageOf(const CapturedInput& input);

// Whether wParam is one of the hook's mouse messages (513..524) rather than a key.
bool IsHookMouseMessage(quintptr wParam);
