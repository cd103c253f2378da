// The window the input hook library posts its key events to (message 1034). The library keeps
// the struct it was given and may post from its own thread at any moment, even after removehook,
// so what it holds points at one relay that lives as long as the program and forwards to the
// window that installed the hook last, or nowhere once that window let go.
#pragma once

#include "link/driver_abi.h"
#include "ui/message_poster.h"

namespace hook_target {

// Routes the hook's messages to `window` from now on; the result is what installhook takes.
const TalvoreWindow* RouteTo(MessagePoster window);
// Drops whatever the hook posts from now on.
void Release();

}  // namespace hook_target
