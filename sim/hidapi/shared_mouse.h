// The one simulated mouse of a process, behind the simulated hidapi (libtalvore_simhid.so) and the
// simulated GATT backend. The demo's control panel and the tests reach it here to plug and unplug
// links, press its buttons and inject faults; the driver libraries reach it through hidapi.
//
// Its event and link sinks belong to this library: never call SetEventSink or SetLinkSink on it.
// Whoever wants its events adds a listener instead.
#pragma once

#include <chrono>

#include "sim/simulated_mouse.h"

#if defined(__GNUC__)
#define TALVORE_SIM_API __attribute__((visibility("default")))
#else
#define TALVORE_SIM_API
#endif

namespace sim {

// Created on first use with the links named by TALVORE_SIM_LINKS (see initial_links.h).
TALVORE_SIM_API SimulatedMouse& SharedMouse();

// Listeners get every event and link change of the shared mouse, on the thread that caused it.
// They must not block; they may call back into the mouse. Returns an id for removal.
TALVORE_SIM_API int AddSharedMouseListener(EventSink events, LinkSink links);
// Once this returns the listener is not called again (unless called from inside that listener,
// when the running call finishes first).
TALVORE_SIM_API void RemoveSharedMouseListener(int id);

// While the receiver is plugged and the mouse awake, it sends its power status this often, as the
// real mouse does, so the receiver's watchdog sees it awake. Zero stops it; the default is 2 s.
inline constexpr std::chrono::milliseconds kDefaultStatusPeriod{2000};
TALVORE_SIM_API void SetSharedMouseStatusPeriod(std::chrono::milliseconds period);

}  // namespace sim
