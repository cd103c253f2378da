#include "macro/dialogs/hook_target.h"

#include <mutex>

namespace hook_target {
namespace {

struct Relay {
    std::mutex mutex;
    MessagePoster window;
};

// Never destroyed: the hook's thread may outlive every window and the end of main().
Relay& TheRelay() {
    static Relay* relay = new Relay;
    return *relay;
}

void Forward(void* context, uint32_t message, uint64_t wParam, int64_t lParam) {
    auto* relay = static_cast<Relay*>(context);
    const std::lock_guard lock(relay->mutex);
    relay->window.Post(message, static_cast<quintptr>(wParam), static_cast<qintptr>(lParam));
}

}  // namespace

const TalvoreWindow* RouteTo(MessagePoster window) {
    Relay& relay = TheRelay();
    {
        const std::lock_guard lock(relay.mutex);
        relay.window = std::move(window);
    }
    static const TalvoreWindow target{&relay, &Forward};
    return &target;
}

void Release() {
    Relay& relay = TheRelay();
    const std::lock_guard lock(relay.mutex);
    relay.window = MessagePoster();
}

}  // namespace hook_target
