#include "protocol/profile_record.h"

#include <cstring>

#include "protocol/utf16_field.h"

namespace {

constexpr int32_t kDefaultDpiValue[kDpiStageCount] = {8, 12, 16, 24, 32, 60, 0, 0};
constexpr int32_t kDefaultStageEnabled[kDpiStageCount] = {1, 1, 1, 1, 1, 1, 0, 0};
// Red, yellow, blue, green, cyan, red, orange, white (0x00BBGGRR).
constexpr uint32_t kDefaultDpiColor[kDpiStageCount] = {0x0000FF, 0x00FFFF, 0xFF0000, 0x00FF00,
                                                       0xFFFF00, 0x0000FF, 0x0040FF, 0xFFFFFF};
constexpr uint32_t kDefaultColorReserved[kDpiStageCount] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF,
                                                            0x00FFFF, 0xFFFFFF, 0xFFFFFF, 0x0080FF};

// The defaults write only the first byte of some fields; the other bytes keep their content.
void SetFirstByte(int32_t& field, uint8_t value) {
    std::memcpy(&field, &value, 1);
}

}  // namespace

void ApplySlotDefaults(ProfileSlot& slot) {
    slot.reservedTextA[0] = u'\0';
    slot.reservedTextB[0] = u'\0';
    slot.reservedA = 420;
    slot.reservedB = 3;
    SetFirstByte(slot.reservedC, 0);
    slot.reservedD = 6;
    slot.dpiReserved = 0;
    slot.dpiParamA = 8;
    slot.dpiParamB = 8;
    slot.lightBrightness = 8;
    slot.lightSpeed = 6;
    slot.sleepTimer = 10;
    slot.dpiStage = 2;
    slot.reportRate = 1;
    slot.lightOffTimer = 1;
    slot.lightMode = 1;
    slot.lightReservedA = 3;
    SetFirstByte(slot.lightReservedB, 1);
    slot.lightReservedC = 1;
    slot.lightColor = 0xFF0000;
    slot.buttonMode = 0;

    std::memcpy(slot.dpiValue, kDefaultDpiValue, sizeof slot.dpiValue);
    std::memcpy(slot.dpiValueAlt, kDefaultDpiValue, sizeof slot.dpiValueAlt);
    std::memcpy(slot.dpiStageEnabled, kDefaultStageEnabled, sizeof slot.dpiStageEnabled);
    std::memcpy(slot.dpiColor, kDefaultDpiColor, sizeof slot.dpiColor);
    std::memcpy(slot.colorReserved, kDefaultColorReserved, sizeof slot.colorReserved);

    std::memset(reinterpret_cast<unsigned char*>(&slot) + kButtonAreaOffset, 0, kButtonAreaSize);
    for (int j = 0; j < kButtonCount; ++j) {
        ButtonEntry& entry = slot.buttons[j];
        entry.buttonIndex = static_cast<uint8_t>(j);
        entry.functionCode = DefaultFunctionTable[j];
        entry.functionParam = 0;
        entry.entryReserved = 562;
        entry.macroIndex = -1;
        entry.macroReserved = -1;
    }
}

std::unique_ptr<ProfileRecord> CreateBlankRecord(const QString& name) {
    auto record = std::make_unique<ProfileRecord>();  // value-initialised: all zero
    record->activeSlot = 0;
    ApplySlotDefaults(record->slots[0]);
    SetProfileName(*record, name);
    return record;
}

void ResetRecord(ProfileRecord& record) {
    record.activeSlot = 0;
    ApplySlotDefaults(record.slots[0]);
}

int ActiveSlotIndex(const ProfileRecord& record) {
    return record.activeSlot >= 0 && record.activeSlot < kSlotCount ? record.activeSlot : 0;
}

ProfileSlot& ActiveSlot(ProfileRecord& record) {
    return record.slots[ActiveSlotIndex(record)];
}

const ProfileSlot& ActiveSlot(const ProfileRecord& record) {
    return record.slots[ActiveSlotIndex(record)];
}

void MirrorButton(ProfileRecord& record, int button) {
    if (button < 0 || button >= 10) {
        return;
    }
    if (record.activeSlot == 0) {
        record.slots[1].buttons[button] = record.slots[0].buttons[button];
    } else if (record.activeSlot == 1) {
        record.slots[0].buttons[button] = record.slots[1].buttons[button];
    }
}

QString ProfileName(const ProfileRecord& record) {
    return FieldToString(record.profileName);
}

void SetProfileName(ProfileRecord& record, const QString& name) {
    StringToField(record.profileName, name);
}
