#include "macro/us_keyboard_layout.h"

#include <gtest/gtest.h>

#include "macro/key_table.h"

namespace {

TEST(UsKeyboardLayout, KeysWithoutATableScanCodeHaveNone) {
    const UsKeyboardLayout us;
    EXPECT_EQ(us.VirtualKeyToScanCode(0xDF), 0x35u);
    EXPECT_EQ(us.VirtualKeyToScanCode(0x2D), 0u);  // Insert: no scan code in the table
    EXPECT_EQ(us.VirtualKeyToScanCode(0xF1), 0u);
    EXPECT_EQ(us.ScanCodeToVirtualKey(0x35), 0xBFu);  // the first of the two rows
    EXPECT_EQ(us.ScanCodeToVirtualKey(0x00), 0u);
    EXPECT_EQ(us.ScanCodeToVirtualKey(0x7F), 0u);
}

TEST(UsKeyboardLayout, EveryTableScanCodeLeadsBackToItsKey) {
    const UsKeyboardLayout us;
    for (const KeyTableRow& row : kKeyTable) {
        if (row.scanCode == 0 || row.virtualKey == 0xDF) {
            continue;  // 0xDF shares its scan code with the slash key, which comes first
        }
        EXPECT_EQ(us.VirtualKeyToScanCode(row.virtualKey), row.scanCode) << "VK " << row.virtualKey;
        EXPECT_EQ(us.ScanCodeToVirtualKey(row.scanCode), row.virtualKey) << "VK " << row.virtualKey;
    }
}

TEST(UsKeyboardLayout, TellsLeftAndRightModifiersApart) {
    const UsKeyboardLayout us;
    EXPECT_EQ(us.ScanCodeToVirtualKey(0x2A), 0xA0u);
    EXPECT_EQ(us.ScanCodeToVirtualKey(0x36), 0xA1u);
    EXPECT_EQ(us.ScanCodeToVirtualKey(0x1D), 0xA2u);
    EXPECT_EQ(us.ScanCodeToVirtualKey(0xE01D), 0xA3u);
    EXPECT_EQ(us.ScanCodeToVirtualKey(0x38), 0xA4u);
    EXPECT_EQ(us.ScanCodeToVirtualKey(0xE038), 0xA5u);
    EXPECT_EQ(us.ScanCodeToVirtualKey(0xE05B), 0x5Bu);
    EXPECT_EQ(us.ScanCodeToVirtualKey(0xE05C), 0x5Cu);
    EXPECT_EQ(us.VirtualKeyToScanCode(0x10), 0x2Au);  // generic Shift is the left key
    EXPECT_EQ(us.VirtualKeyToScanCode(0x11), 0x1Du);
    EXPECT_EQ(us.VirtualKeyToScanCode(0x12), 0x38u);
    EXPECT_EQ(us.VirtualKeyToScanCode(0xA1), 0x36u);
    EXPECT_EQ(us.VirtualKeyToScanCode(0xA3), 0x1Du);  // the make code, without the prefix
}

TEST(UsKeyboardLayout, TypesTheUnshiftedCharacters) {
    const UsKeyboardLayout us;
    const std::pair<uint32_t, const char*> typed[] = {
        {0x41, "a"}, {0x5A, "z"}, {0x31, "1"}, {0x30, "0"},  {0x20, " "}, {0xBD, "-"},
        {0xBB, "="}, {0xDB, "["}, {0xDD, "]"}, {0xDC, "\\"}, {0xBA, ";"}, {0xDE, "'"},
        {0xC0, "`"}, {0xBC, ","}, {0xBE, "."}, {0xBF, "/"},
    };
    for (const auto& [vk, text] : typed) {
        EXPECT_EQ(us.KeyCharacters(vk, us.VirtualKeyToScanCode(vk)), QString::fromLatin1(text))
            << "VK " << vk;
    }
    for (uint32_t silent : {0x00u, 0x0Du, 0x10u, 0x2Du, 0x60u, 0x70u, 0xDFu, 0xF1u}) {
        EXPECT_EQ(us.KeyCharacters(silent, us.VirtualKeyToScanCode(silent)), QString())
            << "VK " << silent;
    }
}

}  // namespace
