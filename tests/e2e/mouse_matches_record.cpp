#include "tests/e2e/mouse_matches_record.h"

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

// A button's function code and the three bytes the mouse keeps for it.
struct FunctionBytes {
    uint8_t code;
    uint8_t t1;
    uint8_t t2;
    uint8_t t3;
};

constexpr FunctionBytes kFunctionBytes[] = {
    {0x00, 0x01, 0x00, 0x00}, {0x01, 0x02, 0x00, 0x00}, {0x02, 0x03, 0x00, 0x00},
    {0x03, 0x04, 0x00, 0x00}, {0x04, 0x06, 0x00, 0x00}, {0x05, 0x05, 0x00, 0x00},
    {0x09, 0x07, 0x00, 0x00}, {0x0A, 0x08, 0x00, 0x00}, {0x0B, 0x09, 0x00, 0x00},
    {0x0C, 0x0A, 0x00, 0x00}, {0x0D, 0x0B, 0x00, 0x00}, {0x0E, 0x0C, 0x00, 0x00},
    {0x06, 0x0D, 0x00, 0x00}, {0x07, 0x0E, 0x00, 0x00}, {0x08, 0x0F, 0x00, 0x00},
    {0x34, 0x3C, 0x00, 0x00}, {0x10, 0x11, 0x00, 0x00}, {0x11, 0x12, 0x00, 0x00},
    {0x13, 0x13, 0x00, 0x00}, {0x73, 0x14, 0x00, 0x00}, {0x15, 0x2B, 0x00, 0x00},
    {0x16, 0x10, 0x00, 0x03}, {0x17, 0x29, 0x00, 0x03}, {0x36, 0x34, 0x00, 0x00},
    {0x37, 0x35, 0x00, 0x00}, {0x38, 0x36, 0x00, 0x00}, {0x40, 0x15, 0x00, 0x00},
    {0x43, 0x16, 0x00, 0x00}, {0x44, 0x17, 0x00, 0x00}, {0x41, 0x18, 0x00, 0x00},
    {0x42, 0x19, 0x00, 0x00}, {0x47, 0x1A, 0x00, 0x00}, {0x45, 0x1B, 0x00, 0x00},
    {0x46, 0x1C, 0x00, 0x00}, {0x58, 0x1D, 0x00, 0x00}, {0x57, 0x1E, 0x00, 0x00},
    {0x51, 0x11, 0x03, 0x12}, {0x52, 0x20, 0x00, 0x00}, {0x53, 0x21, 0x00, 0x00},
    {0x54, 0x22, 0x00, 0x00}, {0x59, 0x23, 0x00, 0x00}, {0x55, 0x24, 0x00, 0x00},
    {0x50, 0x25, 0x00, 0x00}, {0x56, 0x26, 0x00, 0x00}, {0x20, 0x11, 0x01, 0x1B},
    {0x21, 0x11, 0x01, 0x06}, {0x22, 0x11, 0x01, 0x19}, {0x23, 0x11, 0x01, 0x12},
    {0x2F, 0x11, 0x01, 0x11}, {0x24, 0x11, 0x01, 0x16}, {0x29, 0x11, 0x01, 0x13},
    {0x25, 0x11, 0x01, 0x09}, {0x26, 0x11, 0x01, 0x1C}, {0x33, 0x11, 0x08, 0x2B},
    {0x27, 0x11, 0x01, 0x1D}, {0x30, 0x3D, 0x00, 0x00}, {0x31, 0x3E, 0x00, 0x00},
    {0x28, 0x11, 0x01, 0x04}, {0x2B, 0x11, 0x04, 0x2B}, {0x2C, 0x11, 0x08, 0x07},
    {0x2A, 0x11, 0x04, 0x3D}, {0x2D, 0x11, 0x08, 0x15}, {0x2E, 0x11, 0x08, 0x0F},
    {0x32, 0x11, 0x0A, 0x16},
};

// The mouse's macro slot behind each button position; position 13 uses slot 15.
constexpr uint8_t kMacroSlotOfPosition[18] = {1,  2,  3,  4,  5,  6,  7,  8,  9,
                                              10, 11, 12, 13, 15, 16, 17, 18, 0};

constexpr int kPairCapacity = 50;
constexpr int kMaxSplitDelays = 10;
constexpr int kLongestShortDelayMs = 1270;

