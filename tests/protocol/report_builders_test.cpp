#include "protocol/report_builders.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "tests/protocol/report_test_util.h"

namespace {

std::unique_ptr<ProfileRecord> DefaultRecord() {
    return CreateBlankRecord(QStringLiteral("Default"));
}

void SetAction(ButtonEntry& entry, int i, uint8_t code, uint8_t kind, uint16_t delay) {
    entry.macroActions[i] = MacroAction{code, kind, delay};
}

TEST(ReportBuilders, DefaultRecordGivesTheKnownReports) {
    auto r = DefaultRecord();

    EXPECT_EQ(Bytes(BuildReport0C()), Hex("0C 0A 01 FE 02 FD 00 00 00 00"));
    // Stage 6 is 60 x 100 = 6,000 DPI = 0x1770: byte 13 is 0x70, byte 21 is 0x17.
    EXPECT_EQ(Bytes(BuildDpiReport(*r)),
              Hex("04 38 01 08 08 3F 00 00"
                  " 20 B0 40 60 80 70 00 00"
                  " 03 04 06 09 0C 17 00 00"
                  " 03"
                  " FF 00 00  FF FF 00  00 00 FF  00 FF 00  00 FF FF  FF 00 00  FF 40 00  FF FF FF"
                  " 02 0F 21 00 00 00 00"));
    EXPECT_EQ(Bytes(BuildLightingReport(*r)), Hex("05 0F 01 10 03 A8 00 00 FF 01 00 01 BB 00 00"));
    EXPECT_EQ(Bytes(BuildRateReport(*r)), Hex("06 09 01 04 FB 00 00 00 00"));
    EXPECT_EQ(Bytes(BuildButtonReport(*r)),
              Hex("08 3B 01"
                  " 02 00 00  03 00 00  04 00 00  0D 00 00  11 01 06  11 01 19"
                  " 05 00 00  06 00 00  11 08 2B  3C 00 00  01 00 00  01 00 00"
                  " 01 00 00  01 00 00  01 00 00  01 00 00  0A 00 00  09 00 00"
                  " 00 FD"));
}

TEST(ReportBuilders, RateIndexMapsToRateCodeAndItsComplement) {
    auto r = DefaultRecord();
    r->slots[0].reportRate = 0;
    EXPECT_EQ(Bytes(BuildRateReport(*r)), Hex("06 09 01 08 F7 00 00 00 00"));
    r->slots[0].reportRate = 3;
    EXPECT_EQ(Bytes(BuildRateReport(*r)), Hex("06 09 01 01 FE 00 00 00 00"));
    r->slots[0].reportRate = 8;  // a rate code where an index belongs is sent as code 2
    EXPECT_EQ(Bytes(BuildRateReport(*r)), Hex("06 09 01 02 FD 00 00 00 00"));
}

TEST(ReportBuilders, LightingUsesBrightnessOnlyInModes1And9) {
    auto r = DefaultRecord();
    r->slots[0].lightMode = 9;
    r->slots[0].lightBrightness = 5;
    r->slots[0].sleepTimer = 0x2C;  // high nibble to byte 4, low nibble to byte 5
    r->slots[0].lightSpeed = 1;
    EXPECT_EQ(Bytes(BuildLightingReport(*r)), Hex("05 0F 01 90 28 C5 00 00 FF 01 00 02 7D 00 00"));
    r->slots[0].lightMode = 2;
    EXPECT_EQ(Bytes(BuildLightingReport(*r)), Hex("05 0F 01 20 28 C8 00 00 FF 01 00 02 10 00 00"));
}

TEST(ReportBuilders, ButtonReportTakesShortcutsAndMacroNumbersFromTheEntry) {
    auto r = DefaultRecord();
    auto& b = r->slots[0].buttons;
    b[0].functionCode = kFunctionShortcut;
    b[0].shortcutModifiers = 0x05;        // Ctrl+Alt
    b[0].shortcutUsage = 0x2C;            // space
    b[10].functionCode = 0x7F;            // unknown to the device
    b[13].functionCode = kFunctionMacro;  // device macro 15, not 14
    b[17].functionCode = kFunctionMacro;  // device macro 0
    b[4].shortcutUsage = 0x33;            // ignored: copy is a fixed combination
    EXPECT_EQ(Bytes(BuildButtonReport(*r)),
              Hex("08 3B 01"
                  " 11 05 2C  03 00 00  04 00 00  0D 00 00  11 01 06  11 01 19"
                  " 05 00 00  06 00 00  11 08 2B  3C 00 00  00 00 00  01 00 00"
                  " 01 00 00  12 00 0F  01 00 00  01 00 00  0A 00 00  12 00 00"
                  " 01 65"));
}

TEST(ReportBuilders, BuildersReadSlot0WhateverActiveSlotSays) {
    auto r = DefaultRecord();
    r->activeSlot = 1;  // slot 1 is all zero
    EXPECT_EQ(Bytes(BuildRateReport(*r)), Hex("06 09 01 04 FB 00 00 00 00"));
    EXPECT_EQ(BuildDpiReport(*r)[24], 0x03);
}

TEST(MacroReport, DelaysBecomePairsWithShortAndSplitLongDelays) {
    auto r = DefaultRecord();
    ButtonEntry& e = r->slots[0].buttons[2];
    e.functionCode = kFunctionMacro;
    e.macroRepeatMode = 2;
    e.macroRepeatCount = 0;  // sent as 1
    e.macroActionCount = 4;
    SetAction(e, 0, 0x04, kActionPress, 1300);    // 1300 = 6 x 200 + 100
    SetAction(e, 1, 0x04, kActionRelease, 0);     // 0 is sent as 1 ms, tenths 0
    SetAction(e, 2, 0xF1, kActionPress, 95);      // 9.5 rounds up
    SetAction(e, 3, 0xF1, kActionRelease, 1270);  // the longest delay in one pair
    SetAction(e, 4, 0x05, kActionPress, 500);     // beyond the count: not sent

    EXPECT_EQ(Bytes(BuildMacroReport(*r, 2)),
              Hex("09 83 03 02 00 00 00 01" + Zeros(20) + " 05 0B 04 06 03 81 04 0B F1 FF F1" +
                  Zeros(90) + " 03 91"));
}

TEST(MacroReport, SplitBoundariesAndRepeatOption) {
    auto r = DefaultRecord();
    ButtonEntry& e = r->slots[0].buttons[13];
    e.macroRepeatMode = 0x101;   // low byte only
    e.macroRepeatCount = 0x203;  // low byte 3
    e.macroOption = 0x07;
    e.macroActionCount = 3;
    SetAction(e, 0, 0x05, kActionPress, 1271);    // 6 x 200 + 71
    SetAction(e, 1, 0x05, kActionRelease, 1400);  // 7 x 200 + 0, the rest sent as 1 ms
    SetAction(e, 2, 0x06, kActionPress, 65535);   // 327 steps, cut to 0x47; rest 135

    EXPECT_EQ(Bytes(BuildMacroReport(*r, 13)),
              Hex("09 83 0E 01 07 07 07 03" + Zeros(20) +
                  " 06 07 05 06 03 81 05 07 03 0F 06 47 03" + Zeros(88) + " 01 23"));
}

TEST(MacroReport, AtMostTenSplitsAndFiftyPairsWhileTheCountCountsAll) {
    auto r = DefaultRecord();
    ButtonEntry& e = r->slots[0].buttons[0];
    e.macroActionCount = 46;
    for (int i = 0; i < 46; ++i) {
        SetAction(e, i, 0x04, kActionPress, 2000);  // 10 x 200 + 0
    }
    std::string pairs;
    for (int i = 0; i < 10; ++i) {
        pairs += " 01 04 0A 03";
    }
    for (int i = 0; i < 30; ++i) {
        pairs += " 01 04";
    }
    // 46 actions + 10 splits = 56 pairs counted, 50 written.
    EXPECT_EQ(Bytes(BuildMacroReport(*r, 0)),
              Hex("09 83 01 00 00 00 00 01" + Zeros(20) + " 38" + pairs + " 01 83"));
}

// A record from a damaged file: every value out of range. The record sits at the start of a
// buffer whose bytes after it are a marker, and the unused button space inside it holds a second
// marker, so reading past an entry or past the record would change the expected bytes.
TEST(ReportBuilders, DamagedRecordBuildsFromInsideTheRecordOnly) {
    constexpr std::size_t kGuard = 4096;
    std::vector<uint8_t> buffer(sizeof(ProfileRecord) + kGuard, 0xEE);
    auto* r = new (buffer.data()) ProfileRecord;
    std::memset(static_cast<void*>(r), 0, sizeof(ProfileRecord));
    ApplySlotDefaults(r->slots[0]);
    std::memset(r->slots[0].buttonAreaTail, 0xEE, sizeof r->slots[0].buttonAreaTail);
    std::memset(static_cast<void*>(&r->slots[4]), 0xEE, sizeof(ProfileSlot));

    r->activeSlot = 7;
    ProfileSlot& s = r->slots[0];
    s.dpiValue[0] = 0x7FFFFFFF;  // x 100 wraps to 0xFFFFFF9C
    s.dpiValue[1] = -1;
    s.dpiStageEnabled[2] = 2;  // only 1 enables a stage
    s.dpiStage = 0x7FFFFFFF;
    s.lightMode = 0x12;
    s.sleepTimer = 0x1234;
    s.lightSpeed = -0x100;
    s.lightColor = 0xAABBCCDD;
    s.lightOffTimer = 0x1FF;
    s.buttonMode = 0x102;
    s.reportRate = -5;
    ButtonEntry& last = s.buttons[17];
    last.macroActionCount = 0xFFFF;  // read as 46
    for (int i = 0; i < 46; ++i) {
        SetAction(last, i, 0x04, kActionPress, 10);
    }

    EXPECT_EQ(Bytes(BuildDpiReport(*r)),
              Hex("04 38 01 08 08 3B 00 00"
                  " 9C 9C 40 60 80 70 00 00"
                  " FF FF 06 09 0C 17 00 00"
                  " 00"
                  " FF 00 00  FF FF 00  00 00 FF  00 FF 00  00 FF FF  FF 00 00  FF 40 00  FF FF FF"
                  " 02 11 79 00 00 00 00"));
    EXPECT_EQ(Bytes(BuildLightingReport(*r)), Hex("05 0F 01 20 39 48 DD CC BB FF 02 04 06 00 00"));
    EXPECT_EQ(Bytes(BuildRateReport(*r)), Hex("06 09 01 02 FD 00 00 00 00"));

    std::string pairs;
    for (int i = 0; i < 46; ++i) {
        pairs += " 01 04";
    }
    EXPECT_EQ(Bytes(BuildMacroReport(*r, 17)),
              Hex("09 83 12 00 00 00 00 01" + Zeros(20) + " 2E" + pairs + Zeros(8) + " 01 15"));
    // Positions outside 0..17 give nothing to send rather than a read past the entries.
    EXPECT_EQ(Bytes(BuildMacroReport(*r, 18)), std::vector<uint8_t>(131, 0));
    r->~ProfileRecord();
}

}  // namespace
