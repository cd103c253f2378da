// What the simulated hidapi tells about its handles, for tests and the demo's control panel: a
// device event pressed before the driver's monitor has opened its handle would be lost, as it would
// on real hardware, so whoever needs the first event waits for the readers first. Also the faults
// of the USB side that the mouse model itself does not know.
#pragma once

#include <chrono>
#include <cstdint>

#include "sim/hidapi/shared_mouse.h"

namespace sim {

// Waits until at least `count` live handles are open on the vendor interface of `link` (the cable
// or the receiver), or `limit` has passed; returns whether they are.
TALVORE_SIM_API bool WaitForEventReaders(Link link, int count, std::chrono::milliseconds limit);

// The next `count` reads on the vendor interface of `link` (the cable or the receiver) fail the way
// hidraw fails a read whose wait a signal interrupted: -1, while the handle stays usable and the
// events stay queued. Zero clears what is left.
TALVORE_SIM_API void FailNextReads(Link link, int count);

// How many device lists hid_enumerate has built for `productId` in this process (0: for any
// product id).
TALVORE_SIM_API uint64_t EnumerationCount(unsigned short productId);

}  // namespace sim