uint8_t Low(int64_t value) {
    return static_cast<uint8_t>(value & 0xFF);
}

sim::Rgb ColorOf(uint32_t stored) {
    return sim::Rgb{Low(stored), Low(stored >> 8), Low(stored >> 16)};
}

uint8_t RateCodeOf(int32_t index) {
    switch (index) {
        case 0:
            return 8;
        case 1:
            return 4;
        case 2:
            return 2;
        case 3:
            return 1;
        default:
            return 2;
    }
}

// Tenths of a second, rounded half up the way the device's encoder does it (single precision).
int Tenths(int milliseconds) {
    return static_cast<int>(static_cast<float>(milliseconds) / 10.0f + 0.5f);
}

// Collects every mismatch, so one failing apply names all the settings that went wrong.
class Mismatches {
public:
    void Equal(const std::string& what, int64_t onMouse, int64_t wanted) {
        if (onMouse != wanted) {
            out_ << "\n  " << what << ": mouse has " << onMouse << ", record wants " << wanted;
            any_ = true;
        }
    }
    void Color(const std::string& what, const sim::Rgb& onMouse, const sim::Rgb& wanted) {
        Equal(what + " red", onMouse.r, wanted.r);
        Equal(what + " green", onMouse.g, wanted.g);
        Equal(what + " blue", onMouse.b, wanted.b);
    }
    void Fail(const std::string& what) {
        out_ << "\n  " << what;
        any_ = true;
    }
    ::testing::AssertionResult Result() const {
        if (!any_) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "the mouse differs from the profile:" << out_.str();
    }

private:
    std::ostringstream out_;
    bool any_ = false;
};

std::string Indexed(const char* name, int index) {
    return std::string(name) + "[" + std::to_string(index) + "]";
}

void CompareDpi(const sim::DpiSettings& dpi, const ProfileSlot& slot, Mismatches& m) {
    uint8_t mask = 0;
    for (int k = 0; k < kDpiStageCount; ++k) {
        m.Equal(Indexed("DPI of stage", k), dpi.dpi[k],
                static_cast<uint16_t>(slot.dpiValue[k] * 100));
        m.Color(Indexed("colour of stage", k), dpi.colors[k], ColorOf(slot.dpiColor[k]));
        if (slot.dpiStageEnabled[k] == 1) {
            mask = static_cast<uint8_t>(mask | 1u << k);
        }
    }
    m.Equal("stage mask", dpi.stageMask, mask);
    m.Equal("current stage (1-based)", dpi.currentStage, Low(slot.dpiStage + 1));
    m.Equal("DPI parameter A", dpi.paramA, Low(slot.dpiParamA));
    m.Equal("DPI parameter B", dpi.paramB, Low(slot.dpiParamB));
}

void CompareLighting(const sim::LightingSettings& light, const ProfileSlot& slot, Mismatches& m) {
    m.Equal("lighting mode", light.mode, slot.lightMode & 0x0F);
    m.Equal("lighting speed", light.speed, slot.lightSpeed);
    // Only the breathing effects take a brightness; the others are sent with 8.
    const bool breathing = slot.lightMode == 1 || slot.lightMode == 9;
    m.Equal("brightness", light.brightness, breathing ? slot.lightBrightness : 8);
    m.Color("lighting colour", light.color, ColorOf(slot.lightColor));
    m.Equal("sleep timer", light.sleepTimer, Low(slot.sleepTimer));
    m.Equal("light-off timer", light.lightOffTimer, Low(slot.lightOffTimer));
    m.Equal("button mode", light.buttonMode, Low(slot.buttonMode));
}

void CompareButton(const sim::ButtonFunction& onMouse, const ButtonEntry& entry, int position,
                   Mismatches& m) {
    const auto* row =
        std::find_if(std::begin(kFunctionBytes), std::end(kFunctionBytes),
                     [&](const FunctionBytes& r) { return r.code == entry.functionCode; });
    FunctionBytes wanted = row != std::end(kFunctionBytes) ? *row : FunctionBytes{};
    if (entry.functionCode == kFunctionShortcut) {
        wanted.t2 = entry.shortcutModifiers;
        wanted.t3 = entry.shortcutUsage;
    } else if (entry.functionCode == kFunctionMacro) {
        wanted.t2 = 0;
        wanted.t3 = kMacroSlotOfPosition[position];
    }
    m.Equal(Indexed("button T1", position), onMouse.t1, wanted.t1);
    m.Equal(Indexed("button T2", position), onMouse.t2, wanted.t2);
    m.Equal(Indexed("button T3", position), onMouse.t3, wanted.t3);
}

