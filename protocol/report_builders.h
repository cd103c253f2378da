// Builders of the configuration reports sent to the mouse.
//
// Frame: byte 0 report ID, byte 1 total length, byte 2 a number (1 for the settings, the button
// number for a macro), then the payload and, for most reports, a big-endian 16-bit checksum.
// Every builder reads slot 0 of the record, whatever activeSlot says, and never reads or writes
// outside the record or its own buffer, whatever the record holds: values wider than a report
// field are cut to the field. Unused bytes are 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/profile_record.h"

inline constexpr uint8_t kReportId0C = 0x0C;
inline constexpr uint8_t kReportIdDpi = 0x04;
inline constexpr uint8_t kReportIdLighting = 0x05;
inline constexpr uint8_t kReportIdRate = 0x06;
inline constexpr uint8_t kReportIdButtons = 0x08;
inline constexpr uint8_t kReportIdMacro = 0x09;

inline constexpr std::size_t kReport0CSize = 10;
inline constexpr std::size_t kDpiReportSize = 56;
inline constexpr std::size_t kLightingReportSize = 15;
inline constexpr std::size_t kRateReportSize = 9;
inline constexpr std::size_t kButtonReportSize = 59;
inline constexpr std::size_t kMacroReportSize = 131;

// A macro report holds at most this many action pairs, and splits at most this many long delays.
inline constexpr int kMacroReportMaxPairs = 50;
inline constexpr int kMacroReportMaxSplits = 10;

using Report0C = std::array<uint8_t, kReport0CSize>;
using DpiReport = std::array<uint8_t, kDpiReportSize>;
using LightingReport = std::array<uint8_t, kLightingReportSize>;
using RateReport = std::array<uint8_t, kRateReportSize>;
using ButtonReport = std::array<uint8_t, kButtonReportSize>;
using MacroReport = std::array<uint8_t, kMacroReportSize>;

// Wrapping 16-bit sum of bytes [first, end) taken as unsigned.
uint16_t ReportChecksum(const uint8_t* bytes, std::size_t first, std::size_t end);

// Sent before any other report whenever anything changed.
Report0C BuildReport0C();
DpiReport BuildDpiReport(const ProfileRecord& record);
LightingReport BuildLightingReport(const ProfileRecord& record);
RateReport BuildRateReport(const ProfileRecord& record);
ButtonReport BuildButtonReport(const ProfileRecord& record);
// The macro of button position 0..17; another position yields an all-zero buffer.
MacroReport BuildMacroReport(const ProfileRecord& record, int button);

// The delay byte of a macro pair: delay / 10, rounded half up in single precision.
int MacroDelayTenths(int milliseconds);
