// Keys as the mouse stores them (one-byte HID keyboard usages, page 0x07, plus private codes for
// mouse buttons) and as the desktop delivers them (Windows virtual-key codes), with the names the
// user sees for them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <QString>

#include "base/key_table_rows.h"

class KeyboardLayout;
class TextLookup;

static_assert(kKeyTable.size() == 112);

// The usage of a virtual-key code, or nothing when no row has it (callers then store usage 0).
// Keys of the main block are mapped through the user's layout to the physical key pressed, so a
// macro replays the same key position whatever the layout.
std::optional<uint8_t> VirtualKeyToUsage(uint32_t virtualKey, const KeyboardLayout& layout);

// The text shown for a usage or mouse-button code; empty when it has no name.
QString UsageToKeyName(uint32_t usage, const KeyboardLayout& layout, const TextLookup& texts);

// The text shown for a virtual-key code: a language key's text for named keys, otherwise the
// characters the layout prints on the key, upper-cased.
QString VirtualKeyToKeyName(uint32_t virtualKey, const KeyboardLayout& layout,
                            const TextLookup& texts);
