// Linux evdev key codes to Windows virtual-key codes, the codes the program's key table speaks.
#pragma once

#include <cstdint>

// 0 when the key has no virtual-key code.
uint32_t EvdevToVirtualKey(uint32_t evdevCode);
