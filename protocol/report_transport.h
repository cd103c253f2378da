// One way of handing a report to the mouse: the wired or receiver driver's SetFeature, or the
// Bluetooth write. Returns true when the call succeeded.
#pragma once

#include <cstddef>
#include <cstdint>

class ReportTransport {
public:
    virtual ~ReportTransport() = default;
    virtual bool Send(const uint8_t* data, std::size_t length) = 0;
};
