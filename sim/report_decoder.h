// Checks a whole configuration report as the mouse receives it and, when every check passes,
// writes what it carries into the mouse's settings. A report that fails a check changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sim/mouse_settings.h"

namespace sim {

inline constexpr uint8_t kReportStart = 0x0C;
inline constexpr uint8_t kReportDpi = 0x04;
inline constexpr uint8_t kReportLighting = 0x05;
inline constexpr uint8_t kReportRate = 0x06;
inline constexpr uint8_t kReportButtons = 0x08;
inline constexpr uint8_t kReportMacro = 0x09;

inline constexpr std::size_t kStartReportLength = 10;
inline constexpr std::size_t kDpiReportLength = 56;
inline constexpr std::size_t kLightingReportLength = 15;
inline constexpr std::size_t kRateReportLength = 9;
inline constexpr std::size_t kButtonReportLength = 59;
inline constexpr std::size_t kMacroReportLength = 131;

// Empty when accepted, else why the report was refused.
using RejectReason = std::string;

RejectReason DecodeReport(const uint8_t* data, std::size_t length, MouseSettings& settings);

// "0x0C": bytes as the reasons for rejections print them.
std::string HexByte(unsigned value);

// The 16-bit wrapping sum of data[first..last], the way the reports carry it (high byte first).
uint16_t ReportSum(const uint8_t* data, std::size_t first, std::size_t last);

}  // namespace sim
