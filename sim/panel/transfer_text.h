// How the panel writes down what the mouse received and what it holds, as short lines of text.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "sim/mouse_settings.h"
#include "sim/simulated_mouse.h"

namespace sim {

// The first `shown` bytes in upper-case hex, space separated, with "… (+n)" when more follow.
QString ShortHex(const std::vector<uint8_t>& bytes, int shown);

// "receiver · 9 bytes · accepted" or "cable · 3 bytes · rejected: <reason>".
QString TransferVerdict(const TransferLogEntry& entry);

// "Stage 4 of 6 · 2400 DPI"; a stage outside the table shows without its DPI.
QString DpiStageText(const DpiSettings& dpi);

// The indicator colours of the stages in use and the lighting colour as coloured squares (rich
// text), so a chosen colour can be seen arriving.
QString ColorsText(const DpiSettings& dpi, const Rgb& lighting);

// "4 ms · 250 Hz" for the rate codes 8, 4, 2, 1.
QString ReportRateText(uint8_t rateCode);

// What a button does, from the three bytes it was sent as: "left click", "keys Ctrl+Shift 0x06",
// "macro 7", or "function 0x3C" for a function without a short name.
QString ButtonFunctionText(const ButtonFunction& function);

// "0x1069 = 4 over the receiver".
QString EventText(Link link, uint16_t key, uint16_t value);

}  // namespace sim
