// What the mouse's firmware holds, in its own decoded form: the values as the reports carry them,
// not as the profile record stores them.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace sim {

inline constexpr int kStageCount = 8;
inline constexpr int kButtonCount = 18;
inline constexpr int kMacroPairCapacity = 50;  // bytes 29..128 of the macro report

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct DpiSettings {
    std::array<uint16_t, kStageCount> dpi{};  // in DPI, e.g. 800
    uint8_t currentStage = 1;                 // 1-based, as on the wire
    uint8_t stageMask = 0;                    // bit k: stage k+1 in use
    std::array<Rgb, kStageCount> colors{};
    uint8_t paramA = 0;
    uint8_t paramB = 0;
    friend bool operator==(const DpiSettings&, const DpiSettings&) = default;
};

struct LightingSettings {
    uint8_t mode = 0;        // 0..15
    int speed = 0;           // 9 minus the value on the wire
    uint8_t brightness = 0;  // low nibble of byte 5; the wire carries 8 unless mode is 1 or 9
    Rgb color;
    uint8_t sleepTimer = 0;     // minutes, put back together from two nibbles
    uint8_t lightOffTimer = 0;  // half-minutes
    uint8_t buttonMode = 0;
    friend bool operator==(const LightingSettings&, const LightingSettings&) = default;
};

// The three bytes a button's function is sent as.
struct ButtonFunction {
    uint8_t t1 = 0;
    uint8_t t2 = 0;
    uint8_t t3 = 0;
    friend bool operator==(const ButtonFunction&, const ButtonFunction&) = default;
};

inline constexpr uint8_t kMacroPress = 1;
inline constexpr uint8_t kMacroRelease = 2;

// One action of a stored macro. The time byte holds tenths of a second in bits 1..6 with bit 0
// always set, so the delay comes back to within 10 ms of what the editor had.
struct DecodedMacroAction {
    uint8_t code = 0;
    uint8_t kind = kMacroPress;  // from bit 7 of the time byte
    uint32_t delayMs = 0;        // (time byte & 0x7F) * 10, plus 200 ms per unit of a joined pair
    uint8_t timeByte = 0;
    bool longDelay = false;      // a (q, 0x03) pair followed and was joined in
    uint8_t longDelayUnits = 0;  // q of that pair
    friend bool operator==(const DecodedMacroAction&, const DecodedMacroAction&) = default;
};

struct DecodedMacro {
    uint8_t repeatMode = 0;
    uint8_t option = 0;  // carried three times, all equal
    uint8_t repeatCount = 0;
    uint8_t pairCount = 0;  // byte 28 as sent; may exceed the pairs that fit
    std::vector<DecodedMacroAction> actions;
    friend bool operator==(const DecodedMacro&, const DecodedMacro&) = default;
};

struct MouseSettings {
    DpiSettings dpi;
    LightingSettings lighting;
    uint8_t rateCode = 4;  // 8, 4, 2 or 1 (ms between reports)
    std::array<ButtonFunction, kButtonCount> buttons{};
    std::map<uint8_t, DecodedMacro> macros;  // by macro number (byte 2 of the macro report)
    int startReports = 0;                    // 0x0C reports taken
    friend bool operator==(const MouseSettings&, const MouseSettings&) = default;
};

// The state the mouse leaves the factory with: the same as a new profile.
MouseSettings FactorySettings();

}  // namespace sim