// The macro as the mouse decodes it: one action per pair, a long delay's (units, 0x03) pair
// joined to its action; at most 50 pairs reach the mouse and at most 10 delays are split.
void CompareMacro(const sim::DecodedMacro& macro, const ButtonEntry& entry, int position,
                  Mismatches& m) {
    const std::string name = Indexed("macro of button", position);
    m.Equal(name + " repeat mode", macro.repeatMode, Low(entry.macroRepeatMode));
    m.Equal(name + " option", macro.option, entry.macroOption);
    const uint8_t count = Low(entry.macroRepeatCount);
    m.Equal(name + " repeat count", macro.repeatCount, count == 0 ? 1 : count);

    const int actionCount = std::min<int>(entry.macroActionCount, kMacroMaxActions);
    int pairs = 0;
    int splits = 0;
    std::size_t decoded = 0;
    for (int i = 0; i < actionCount; ++i) {
        const MacroAction& action = entry.macroActions[i];
        const int delay = action.delay;
        const bool longDelay = delay > kLongestShortDelayMs;
        const bool split = longDelay && splits < kMaxSplitDelays;
        int rest = longDelay ? delay % 200 : delay;
        rest = rest == 0 ? 1 : rest;
        const uint8_t flag = action.kind == kActionPress ? 0x01 : 0x81;
        const uint8_t timeByte = static_cast<uint8_t>(Tenths(rest) | flag);
        const int units = split ? delay / 200 : 0;

        const bool fits = pairs < kPairCapacity;
        const bool splitFits = split && pairs + 1 < kPairCapacity;
        pairs += split ? 2 : 1;
        splits += split ? 1 : 0;
        if (!fits) {
            continue;
        }
        const std::string what = name + Indexed(" action", i);
        if (decoded >= macro.actions.size()) {
            m.Fail(what + " is missing on the mouse");
            continue;
        }
        const sim::DecodedMacroAction& got = macro.actions[decoded++];
        m.Equal(what + " code", got.code, action.code);
        m.Equal(what + " kind", got.kind,
                action.kind == kActionPress ? sim::kMacroPress : sim::kMacroRelease);
        m.Equal(what + " time byte", got.timeByte, timeByte);
        m.Equal(what + " split delay", got.longDelay, splitFits);
        m.Equal(what + " units of 200 ms", got.longDelayUnits, splitFits ? Low(units) : 0);
        // Tenths round to the nearest 10 ms and the press/release flag owns bit 0 of the time
        // byte, so the mouse plays the delay up to 5 ms early or 15 ms late.
        const int64_t wantedMs = splitFits ? delay : rest;
        const int64_t gotMs = got.delayMs;
        if (gotMs < wantedMs - 5 || gotMs > wantedMs + 15) {
            m.Equal(what + " delay in ms", gotMs, wantedMs);
        }
    }
    m.Equal(name + " pair count", macro.pairCount, Low(pairs));
    m.Equal(name + " actions on the mouse", static_cast<int64_t>(macro.actions.size()),
            static_cast<int64_t>(decoded));
}

}  // namespace

::testing::AssertionResult MouseMatchesRecord(const sim::MouseSettings& mouse,
                                              const ProfileRecord& record, RateCheck rate) {
    const ProfileSlot& slot = record.slots[0];
    Mismatches m;
    CompareDpi(mouse.dpi, slot, m);
    CompareLighting(mouse.lighting, slot, m);
    if (rate == RateCheck::Compare) {
        m.Equal("report-rate code", mouse.rateCode, RateCodeOf(slot.reportRate));
    }
    for (int j = 0; j < kButtonCount; ++j) {
        const ButtonEntry& entry = slot.buttons[j];
        CompareButton(mouse.buttons[j], entry, j, m);
        if (entry.functionCode != kFunctionMacro) {
            continue;
        }
        // The macro report is numbered by button (position + 1), not by the macro slot.
        const auto found = mouse.macros.find(static_cast<uint8_t>(j + 1));
        if (found == mouse.macros.end()) {
            m.Fail(Indexed("macro of button", j) + " never reached the mouse");
        } else {
            CompareMacro(found->second, entry, j, m);
        }
    }
    return m.Result();
}
