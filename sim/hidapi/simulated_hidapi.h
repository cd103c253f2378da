// What the simulated hidapi tells about its handles, for tests and the demo's control panel: a
// device event pressed before the driver's monitor has opened its handle would be lost, as it would
// on real hardware, so whoever needs the first event waits for the readers first.
#pragma once

#include <chrono>

#include "sim/hidapi/shared_mouse.h"

namespace sim {

// Waits until at least `count` live handles are open on the vendor interface of `link` (the cable
// or the receiver), or `limit` has passed; returns whether they are.
TALVORE_SIM_API bool WaitForEventReaders(Link link, int count, std::chrono::milliseconds limit);

}  // namespace sim
