// Hands the send engine's transfers to the simulated mouse over one link, as the driver library's
// SetFeature or the Bluetooth write would hand them to the real one. For tests, benchmarks and
// stress runs that drive the apply pipeline in-process.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/report_transport.h"
#include "sim/simulated_mouse.h"

namespace sim {

class MouseTransport final : public ReportTransport {
public:
    MouseTransport(SimulatedMouse& mouse, Link link) : mouse_(mouse), link_(link) {}
    bool Send(const uint8_t* data, std::size_t length) override {
        return mouse_.Receive(link_, data, length);
    }

private:
    SimulatedMouse& mouse_;
    Link link_;
};

}  // namespace sim
