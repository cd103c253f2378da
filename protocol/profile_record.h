// One profile of the mouse, exactly as it is stored in pro.data and *.pro files.
//
// The structs below are the file format: every field sits at a fixed offset, the host must be
// little-endian, and records are read and written whole. Nothing here may gain a virtual function,
// a non-trivial member or padding.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

#include <QString>

#include "base/macro_record.h"

static_assert(std::endian::native == std::endian::little,
              "profile and macro files are raw little-endian records");

inline constexpr int kButtonCount = 18;
inline constexpr int kSlotCount = 5;
inline constexpr int kDpiStageCount = 8;
inline constexpr int kProfileNameUnits = 50;  // 49 characters and the terminating NUL

// Function codes with a meaning of their own beyond a plain device function.
inline constexpr uint8_t kFunctionButtonOff = 0x00;
inline constexpr uint8_t kFunctionLeftClick = 0x01;
inline constexpr uint8_t kFunctionShortcut = 0x10;
inline constexpr uint8_t kFunctionMacro = 0x11;

// One button position: its function, its key shortcut and its copy of a bound macro.
struct ButtonEntry {
    uint8_t buttonIndex;                  // 0: position 0..17, informational only
    uint8_t functionCode;                 // 1: see FunctionReportTable
    uint8_t functionParam;                // 2
    uint8_t shortcutUsage;                // 3: HID keyboard usage for code 0x10
    uint8_t reserved4[3];                 // 4: cleared together with shortcutUsage
    uint8_t shortcutModifiers;            // 7: bit 0 Ctrl, 1 Shift, 2 Alt, 3 Win
    uint16_t entryReserved;               // 8: 562 by default
    uint8_t reserved10[2];                // 10
    int32_t macroRepeatMode;              // 12: for code 0x11
    char16_t macroName[kMacroNameUnits];  // 16: name of the bound macro, the link to the store
    int32_t macroRepeatCount;             // 64
    uint16_t macroActionCount;            // 68: at most 46 in sound records
    uint8_t reserved70[1002];             // 70
    int32_t macroIndex;                   // 1072: index in the macro store, -1 none
    int32_t macroReserved;                // 1076
    uint8_t reserved1080[4];              // 1080
    uint8_t macroOption;                  // 1084: sent three times in the macro report
    uint8_t reserved1085[3];              // 1085: compared together with macroOption
    MacroAction macroActions[kMacroMaxActions];  // 1088: 46 x 4 bytes
};

// One configuration block. Only slot 0 is displayed, edited and sent; slot 1 mirrors buttons 0..9.
struct ProfileSlot {
    uint8_t reserved0[200];                   // 0
    char16_t reservedTextA[500];              // 200
    char16_t reservedTextB[500];              // 1200
    int32_t reservedA;                        // 2200
    int32_t reservedB;                        // 2204
    int32_t reservedC;                        // 2208
    int32_t reservedD;                        // 2212
    uint8_t reserved2216[8];                  // 2216
    int32_t dpiReserved;                      // 2224
    int32_t dpiParamA;                        // 2228: byte 3 of the DPI report
    int32_t dpiParamB;                        // 2232: byte 4 of the DPI report
    uint8_t reserved2236[8];                  // 2236
    int32_t dpiValue[kDpiStageCount];         // 2244: units of 100 DPI
    int32_t dpiValueAlt[kDpiStageCount];      // 2276
    int32_t dpiStageEnabled[kDpiStageCount];  // 2308: only 1 counts as enabled
    int32_t lightBrightness;                  // 2340
    int32_t lightSpeed;                       // 2344: sent inverted as 9 - speed
    int32_t sleepTimer;                       // 2348: minutes
    int32_t dpiStage;                         // 2352: 0-based current stage
    int32_t reportRate;                       // 2356: index 0..3 -> rate code 8, 4, 2, 1
    int32_t moveMode;                         // 2360: stored only, never compared or sent
    int32_t lightOffTimer;                    // 2364: half-minutes
    int32_t lightMode;                        // 2368: lighting effect, sent in a high nibble
    int32_t lightReservedA;                   // 2372
    int32_t lightReservedB;                   // 2376
    int32_t lightReservedC;                   // 2380
    uint32_t lightColor;                      // 2384: 0x00BBGGRR
    uint32_t dpiColor[kDpiStageCount];        // 2388: 0x00BBGGRR per stage
    uint32_t colorReserved[kDpiStageCount];   // 2420
    int32_t buttonMode;                       // 2452
    ButtonEntry buttons[kButtonCount];        // 2456: 18 x 1272
    uint8_t buttonAreaTail[7632];             // 25352: unused, but part of the button change group
};

struct ProfileRecord {
    int32_t activeSlot;                       // 0: 0..4, the slot the page displays
    char16_t profileName[kProfileNameUnits];  // 4: UTF-16LE, NUL-terminated
    ProfileSlot slots[kSlotCount];            // 104: slot k at 104 + k * 32984
};

// The button area: all entries plus the unused space after them.
inline constexpr std::size_t kButtonAreaOffset = 2456;
inline constexpr std::size_t kButtonAreaSize = 30528;

static_assert(std::is_trivially_copyable_v<ProfileRecord> &&
              std::is_standard_layout_v<ProfileRecord>);
