#include "protocol/change_detection.h"

#include <cstring>

namespace {

template <typename T>
bool Differs(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) != 0;
}

bool DpiDiffers(const ProfileSlot& a, const ProfileSlot& b) {
    return Differs(a.dpiStage, b.dpiStage) || Differs(a.dpiReserved, b.dpiReserved) ||
           Differs(a.dpiParamA, b.dpiParamA) || Differs(a.dpiParamB, b.dpiParamB) ||
           Differs(a.dpiValue, b.dpiValue) || Differs(a.dpiValueAlt, b.dpiValueAlt) ||
           Differs(a.dpiStageEnabled, b.dpiStageEnabled) || Differs(a.dpiColor, b.dpiColor);
}

bool LightDiffers(const ProfileSlot& a, const ProfileSlot& b) {
    return Differs(a.lightMode, b.lightMode) || Differs(a.lightReservedA, b.lightReservedA) ||
           Differs(a.lightSpeed, b.lightSpeed) || Differs(a.lightBrightness, b.lightBrightness) ||
           Differs(a.lightReservedC, b.lightReservedC) || Differs(a.lightColor, b.lightColor) ||
           Differs(a.sleepTimer, b.sleepTimer) || Differs(a.buttonMode, b.buttonMode) ||
           Differs(a.lightOffTimer, b.lightOffTimer);
}

bool ButtonAreaDiffers(const ProfileSlot& a, const ProfileSlot& b) {
    const auto* pa = reinterpret_cast<const unsigned char*>(&a) + kButtonAreaOffset;
    const auto* pb = reinterpret_cast<const unsigned char*>(&b) + kButtonAreaOffset;
    return std::memcmp(pa, pb, kButtonAreaSize) != 0;
}

// The macro as the device sees it: repeat mode and count, the option word, the actions. The
// action count and name are only in the button group.
bool MacroDiffers(const ButtonEntry& a, const ButtonEntry& b) {
    constexpr std::size_t kOptionWord = 4;  // macroOption and the three bytes after it
    return Differs(a.macroRepeatMode, b.macroRepeatMode) ||
           Differs(a.macroRepeatCount, b.macroRepeatCount) ||
           std::memcmp(&a.macroOption, &b.macroOption, kOptionWord) != 0 ||
           Differs(a.macroActions, b.macroActions);
}

}  // namespace

ChangeFlags DetectChanges(const ProfileRecord& current, const ProfileRecord& lastApplied) {
    const int s = ActiveSlotIndex(current);
    const ProfileSlot& a = current.slots[s];
    const ProfileSlot& b = lastApplied.slots[s];
    ChangeFlags flags;
    flags.dpiChanged = DpiDiffers(a, b);
    flags.rateChanged = Differs(a.reportRate, b.reportRate);
    flags.lightChanged = LightDiffers(a, b);
    flags.buttonsChanged = ButtonAreaDiffers(a, b);
    bool anyMacro = false;
    for (int j = 0; j < kButtonCount; ++j) {
        flags.macroChanged[j] = MacroDiffers(a.buttons[j], b.buttons[j]);
        anyMacro = anyMacro || flags.macroChanged[j];
    }
    flags.anyChanged = current.activeSlot != lastApplied.activeSlot || flags.dpiChanged ||
                       flags.rateChanged || flags.lightChanged || flags.buttonsChanged || anyMacro;
    return flags;
}

ChangeFlags AllChanged() {
    ChangeFlags flags;
    flags.anyChanged = flags.dpiChanged = flags.rateChanged = flags.lightChanged =
        flags.buttonsChanged = true;
    flags.macroChanged.fill(true);
    return flags;
}

void Merge(ChangeFlags& flags, const ChangeFlags& more) {
    flags.dpiChanged = flags.dpiChanged || more.dpiChanged;
    flags.rateChanged = flags.rateChanged || more.rateChanged;
    flags.lightChanged = flags.lightChanged || more.lightChanged;
    flags.buttonsChanged = flags.buttonsChanged || more.buttonsChanged;
    for (int j = 0; j < kButtonCount; ++j) {
        flags.macroChanged[j] = flags.macroChanged[j] || more.macroChanged[j];
    }
    flags.anyChanged = flags.anyChanged || more.anyChanged || AnyGroup(more);
}

bool AnyGroup(const ChangeFlags& flags) {
    bool any = flags.dpiChanged || flags.rateChanged || flags.lightChanged || flags.buttonsChanged;
    for (const bool macro : flags.macroChanged) {
        any = any || macro;
    }
    return any;
}
