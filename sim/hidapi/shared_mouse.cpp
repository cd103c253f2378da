#include "sim/hidapi/shared_mouse.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "sim/hidapi/initial_links.h"

namespace sim {

namespace {

class SharedMouseHub {
public:
    SharedMouseHub() {
        const InitialLinks links = ParseInitialLinks(std::getenv(kSimLinksVariable));
        mouse.SetCablePlugged(links.cable);
        mouse.SetReceiverPlugged(links.receiver);
        mouse.SetMouseAwake(links.awake);
        mouse.SetBluetoothConnected(links.bluetooth);
        mouse.SetBattery(ParseInitialBattery(std::getenv(kSimBatteryVariable)), false, false);
        mouse.SetEventSink([this](Link link, uint16_t key, uint16_t value) {
            Dispatch([&](const Listener& l) {
                if (l.events) {
                    l.events(link, key, value);
                }
            });
        });
        mouse.SetLinkSink([this](Link link, bool up) {
            Dispatch([&](const Listener& l) {
                if (l.links) {
                    l.links(link, up);
                }
            });
        });
        ticker_ = std::thread([this] { TickerLoop(); });
    }

    ~SharedMouseHub() {
        {
            std::lock_guard lock(tickerMutex_);
            stopTicker_ = true;
        }
        tickerWake_.notify_all();
        ticker_.join();
        mouse.SetEventSink({});
        mouse.SetLinkSink({});
    }

    SharedMouseHub(const SharedMouseHub&) = delete;
    SharedMouseHub& operator=(const SharedMouseHub&) = delete;

    int Add(EventSink events, LinkSink links) {
        std::lock_guard lock(listenersMutex_);
        const int id = ++lastId_;
        listeners_.push_back(Listener{id, std::move(events), std::move(links)});
        return id;
    }

    void Remove(int id) {
        // Taking the lock waits for a call running on another thread.
        std::lock_guard lock(listenersMutex_);
        std::erase_if(listeners_, [id](const Listener& l) { return l.id == id; });
    }

    void SetStatusPeriod(std::chrono::milliseconds period) {
        {
            std::lock_guard lock(tickerMutex_);
            period_ = std::max(period, std::chrono::milliseconds(0));
            ++periodVersion_;
        }
        tickerWake_.notify_all();
    }

    SimulatedMouse mouse;

private:
    struct Listener {
        int id;
        EventSink events;
        LinkSink links;
    };

    // Listeners run under the lock, so removal waits for them; the lock is recursive because a
    // listener may call into the mouse, which dispatches again on the same thread.
    template <typename Call>
    void Dispatch(Call call) {
        std::lock_guard lock(listenersMutex_);
        const std::vector<Listener> snapshot = listeners_;
        for (const Listener& listener : snapshot) {
            const bool stillListening =
                std::any_of(listeners_.begin(), listeners_.end(),
                            [&](const Listener& l) { return l.id == listener.id; });
            if (stillListening) {
                call(listener);
            }
        }
    }

    void TickerLoop() {
        std::unique_lock lock(tickerMutex_);
        while (!stopTicker_) {
            const uint64_t seen = periodVersion_;
            const std::chrono::milliseconds period = period_;
            const auto changed = [&] { return stopTicker_ || periodVersion_ != seen; };
            if (period.count() == 0) {
                tickerWake_.wait(lock, changed);
                continue;
            }
            if (tickerWake_.wait_for(lock, period, changed)) {
                continue;
            }
            lock.unlock();
            if (mouse.ReceiverPlugged() && mouse.MouseAwake()) {
                mouse.EmitStatus();
            }
            lock.lock();
        }
    }

    std::recursive_mutex listenersMutex_;
    std::vector<Listener> listeners_;
    int lastId_ = 0;

    std::mutex tickerMutex_;
    std::condition_variable tickerWake_;
    std::chrono::milliseconds period_ = kDefaultStatusPeriod;
    uint64_t periodVersion_ = 0;
    bool stopTicker_ = false;
    std::thread ticker_;
};

SharedMouseHub& Hub() {
    static SharedMouseHub hub;
    return hub;
}

}  // namespace

SimulatedMouse& SharedMouse() {
    return Hub().mouse;
}

int AddSharedMouseListener(EventSink events, LinkSink links) {
    return Hub().Add(std::move(events), std::move(links));
}

void RemoveSharedMouseListener(int id) {
    Hub().Remove(id);
}

void SetSharedMouseStatusPeriod(std::chrono::milliseconds period) {
    Hub().SetStatusPeriod(period);
}

}  // namespace sim
