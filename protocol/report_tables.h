// Constant tables of the mouse's configuration protocol.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "protocol/profile_record.h"

// A button's function code as the button report carries it: device function T1 and its two
// parameters T2, T3. T1 = 0x11 is a key combination: T2 modifier bits (bit 0 Ctrl, 1 Shift, 2 Alt,
// 3 Win), T3 the HID keyboard usage.
struct FunctionReportRow {
    uint8_t code;
    uint8_t t1;
    uint8_t t2;
    uint8_t t3;
};

inline constexpr FunctionReportRow FunctionReportTable[] = {
    {0x00, 0x01, 0x00, 0x00},                            // button off
    {0x01, 0x02, 0x00, 0x00},                            // left click
    {0x02, 0x03, 0x00, 0x00},                            // right click
    {0x03, 0x04, 0x00, 0x00},                            // wheel click
    {0x04, 0x06, 0x00, 0x00},                            // forward
    {0x05, 0x05, 0x00, 0x00},                            // backward
    {0x09, 0x07, 0x00, 0x00},                            // double click
    {0x0A, 0x08, 0x00, 0x00},                            // fire button
    {0x0B, 0x09, 0x00, 0x00},                            // scroll up
    {0x0C, 0x0A, 0x00, 0x00},                            // scroll down
    {0x0D, 0x0B, 0x00, 0x00},                            // tilt left
    {0x0E, 0x0C, 0x00, 0x00},                            // tilt right
    {0x06, 0x0D, 0x00, 0x00},                            // DPI cycle
    {0x07, 0x0E, 0x00, 0x00},                            // DPI up
    {0x08, 0x0F, 0x00, 0x00},                            // DPI down
    {0x34, 0x3C, 0x00, 0x00}, {0x10, 0x11, 0x00, 0x00},  // key shortcut: T2, T3 come from the entry
    {0x11, 0x12, 0x00, 0x00},                            // macro: T3 comes from MacroSlotTable
    {0x13, 0x13, 0x00, 0x00}, {0x73, 0x14, 0x00, 0x00},
    {0x15, 0x2B, 0x00, 0x00}, {0x16, 0x10, 0x00, 0x03},  // easy aim
    {0x17, 0x29, 0x00, 0x03},                            // LED loop
    {0x36, 0x34, 0x00, 0x00},                            // profile cycle
    {0x37, 0x35, 0x00, 0x00},                            // profile up
    {0x38, 0x36, 0x00, 0x00},                            // profile down
    {0x40, 0x15, 0x00, 0x00},                            // media player
    {0x43, 0x16, 0x00, 0x00},                            // previous track
    {0x44, 0x17, 0x00, 0x00},                            // next track
    {0x41, 0x18, 0x00, 0x00},                            // play / pause
    {0x42, 0x19, 0x00, 0x00},                            // stop
    {0x47, 0x1A, 0x00, 0x00},                            // mute
    {0x45, 0x1B, 0x00, 0x00},                            // volume up
    {0x46, 0x1C, 0x00, 0x00},                            // volume down
    {0x58, 0x1D, 0x00, 0x00},                            // calculator
    {0x57, 0x1E, 0x00, 0x00},                            // e-mail
    {0x51, 0x11, 0x03, 0x12},                            // browser favourites: Ctrl+Shift+O
    {0x52, 0x20, 0x00, 0x00},                            // browser forward
    {0x53, 0x21, 0x00, 0x00},                            // browser backward
    {0x54, 0x22, 0x00, 0x00},                            // browser stop
    {0x59, 0x23, 0x00, 0x00},                            // my computer
    {0x55, 0x24, 0x00, 0x00},                            // browser refresh
    {0x50, 0x25, 0x00, 0x00},                            // browser home
    {0x56, 0x26, 0x00, 0x00},                            // browser search
    {0x20, 0x11, 0x01, 0x1B},                            // cut: Ctrl+X
    {0x21, 0x11, 0x01, 0x06},                            // copy: Ctrl+C
    {0x22, 0x11, 0x01, 0x19},                            // paste: Ctrl+V
    {0x23, 0x11, 0x01, 0x12},                            // open: Ctrl+O
    {0x2F, 0x11, 0x01, 0x11},                            // Ctrl+N
    {0x24, 0x11, 0x01, 0x16},                            // save: Ctrl+S
    {0x29, 0x11, 0x01, 0x13},                            // print: Ctrl+P
    {0x25, 0x11, 0x01, 0x09},                            // find: Ctrl+F
    {0x26, 0x11, 0x01, 0x1C},                            // redo: Ctrl+Y
    {0x33, 0x11, 0x08, 0x2B},                            // task view: Win+Tab
    {0x27, 0x11, 0x01, 0x1D},                            // undo: Ctrl+Z
    {0x30, 0x3D, 0x00, 0x00},                            // zoom in
    {0x31, 0x3E, 0x00, 0x00},                            // zoom out
    {0x28, 0x11, 0x01, 0x04},                            // select all: Ctrl+A
    {0x2B, 0x11, 0x04, 0x2B},                            // swap windows: Alt+Tab
    {0x2C, 0x11, 0x08, 0x07},                            // show desktop: Win+D
    {0x2A, 0x11, 0x04, 0x3D},                            // close window: Alt+F4
    {0x2D, 0x11, 0x08, 0x15},                            // run command: Win+R
    {0x2E, 0x11, 0x08, 0x0F},                            // lock: Win+L
    {0x32, 0x11, 0x0A, 0x16},                            // screen capture: Win+Shift+S
};
static_assert(std::size(FunctionReportTable) == 64, "the device knows 64 function codes");

// The row of a function code; a code the device does not know is sent as 0, 0, 0.
constexpr FunctionReportRow LookupFunctionReport(uint8_t code) {
    for (const auto& row : FunctionReportTable) {
        if (row.code == code) {
            return row;
        }
    }
    return {code, 0x00, 0x00, 0x00};
}

constexpr bool FunctionCodesAreUnique() {
    for (std::size_t i = 0; i < std::size(FunctionReportTable); ++i) {
        for (std::size_t k = i + 1; k < std::size(FunctionReportTable); ++k) {
            if (FunctionReportTable[i].code == FunctionReportTable[k].code) {
                return false;
            }
        }
    }
    return true;
}
static_assert(FunctionCodesAreUnique(), "a function code must have one encoding");

// The device's macro number for each button position. Position 13 is macro 15 and position 17
// macro 0: the firmware numbers its macro memory that way.
inline constexpr int32_t MacroSlotTable[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,
                                             10, 11, 12, 13, 15, 16, 17, 18, 0};
static_assert(std::size(MacroSlotTable) == kButtonCount);
