// Linux evdev key codes to Windows virtual-key codes, the codes the program's key table speaks.
// The input hook (X key codes - 8) and the editor's own window (Qt's native scan codes - 8, on X11
// and on Wayland alike) both read keys through this one table. Header-only, standard library only.
#pragma once

#include <array>
#include <cstdint>
#include <utility>

#include "base/key_table_rows.h"

// X and Wayland key codes are the kernel's evdev codes plus 8.
inline constexpr uint32_t kXKeycodeOffset = 8;

// Keys outside the main block, whose evdev code is not their set-1 scan code, and the modifiers,
// which the key table names only in their left/right virtual-key form. Keys the key table has no
// row for (F13-F24, media and browser keys, keypad "=") still get their virtual-key code, so a
// recording holds them (as usage 0) instead of losing them.
// clang-format off
inline constexpr std::array<std::pair<uint32_t, uint32_t>, 78> kEvdevVirtualKeys = {{
    {29, 0xA2},  /* left Ctrl */      {97, 0xA3},  /* right Ctrl */    {42, 0xA0},  /* left Shift */
    {54, 0xA1},  /* right Shift */    {56, 0xA4},  /* left Alt */      {100, 0xA5}, /* right Alt */
    {125, 0x5B}, /* left Meta */      {126, 0x5C}, /* right Meta */    {127, 0x5D}, /* Compose */
    {99, 0x2C},  /* SysRq */          {70, 0x91},  /* Scroll Lock */   {119, 0x13}, /* Pause */
    {110, 0x2D}, /* Insert */         {102, 0x24}, /* Home */          {104, 0x21}, /* Page Up */
    {111, 0x2E}, /* Delete */         {107, 0x23}, /* End */           {109, 0x22}, /* Page Down */
    {106, 0x27}, /* Right */          {105, 0x25}, /* Left */          {108, 0x28}, /* Down */
    {103, 0x26}, /* Up */             {69, 0x90},  /* Num Lock */      {98, 0x6F},  /* pad / */
    {55, 0x6A},  /* pad * */          {74, 0x6D},  /* pad - */         {78, 0x6B},  /* pad + */
    {96, 0x6C},  /* pad Enter */      {79, 0x61},  /* pad 1 */         {80, 0x62},  /* pad 2 */
    {81, 0x63},  /* pad 3 */          {75, 0x64},  /* pad 4 */         {76, 0x65},  /* pad 5 */
    {77, 0x66},  /* pad 6 */          {71, 0x67},  /* pad 7 */         {72, 0x68},  /* pad 8 */
    {73, 0x69},  /* pad 9 */          {82, 0x60},  /* pad 0 */         {83, 0x6E},  /* pad . */
    {117, 0x92}, /* pad = */          {86, 0xE2},  /* the key beside left Shift */
    {183, 0x7C}, /* F13 */            {184, 0x7D}, /* F14 */           {185, 0x7E}, /* F15 */
    {186, 0x7F}, /* F16 */            {187, 0x80}, /* F17 */           {188, 0x81}, /* F18 */
    {189, 0x82}, /* F19 */            {190, 0x83}, /* F20 */           {191, 0x84}, /* F21 */
    {192, 0x85}, /* F22 */            {193, 0x86}, /* F23 */           {194, 0x87}, /* F24 */
    {113, 0xAD}, /* mute */           {114, 0xAE}, /* volume down */   {115, 0xAF}, /* volume up */
    {163, 0xB0}, /* next track */     {165, 0xB1}, /* previous track */ {166, 0xB2}, /* stop */
    {128, 0xB2}, /* stop (AC) */      {164, 0xB3}, /* play/pause */    {200, 0xB3}, /* play */
    {201, 0xB3}, /* pause */          {158, 0xA6}, /* browser back */  {159, 0xA7}, /* browser forward */
    {173, 0xA8}, /* refresh */        {217, 0xAA}, /* search */        {156, 0xAB}, /* favourites */
    {364, 0xAB}, /* favourites */     {172, 0xAC}, /* browser home */  {150, 0xAC}, /* browser */
    {155, 0xB4}, /* mail */           {215, 0xB4}, /* e-mail */        {226, 0xB5}, /* media */
    {171, 0xB5}, /* media select */   {157, 0xB6}, /* my computer */   {140, 0xB7}, /* calculator */
    {142, 0x5F}, /* sleep */
}};
// clang-format on

// The virtual-key code of an evdev key; 0 when the key has none.
constexpr uint32_t EvdevToVirtualKey(uint32_t evdevCode) {
    for (const auto& [code, virtualKey] : kEvdevVirtualKeys) {
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
