// Helpers shared by the protocol tests: expected bytes written as hex text.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

// "09 83 03" -> {0x09, 0x83, 0x03}. Expected reports are written this way, straight from the
// report tables.
inline std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> bytes;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        bytes.push_back(static_cast<uint8_t>(std::strtoul(token.c_str(), nullptr, 16)));
    }
    return bytes;
}

template <std::size_t N>
std::vector<uint8_t> Bytes(const std::array<uint8_t, N>& report) {
    return {report.begin(), report.end()};
}

// n zero bytes as hex text, for the long runs of unused report bytes.
inline std::string Zeros(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) {
        text += " 00";
    }
    return text;
}
