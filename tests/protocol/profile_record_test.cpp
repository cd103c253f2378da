#include "protocol/profile_record.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

namespace {

const uint8_t* Bytes(const ProfileRecord& r) {
    return reinterpret_cast<const uint8_t*>(&r);
}

int32_t Int32At(const ProfileRecord& r, std::size_t offset) {
    int32_t v;
    std::memcpy(&v, Bytes(r) + offset, 4);
    return v;
}

std::vector<uint8_t> BytesAt(const ProfileRecord& r, std::size_t offset, std::size_t n) {
    return {Bytes(r) + offset, Bytes(r) + offset + n};
}

bool AllZero(const ProfileRecord& r, std::size_t offset, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (Bytes(r)[offset + i] != 0) {
            return false;
        }
    }
    return true;
}

// Record offsets of slot 0, as the file format gives them.
constexpr std::size_t kSlot0 = 104;
constexpr std::size_t kSlotSize = 32984;
constexpr std::size_t kButtons0 = 2560;

TEST(ProfileRecordLayout, BlankRecordCarriesTheSlot0DefaultsAtTheirFileOffsets) {
    auto r = CreateBlankRecord(QStringLiteral("Office"));

    EXPECT_EQ(Int32At(*r, 0), 0);  // activeSlot
    // The name starts at offset 4 as UTF-16LE, terminated.
    EXPECT_EQ(BytesAt(*r, 4, 14),
              (std::vector<uint8_t>{'O', 0, 'f', 0, 'f', 0, 'i', 0, 'c', 0, 'e', 0, 0, 0}));

    EXPECT_EQ(Int32At(*r, 2304), 420);  // reservedA
    EXPECT_EQ(Int32At(*r, 2308), 3);    // reservedB
    EXPECT_EQ(Int32At(*r, 2316), 6);    // reservedD
    EXPECT_EQ(Int32At(*r, 2332), 8);    // dpiParamA
    EXPECT_EQ(Int32At(*r, 2336), 8);    // dpiParamB
    const int32_t dpi[8] = {8, 12, 16, 24, 32, 60, 0, 0};
    const int32_t enabled[8] = {1, 1, 1, 1, 1, 1, 0, 0};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(Int32At(*r, 2348 + 4 * k), dpi[k]) << k;
        EXPECT_EQ(Int32At(*r, 2380 + 4 * k), dpi[k]) << k;
        EXPECT_EQ(Int32At(*r, 2412 + 4 * k), enabled[k]) << k;
    }
    EXPECT_EQ(Int32At(*r, 2444), 8);   // lightBrightness
    EXPECT_EQ(Int32At(*r, 2448), 6);   // lightSpeed
    EXPECT_EQ(Int32At(*r, 2452), 10);  // sleepTimer
    EXPECT_EQ(Int32At(*r, 2456), 2);   // dpiStage
    EXPECT_EQ(Int32At(*r, 2460), 1);   // reportRate
    EXPECT_EQ(Int32At(*r, 2464), 0);   // moveMode
    EXPECT_EQ(Int32At(*r, 2468), 1);   // lightOffTimer
    EXPECT_EQ(Int32At(*r, 2472), 1);   // lightMode
    EXPECT_EQ(Int32At(*r, 2476), 3);   // lightReservedA
    EXPECT_EQ(Int32At(*r, 2480), 1);   // lightReservedB
    EXPECT_EQ(Int32At(*r, 2484), 1);   // lightReservedC
    EXPECT_EQ(BytesAt(*r, 2488, 4), (std::vector<uint8_t>{0x00, 0x00, 0xFF, 0x00}));  // blue
    // dpiColor: red first, white last.
    EXPECT_EQ(BytesAt(*r, 2492, 4), (std::vector<uint8_t>{0xFF, 0x00, 0x00, 0x00}));
    EXPECT_EQ(BytesAt(*r, 2492 + 28, 4), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x00}));
    EXPECT_EQ(BytesAt(*r, 2524, 4), (std::vector<uint8_t>{0xFF, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Int32At(*r, 2556), 0);  // buttonMode

    const uint8_t codes[18] = {0x01, 0x02, 0x03, 0x06, 0x21, 0x22, 0x05, 0x04, 0x33,
                               0x34, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0B};
    for (int j = 0; j < 18; ++j) {
        const std::size_t e = kButtons0 + 1272 * j;
        EXPECT_EQ(BytesAt(*r, e, 4), (std::vector<uint8_t>{uint8_t(j), codes[j], 0, 0})) << j;
        EXPECT_EQ(BytesAt(*r, e + 8, 2), (std::vector<uint8_t>{0x32, 0x02})) << j;
        EXPECT_EQ(Int32At(*r, e + 1072), -1) << j;
        EXPECT_EQ(Int32At(*r, e + 1076), -1) << j;
        EXPECT_TRUE(AllZero(*r, e + 1088, 184)) << j;
    }
    // The unused space after the 18th entry belongs to the button area and stays zero.
    EXPECT_TRUE(AllZero(*r, kButtons0 + 18 * 1272, 7632));
    // Slots 1..4 are all zero, so their buttons read code 0.
    EXPECT_TRUE(AllZero(*r, kSlot0 + kSlotSize, 4 * kSlotSize));
}

TEST(ProfileRecordLayout, NameIsCutToItsFieldAndRoundTrips) {
    auto r = CreateBlankRecord(QString(80, QLatin1Char('x')));
    EXPECT_EQ(ProfileName(*r), QString(49, QLatin1Char('x')));
    EXPECT_EQ(r->profileName[49], u'\0');

    // A damaged name without a NUL is read to the end of its field and no further.
    std::fill(std::begin(r->profileName), std::end(r->profileName), u'y');
    r->slots[0].reserved0[0] = 'z';
    EXPECT_EQ(ProfileName(*r), QString(50, QLatin1Char('y')));
}

TEST(ProfileRecordReset, RestoresSlot0AndKeepsNameMoveModeAndOtherSlots) {
    auto r = CreateBlankRecord(QStringLiteral("Gaming"));
    ProfileSlot& s0 = r->slots[0];
    s0.moveMode = 1;
    s0.dpiValue[0] = 99;
    s0.dpiStage = 7;
    s0.lightColor = 0x123456;
    s0.buttons[2].functionCode = kFunctionMacro;
    s0.buttons[2].macroName[0] = u'M';
    s0.buttons[2].macroActionCount = 5;
    s0.reserved0[10] = 0x5A;  // untouched by the defaults
    r->slots[3].dpiStage = 4;
    r->activeSlot = 1;

    ResetRecord(*r);

    auto fresh = CreateBlankRecord(QStringLiteral("Gaming"));
    fresh->slots[0].moveMode = 1;
    fresh->slots[0].reserved0[10] = 0x5A;
    fresh->slots[3].dpiStage = 4;
    EXPECT_EQ(std::memcmp(r.get(), fresh.get(), sizeof(ProfileRecord)), 0);
}

TEST(ProfileRecordReset, DefaultsWriteOnlyTheFirstByteOfPartialFields) {
    ProfileSlot slot{};
    slot.reservedC = 0x7F7F7F7F;
    slot.lightReservedB = 0x7F7F7F7F;
    ApplySlotDefaults(slot);
    EXPECT_EQ(static_cast<uint32_t>(slot.reservedC), 0x7F7F7F00u);
    EXPECT_EQ(static_cast<uint32_t>(slot.lightReservedB), 0x7F7F7F01u);
}

TEST(ProfileRecordMirror, ButtonsBelowTenAreCopiedBetweenSlotsZeroAndOne) {
    auto r = CreateBlankRecord(QStringLiteral("p"));
    r->slots[0].buttons[3].functionCode = 0x45;
    r->slots[0].buttons[3].macroRepeatCount = 9;
    MirrorButton(*r, 3);
    EXPECT_EQ(std::memcmp(&r->slots[1].buttons[3], &r->slots[0].buttons[3], sizeof(ButtonEntry)),
              0);

    r->slots[0].buttons[12].functionCode = 0x45;
    MirrorButton(*r, 12);
    EXPECT_EQ(r->slots[1].buttons[12].functionCode, 0);

    // With activeSlot 1 the copy goes the other way; with any other slot nothing is copied.
    r->activeSlot = 1;
    r->slots[1].buttons[4].functionCode = 0x46;
    MirrorButton(*r, 4);
    EXPECT_EQ(r->slots[0].buttons[4].functionCode, 0x46);
    r->activeSlot = 2;
    r->slots[2].buttons[5].functionCode = 0x47;
    MirrorButton(*r, 5);
    EXPECT_NE(r->slots[0].buttons[5].functionCode, 0x47);
    EXPECT_NE(r->slots[1].buttons[5].functionCode, 0x47);
}

TEST(ProfileRecordSlots, ActiveSlotOutsideItsRangeIsReadAsZero) {
    auto r = CreateBlankRecord(QStringLiteral("p"));
    for (int bad : {-1, 5, 1000000, INT32_MIN}) {
        r->activeSlot = bad;
        EXPECT_EQ(ActiveSlotIndex(*r), 0) << bad;
        EXPECT_EQ(&ActiveSlot(*r), &r->slots[0]) << bad;
    }
    r->activeSlot = 4;
    EXPECT_EQ(&ActiveSlot(*r), &r->slots[4]);
}

TEST(ProfileRecordColor, ConvertsBetweenUiAndStoredColours) {
    EXPECT_EQ(ColorToStored(0xFFFF0000u), 0x0000FFu);    // red
    EXPECT_EQ(ColorToStored(0x00123456u), 0x563412u);    // alpha is dropped
    EXPECT_EQ(StoredToColor(0xFF0000u), 0xFF0000FFu);    // stored blue shows opaque blue
    EXPECT_EQ(StoredToColor(0xFF0040FFu), 0xFFFF4000u);  // a stray high byte is ignored
    for (uint32_t c : {0xFF000000u, 0xFFFFFFFFu, 0xFF1EB40Au}) {
        EXPECT_EQ(StoredToColor(ColorToStored(c)), c);
    }
}

}  // namespace
