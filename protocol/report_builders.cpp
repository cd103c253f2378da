#include "protocol/report_builders.h"

#include <algorithm>

#include "protocol/report_tables.h"

namespace {

// Values wider than their field are cut to the low byte; unsigned arithmetic keeps damaged
// values (huge or negative) free of overflow.
uint8_t LowByte(uint32_t value) {
    return static_cast<uint8_t>(value & 0xFF);
}
uint8_t LowByte(int32_t value) {
    return LowByte(static_cast<uint32_t>(value));
}

// The checksum covers bytes 3..at-1 and is stored high byte first at `at`.
void PutChecksum(uint8_t* report, std::size_t at) {
    const uint16_t sum = ReportChecksum(report, 3, at);
    report[at] = static_cast<uint8_t>(sum >> 8);
    report[at + 1] = static_cast<uint8_t>(sum & 0xFF);
}

// Bytes R, G, B of a stored 0x00BBGGRR colour.
void PutColor(uint8_t* out, uint32_t stored) {
    out[0] = LowByte(stored);
    out[1] = LowByte(stored >> 8);
    out[2] = LowByte(stored >> 16);
}

uint8_t RateCode(int32_t reportRate) {
    switch (reportRate) {
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

// Writes the action pairs of a macro into bytes 29..128 and returns the number of pairs it
// yields, including those that do not fit.
int PutMacroPairs(MacroReport& report, const ButtonEntry& entry) {
    constexpr std::size_t kFirstPair = 29;
    const int count = std::min<int>(entry.macroActionCount, kMacroMaxActions);
    int pairs = 0;
    int splits = 0;
    auto put = [&](uint8_t first, uint8_t second) {
        if (pairs < kMacroReportMaxPairs) {
            report[kFirstPair + 2 * static_cast<std::size_t>(pairs)] = first;
            report[kFirstPair + 2 * static_cast<std::size_t>(pairs) + 1] = second;
        }
        ++pairs;
    };
    for (int i = 0; i < count; ++i) {
        const MacroAction& action = entry.macroActions[i];
        const uint8_t flag = action.kind == kActionPress ? 0x01 : 0x81;
        const int delay = action.delay;
        if (delay <= 1270) {
            put(static_cast<uint8_t>(MacroDelayTenths(std::max(delay, 1)) | flag), action.code);
            continue;
        }
        // A long delay becomes a remainder on the action and a count of 200 ms steps after it.
        const int steps = delay / 200;
        const int rest = std::max(delay % 200, 1);
        put(static_cast<uint8_t>(MacroDelayTenths(rest) | flag), action.code);
        if (splits < kMacroReportMaxSplits) {
            put(LowByte(static_cast<uint32_t>(steps)), 0x03);
            ++splits;
        }
    }
    return pairs;
}

}  // namespace

uint16_t ReportChecksum(const uint8_t* bytes, std::size_t first, std::size_t end) {
    uint16_t sum = 0;
    for (std::size_t i = first; i < end; ++i) {
        sum = static_cast<uint16_t>(sum + bytes[i]);
    }
    return sum;
}

int MacroDelayTenths(int milliseconds) {
    return static_cast<int>(static_cast<float>(milliseconds) / 10.0f + 0.5f);
}

Report0C BuildReport0C() {
    return {kReportId0C, kReport0CSize, 0x01, 0xFE, 0x02, 0xFD, 0, 0, 0, 0};
}

DpiReport BuildDpiReport(const ProfileRecord& record) {
    const ProfileSlot& slot = record.slots[0];
    DpiReport r{};
    r[0] = kReportIdDpi;
    r[1] = kDpiReportSize;
    r[2] = 0x01;
    r[3] = LowByte(slot.dpiParamA);
    r[4] = LowByte(slot.dpiParamB);
    uint8_t mask = 0;
    for (int k = 0; k < kDpiStageCount; ++k) {
        if (slot.dpiStageEnabled[k] == 1) {
            mask = static_cast<uint8_t>(mask | 1u << k);
        }
        const uint32_t dpi = static_cast<uint32_t>(slot.dpiValue[k]) * 100u;
        r[8 + k] = LowByte(dpi);
        r[16 + k] = LowByte(dpi >> 8);
        PutColor(&r[25 + 3 * static_cast<std::size_t>(k)], slot.dpiColor[k]);
    }
    r[5] = mask;
    r[24] = LowByte(static_cast<uint32_t>(slot.dpiStage) + 1u);
    r[49] = 0x02;
    PutChecksum(r.data(), 50);
    return r;
}

LightingReport BuildLightingReport(const ProfileRecord& record) {
    const ProfileSlot& slot = record.slots[0];
    const uint32_t mode = static_cast<uint32_t>(slot.lightMode);
    const uint32_t sleep = static_cast<uint32_t>(slot.sleepTimer);
    LightingReport r{};
    r[0] = kReportIdLighting;
    r[1] = kLightingReportSize;
    r[2] = 0x01;
    r[3] = LowByte(mode << 4);
    // The sleep time is split over two high nibbles; the speed is sent inverted.
    r[4] = static_cast<uint8_t>((LowByte(sleep) & 0xF0) |
                                LowByte(9u - static_cast<uint32_t>(slot.lightSpeed)));
    const uint8_t brightness =
        (slot.lightMode == 1 || slot.lightMode == 9) ? LowByte(slot.lightBrightness) : uint8_t{8};
    r[5] = static_cast<uint8_t>(LowByte(sleep << 4) | brightness);
    PutColor(&r[6], slot.lightColor);
    r[9] = LowByte(slot.lightOffTimer);
    r[10] = LowByte(slot.buttonMode);
    PutChecksum(r.data(), 11);
    return r;
}

RateReport BuildRateReport(const ProfileRecord& record) {
    const uint8_t code = RateCode(record.slots[0].reportRate);
    return {kReportIdRate, kRateReportSize, 0x01, code, static_cast<uint8_t>(~code), 0, 0, 0, 0};
}

ButtonReport BuildButtonReport(const ProfileRecord& record) {
    const ProfileSlot& slot = record.slots[0];
    ButtonReport r{};
    r[0] = kReportIdButtons;
    r[1] = kButtonReportSize;
    r[2] = 0x01;
    for (int j = 0; j < kButtonCount; ++j) {
        const ButtonEntry& entry = slot.buttons[j];
        const FunctionReportRow row = LookupFunctionReport(entry.functionCode);
        uint8_t t2 = row.t2;
        uint8_t t3 = row.t3;
        if (entry.functionCode == kFunctionShortcut) {
            t2 = entry.shortcutModifiers;
            t3 = entry.shortcutUsage;
        } else if (entry.functionCode == kFunctionMacro) {
            t2 = 0;
            t3 = LowByte(MacroSlotTable[j]);
        }
        const std::size_t at = 3 + 3 * static_cast<std::size_t>(j);
        r[at] = row.t1;
        r[at + 1] = t2;
        r[at + 2] = t3;
    }
    PutChecksum(r.data(), 57);
    return r;
}

MacroReport BuildMacroReport(const ProfileRecord& record, int button) {
    MacroReport r{};
    if (button < 0 || button >= kButtonCount) {
        return r;
    }
    const ButtonEntry& entry = record.slots[0].buttons[button];
    r[0] = kReportIdMacro;
    r[1] = kMacroReportSize;
    r[2] = static_cast<uint8_t>(button + 1);
    r[3] = LowByte(entry.macroRepeatMode);
    r[4] = r[5] = r[6] = entry.macroOption;
    const uint8_t repeat = LowByte(entry.macroRepeatCount);
    r[7] = repeat == 0 ? uint8_t{1} : repeat;
    // The count covers every pair, also those past the fiftieth that the report cannot hold.
    r[28] = LowByte(static_cast<uint32_t>(PutMacroPairs(r, entry)));
    PutChecksum(r.data(), 129);
    return r;
}