static_assert(sizeof(ButtonEntry) == 1272);
static_assert(offsetof(ButtonEntry, functionCode) == 1);
static_assert(offsetof(ButtonEntry, functionParam) == 2);
static_assert(offsetof(ButtonEntry, shortcutUsage) == 3);
static_assert(offsetof(ButtonEntry, shortcutModifiers) == 7);
static_assert(offsetof(ButtonEntry, entryReserved) == 8);
static_assert(offsetof(ButtonEntry, macroRepeatMode) == 12);
static_assert(offsetof(ButtonEntry, macroName) == 16);
static_assert(offsetof(ButtonEntry, macroRepeatCount) == 64);
static_assert(offsetof(ButtonEntry, macroActionCount) == 68);
static_assert(offsetof(ButtonEntry, macroIndex) == 1072);
static_assert(offsetof(ButtonEntry, macroReserved) == 1076);
static_assert(offsetof(ButtonEntry, macroOption) == 1084);
static_assert(offsetof(ButtonEntry, macroActions) == 1088);

static_assert(sizeof(ProfileSlot) == 32984);
static_assert(offsetof(ProfileSlot, reservedTextA) == 200);
static_assert(offsetof(ProfileSlot, reservedTextB) == 1200);
static_assert(offsetof(ProfileSlot, reservedA) == 2200);
static_assert(offsetof(ProfileSlot, reservedB) == 2204);
static_assert(offsetof(ProfileSlot, reservedC) == 2208);
static_assert(offsetof(ProfileSlot, reservedD) == 2212);
static_assert(offsetof(ProfileSlot, dpiReserved) == 2224);
static_assert(offsetof(ProfileSlot, dpiParamA) == 2228);
static_assert(offsetof(ProfileSlot, dpiParamB) == 2232);
static_assert(offsetof(ProfileSlot, dpiValue) == 2244);
static_assert(offsetof(ProfileSlot, dpiValueAlt) == 2276);
static_assert(offsetof(ProfileSlot, dpiStageEnabled) == 2308);
static_assert(offsetof(ProfileSlot, lightBrightness) == 2340);
static_assert(offsetof(ProfileSlot, lightSpeed) == 2344);
static_assert(offsetof(ProfileSlot, sleepTimer) == 2348);
static_assert(offsetof(ProfileSlot, dpiStage) == 2352);
static_assert(offsetof(ProfileSlot, reportRate) == 2356);
static_assert(offsetof(ProfileSlot, moveMode) == 2360);
static_assert(offsetof(ProfileSlot, lightOffTimer) == 2364);
static_assert(offsetof(ProfileSlot, lightMode) == 2368);
static_assert(offsetof(ProfileSlot, lightReservedA) == 2372);
static_assert(offsetof(ProfileSlot, lightReservedB) == 2376);
static_assert(offsetof(ProfileSlot, lightReservedC) == 2380);
static_assert(offsetof(ProfileSlot, lightColor) == 2384);
static_assert(offsetof(ProfileSlot, dpiColor) == 2388);
static_assert(offsetof(ProfileSlot, colorReserved) == 2420);
static_assert(offsetof(ProfileSlot, buttonMode) == 2452);
static_assert(offsetof(ProfileSlot, buttons) == kButtonAreaOffset);
static_assert(offsetof(ProfileSlot, buttonAreaTail) + sizeof(ProfileSlot::buttonAreaTail) ==
              kButtonAreaOffset + kButtonAreaSize);

static_assert(sizeof(ProfileRecord) == 165024);
static_assert(offsetof(ProfileRecord, profileName) == 4);
static_assert(offsetof(ProfileRecord, slots) == 104);

// Default function code of each button position.
inline constexpr std::array<uint8_t, kButtonCount> DefaultFunctionTable = {
    0x01, 0x02, 0x03, 0x06, 0x21, 0x22, 0x05, 0x04, 0x33,
    0x34, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0B};

// A zeroed record with slot 0 on its defaults and the given name (cut to 49 characters).
std::unique_ptr<ProfileRecord> CreateBlankRecord(const QString& name);

// Writes the defaults of one slot. Fields the defaults do not name keep their values.
void ApplySlotDefaults(ProfileSlot& slot);

// Back to defaults: activeSlot 0 and slot 0 on its defaults; name, moveMode and slots 1..4 stay.
void ResetRecord(ProfileRecord& record);

// The slot the page displays. A damaged activeSlot outside 0..4 is read as 0.
int ActiveSlotIndex(const ProfileRecord& record);
ProfileSlot& ActiveSlot(ProfileRecord& record);
const ProfileSlot& ActiveSlot(const ProfileRecord& record);

// After assigning button j < 10, copy its entry between slots 0 and 1 (by activeSlot 0 or 1).
void MirrorButton(ProfileRecord& record, int button);

QString ProfileName(const ProfileRecord& record);
void SetProfileName(ProfileRecord& record, const QString& name);

// Colours: the UI works with opaque 0xAARRGGBB, the record stores 0x00BBGGRR.
constexpr uint32_t ColorToStored(uint32_t argb) {
    const uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    return b << 16 | g << 8 | r;
}
constexpr uint32_t StoredToColor(uint32_t colorref) {
    const uint32_t r = colorref & 0xFF, g = (colorref >> 8) & 0xFF, b = (colorref >> 16) & 0xFF;
    return 0xFF000000u | r << 16 | g << 8 | b;
}
