#include "sim/report_decoder.h"

#include <cstdio>

namespace sim {

namespace {

RejectReason CheckFrame(const uint8_t* data, std::size_t length, std::size_t expected,
                        uint8_t number) {
    if (length != expected) {
        return "report " + HexByte(data[0]) + " is " + std::to_string(length) +
               " bytes, expected " + std::to_string(expected);
    }
    if (data[1] != length) {
        return "length byte " + HexByte(data[1]) + " does not match " + std::to_string(length) +
               " bytes";
    }
    if (data[2] != number) {
        return "byte 2 is " + HexByte(data[2]) + ", expected " + HexByte(number);
    }
    return {};
}

RejectReason CheckSum(const uint8_t* data, std::size_t sumAt) {
    const uint16_t sum = ReportSum(data, 3, sumAt - 1);
    const uint16_t carried = static_cast<uint16_t>(data[sumAt] << 8 | data[sumAt + 1]);
    if (sum != carried) {
        return "checksum " + HexByte(carried) + " should be " + HexByte(sum);
    }
    return {};
}

RejectReason CheckZero(const uint8_t* data, std::size_t first, std::size_t last) {
    for (std::size_t i = first; i <= last; ++i) {
        if (data[i] != 0) {
            return "byte " + std::to_string(i) + " is " + HexByte(data[i]) + ", expected 0";
        }
    }
    return {};
}

RejectReason DecodeStart(const uint8_t* data, std::size_t length, MouseSettings& settings) {
    if (auto reason = CheckFrame(data, length, kStartReportLength, 0x01); !reason.empty()) {
        return reason;
    }
    if (data[3] != 0xFE || data[4] != 0x02 || data[5] != 0xFD) {
        return "start report payload is not FE 02 FD";
    }
    if (auto reason = CheckZero(data, 6, 9); !reason.empty()) {
        return reason;
    }
    ++settings.startReports;
    return {};
}

RejectReason DecodeDpi(const uint8_t* data, std::size_t length, MouseSettings& settings) {
    if (auto reason = CheckFrame(data, length, kDpiReportLength, 0x01); !reason.empty()) {
        return reason;
    }
    if (auto reason = CheckSum(data, 50); !reason.empty()) {
        return reason;
    }
    if (data[49] != 0x02) {
        return "byte 49 is " + HexByte(data[49]) + ", expected 0x02";
    }
    if (auto reason = CheckZero(data, 6, 7); !reason.empty()) {
        return reason;
    }
    if (auto reason = CheckZero(data, 52, 55); !reason.empty()) {
        return reason;
    }
    DpiSettings dpi;
    dpi.paramA = data[3];
    dpi.paramB = data[4];
    dpi.stageMask = data[5];
    for (int k = 0; k < kStageCount; ++k) {
        dpi.dpi[k] = static_cast<uint16_t>(data[16 + k] << 8 | data[8 + k]);
        dpi.colors[k] = Rgb{data[25 + 3 * k], data[26 + 3 * k], data[27 + 3 * k]};
    }
    dpi.currentStage = data[24];
    settings.dpi = dpi;
    return {};
}

RejectReason DecodeLighting(const uint8_t* data, std::size_t length, MouseSettings& settings) {
    if (auto reason = CheckFrame(data, length, kLightingReportLength, 0x01); !reason.empty()) {
        return reason;
    }
    if (auto reason = CheckSum(data, 11); !reason.empty()) {
        return reason;
    }
    if (auto reason = CheckZero(data, 13, 14); !reason.empty()) {
        return reason;
    }
    if ((data[3] & 0x0F) != 0) {
        return "lighting mode byte " + HexByte(data[3]) + " has a low nibble";
    }
    LightingSettings lighting;
    lighting.mode = data[3] >> 4;
    lighting.speed = 9 - (data[4] & 0x0F);
    lighting.sleepTimer = static_cast<uint8_t>((data[4] & 0xF0) | data[5] >> 4);
    lighting.brightness = data[5] & 0x0F;
    // Only the breathing effects take a brightness; the others always carry 8.
    if (lighting.mode != 1 && lighting.mode != 9 && lighting.brightness != 8) {
        return "brightness " + std::to_string(lighting.brightness) + " sent with mode " +
               std::to_string(lighting.mode) + ", expected 8";
    }
    lighting.color = Rgb{data[6], data[7], data[8]};
    lighting.lightOffTimer = data[9];
    lighting.buttonMode = data[10];
    settings.lighting = lighting;
    return {};
}

RejectReason DecodeRate(const uint8_t* data, std::size_t length, MouseSettings& settings) {
    if (auto reason = CheckFrame(data, length, kRateReportLength, 0x01); !reason.empty()) {
        return reason;
    }
    if (static_cast<uint8_t>(~data[3]) != data[4]) {
        return "rate complement " + HexByte(data[4]) + " does not match " + HexByte(data[3]);
    }
    if (data[3] != 8 && data[3] != 4 && data[3] != 2 && data[3] != 1) {
        return "unknown rate code " + HexByte(data[3]);
    }
    if (auto reason = CheckZero(data, 5, 8); !reason.empty()) {
        return reason;
    }
    settings.rateCode = data[3];
    return {};
}

RejectReason DecodeButtons(const uint8_t* data, std::size_t length, MouseSettings& settings) {
    if (auto reason = CheckFrame(data, length, kButtonReportLength, 0x01); !reason.empty()) {
        return reason;
    }
    if (auto reason = CheckSum(data, 57); !reason.empty()) {
        return reason;
    }
    for (int j = 0; j < kButtonCount; ++j) {
        settings.buttons[j] = ButtonFunction{data[3 + 3 * j], data[4 + 3 * j], data[5 + 3 * j]};
    }
    return {};
}

// Pairs are (time byte, code); a long delay adds a (units of 200 ms, 0x03) pair after its action.
std::vector<DecodedMacroAction> DecodePairs(const uint8_t* pairs, int pairCount) {
    std::vector<DecodedMacroAction> actions;
    for (int i = 0; i < pairCount; ++i) {
        const uint8_t first = pairs[2 * i];
        const uint8_t second = pairs[2 * i + 1];
        if (second == 0x03 && !actions.empty() && !actions.back().longDelay) {
            actions.back().longDelay = true;
            actions.back().longDelayUnits = first;
            actions.back().delayMs += 200u * first;
            continue;
        }
        DecodedMacroAction action;
        action.code = second;
        action.timeByte = first;
        action.kind = (first & 0x80) ? kMacroRelease : kMacroPress;
        action.delayMs = (first & 0x7Fu) * 10u;
        actions.push_back(action);
    }
    return actions;
}

RejectReason DecodeMacro(const uint8_t* data, std::size_t length, MouseSettings& settings) {
    if (length != kMacroReportLength) {
        return "macro report is " + std::to_string(length) + " bytes, expected 131";
    }
    if (data[1] != 0x83) {
        return "length byte " + HexByte(data[1]) + " does not match 131 bytes";
    }
    if (data[2] < 1 || data[2] > kButtonCount) {
        return "macro number " + std::to_string(data[2]) + " is outside 1..18";
    }
    if (auto reason = CheckSum(data, 129); !reason.empty()) {
        return reason;
    }
    if (data[4] != data[5] || data[4] != data[6]) {
        return "macro option bytes differ";
    }
    if (data[7] == 0) {
        return "macro repeat count 0";
    }
    if (auto reason = CheckZero(data, 8, 27); !reason.empty()) {
        return reason;
    }
    DecodedMacro macro;
    macro.repeatMode = data[3];
    macro.option = data[4];
    macro.repeatCount = data[7];
    macro.pairCount = data[28];
    const int pairsPresent =
        macro.pairCount < kMacroPairCapacity ? macro.pairCount : kMacroPairCapacity;
    macro.actions = DecodePairs(data + 29, pairsPresent);
    settings.macros[data[2]] = std::move(macro);
    return {};
}

}  // namespace

std::string HexByte(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

uint16_t ReportSum(const uint8_t* data, std::size_t first, std::size_t last) {
    uint16_t sum = 0;
    for (std::size_t i = first; i <= last; ++i) {
        sum = static_cast<uint16_t>(sum + data[i]);
    }
    return sum;
}

RejectReason DecodeReport(const uint8_t* data, std::size_t length, MouseSettings& settings) {
    if (data == nullptr || length < 3) {
        return "transfer of " + std::to_string(length) + " bytes is too short for a report";
    }
    // Decode into a copy so that a late check cannot leave half a report applied.
    MouseSettings decoded = settings;
    RejectReason reason;
    switch (data[0]) {
        case kReportStart:
            reason = DecodeStart(data, length, decoded);
            break;
        case kReportDpi:
            reason = DecodeDpi(data, length, decoded);
            break;
        case kReportLighting:
            reason = DecodeLighting(data, length, decoded);
            break;
        case kReportRate:
            reason = DecodeRate(data, length, decoded);
            break;
        case kReportButtons:
            reason = DecodeButtons(data, length, decoded);
            break;
        case kReportMacro:
            reason = DecodeMacro(data, length, decoded);
            break;
        default:
            return "unknown report " + HexByte(data[0]);
    }
    if (reason.empty()) {
        settings = std::move(decoded);
    }
    return reason;
}

}  // namespace sim
