#include "sim/hidapi/initial_links.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

namespace sim {

namespace {

std::string Normalised(std::string_view name) {
    const auto notSpace = [](unsigned char c) { return std::isspace(c) == 0; };
    auto begin = std::find_if(name.begin(), name.end(), notSpace);
    auto end = std::find_if(name.rbegin(), name.rend(), notSpace).base();
    std::string result(begin, begin < end ? end : begin);
    for (char& c : result) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

}  // namespace

InitialLinks ParseInitialLinks(const char* value) {
    if (value == nullptr) {
        return InitialLinks{};
    }
    InitialLinks links{false, false, false, false};
    std::string_view rest(value);
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string name = Normalised(rest.substr(0, comma));
        if (name == "cable") {
            links.cable = true;
        } else if (name == "receiver") {
            links.receiver = true;
        } else if (name == "awake") {
            links.awake = true;
        } else if (name == "ble") {
            links.bluetooth = true;
        } else if (!name.empty()) {
            std::fprintf(stderr, "simulated mouse: unknown link \"%s\" in %s ignored\n",
                         name.c_str(), kSimLinksVariable);
        }
        if (comma == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    return links;
}

int ParseInitialBattery(const char* value) {
    constexpr int kFull = 100;
    if (value == nullptr) {
        return kFull;
    }
    const std::string text = Normalised(value);
    int level = 0;
    bool valid = !text.empty() && text.size() <= 3;
    for (const char c : text) {
        valid = valid && std::isdigit(static_cast<unsigned char>(c)) != 0;
        level = level * 10 + (c - '0');
    }
    if (!valid || level > kFull) {
        std::fprintf(stderr, "simulated mouse: %s=\"%s\" is not a level from 0 to 100; 100 taken\n",
                     kSimBatteryVariable, value);
        return kFull;
    }
    return level;
}

}  // namespace sim
