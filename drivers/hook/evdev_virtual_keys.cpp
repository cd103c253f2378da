#include "drivers/hook/evdev_virtual_keys.h"

#include <linux/input-event-codes.h>

#include <array>
#include <utility>

#include "base/key_table_rows.h"

namespace {

// Keys outside the main block, whose evdev code is not their set-1 scan code, and the modifiers,
// which the key table names only in their left/right virtual-key form.
// clang-format off
constexpr std::array<std::pair<uint32_t, uint32_t>, 45> kExtendedKeys = {{
    {KEY_LEFTCTRL, 0xA2},  {KEY_RIGHTCTRL, 0xA3}, {KEY_LEFTSHIFT, 0xA0},  {KEY_RIGHTSHIFT, 0xA1},
    {KEY_LEFTALT, 0xA4},   {KEY_RIGHTALT, 0xA5},  {KEY_LEFTMETA, 0x5B},   {KEY_RIGHTMETA, 0x5C},
    {KEY_COMPOSE, 0x5D},   {KEY_SYSRQ, 0x2C},     {KEY_SCROLLLOCK, 0x91}, {KEY_PAUSE, 0x13},
    {KEY_INSERT, 0x2D},    {KEY_HOME, 0x24},      {KEY_PAGEUP, 0x21},     {KEY_DELETE, 0x2E},
    {KEY_END, 0x23},       {KEY_PAGEDOWN, 0x22},  {KEY_RIGHT, 0x27},      {KEY_LEFT, 0x25},
    {KEY_DOWN, 0x28},      {KEY_UP, 0x26},        {KEY_NUMLOCK, 0x90},    {KEY_KPSLASH, 0x6F},
    {KEY_KPASTERISK, 0x6A}, {KEY_KPMINUS, 0x6D},  {KEY_KPPLUS, 0x6B},     {KEY_KPENTER, 0x6C},
    {KEY_KP1, 0x61},       {KEY_KP2, 0x62},       {KEY_KP3, 0x63},        {KEY_KP4, 0x64},
    {KEY_KP5, 0x65},       {KEY_KP6, 0x66},       {KEY_KP7, 0x67},        {KEY_KP8, 0x68},
    {KEY_KP9, 0x69},       {KEY_KP0, 0x60},       {KEY_KPDOT, 0x6E},      {KEY_102ND, 0xE2},
    {KEY_MUTE, 0xAD},      {KEY_VOLUMEDOWN, 0xAE}, {KEY_VOLUMEUP, 0xAF},  {KEY_PLAYPAUSE, 0xB3},
    {KEY_NEXTSONG, 0xB0},
}};
// clang-format on

}  // namespace

uint32_t EvdevToVirtualKey(uint32_t evdevCode) {
    for (const auto& [code, virtualKey] : kExtendedKeys) {
        if (code == evdevCode) {
            return virtualKey;
        }
    }
    // The main block: the evdev code is the key's set-1 scan code; the first row with it wins.
    for (const KeyTableRow& row : kKeyTable) {
        if (row.scanCode != 0 && row.scanCode == evdevCode) {
            return row.virtualKey;
        }
    }
    return 0;
}
