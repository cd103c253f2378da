// Input hook library: system-wide key and mouse-button input on the X display, through XInput2 raw
// events, posted to the program's window as message 1034 with Windows virtual-key codes and mouse
// message numbers. Raw events reach us whichever window has the focus, and a held key does not
// repeat in them. From XInput 2.1 on they also arrive while another client grabs the device, as
// the server does for every window between a button press and its release; with 2.0 the releases
// on an ordinary application window would be lost.
//
// Turning the hook or its mouse part on or off takes effect at a point in the event stream: the
// call waits until the listening thread has judged, by the old state, every event the server
// produced before the call (a round trip on the hook's own connection), so a key typed while the
// hook was off never arrives after it has been turned on again.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "base/evdev_key_rows.h"
#include "link/driver_abi.h"

namespace {

// Bytes on the wake pipe.
constexpr char kWakeStop = 1;
constexpr char kWakeSettle = 2;
// A listening thread that does not answer (a server gone) must not hold the caller for long.
constexpr auto kSettleTimeout = std::chrono::seconds(2);

class InputHook {
public:
    ~InputHook() { Stop(); }

    // Starts listening (once) and routes input to the window. False when no X display answers or
    // the server lacks XInput2.
    bool Install(const TalvoreWindow* window, bool keys) {
        std::lock_guard lock(mutex_);
        if (window != nullptr) {
            // The listening thread may be posting already (a second install).
            std::lock_guard windowLock(windowMutex_);
            window_ = *window;
        }
        keysInstalled_ = keysInstalled_ || keys;
        mouseInstalled_ = true;
        mouseEnabled_ = true;
        return StartLocked();
    }

    // Ends the whole hook, the mouse part included: the window it was given may be going away,
    // and nothing may be posted to it afterwards.
    void RemoveAll() {
        std::lock_guard lock(mutex_);
        StopLocked();
    }

    void RemoveMouse() {
        std::lock_guard lock(mutex_);
        mouseInstalled_ = false;
        StopIfUnusedLocked();
    }

    void Enable(bool on) { Settle(on, std::nullopt); }
    void EnableMouse(bool on) { Settle(std::nullopt, on); }

    void Stop() {
        std::lock_guard lock(mutex_);
        StopLocked();
    }

private:
    // Sets the switches once the listening thread has handled everything that came before.
    void Settle(std::optional<bool> enabled, std::optional<bool> mouseEnabled) {
        std::lock_guard lock(mutex_);
        std::unique_lock settle(settleMutex_);
        pendingEnabled_ = enabled ? enabled : pendingEnabled_;
        pendingMouseEnabled_ = mouseEnabled ? mouseEnabled : pendingMouseEnabled_;
        if (!thread_.joinable()) {
            ApplyPendingLocked();
            return;
        }
        const uint64_t ticket = ++settleRequested_;
        const char settleByte = kWakeSettle;
        [[maybe_unused]] ssize_t written = write(wakePipe_[1], &settleByte, 1);
        if (!settled_.wait_for(settle, kSettleTimeout, [&] { return settleDone_ >= ticket; })) {
            ApplyPendingLocked();
        }
    }

    void ApplyPendingLocked() {
        if (pendingEnabled_) {
            enabled_ = *pendingEnabled_;
        }
        if (pendingMouseEnabled_) {
            mouseEnabled_ = *pendingMouseEnabled_;
        }
        pendingEnabled_.reset();
        pendingMouseEnabled_.reset();
    }

    // On the listening thread: everything the server produced so far is read and judged, then
    // the waiting switches take effect.
    void SettleOnThread() {
        XSync(display_, False);
        DrainEvents();
        std::lock_guard settle(settleMutex_);
        ApplyPendingLocked();
        settleDone_ = settleRequested_;
        settled_.notify_all();
    }

    void DrainEvents() {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            HandleEvent(event);
        }
    }

    bool StartLocked() {
        if (thread_.joinable()) {
            return true;
        }
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr) {
            return false;
        }
        int event = 0;
        int error = 0;
        // The server answers with the version it speaks, at most the one asked for.
        int major = 2;
        int minor = 2;
        if (!XQueryExtension(display, "XInputExtension", &xiOpcode_, &event, &error) ||
            XIQueryVersion(display, &major, &minor) != Success) {
            XCloseDisplay(display);
            return false;
        }
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
        XISetMask(bits, XI_RawButtonPress);
        XISetMask(bits, XI_RawButtonRelease);
        XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
        XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
        XFlush(display);
        if (pipe(wakePipe_) != 0) {
            XCloseDisplay(display);
            return false;
        }
        display_ = display;
        thread_ = std::thread([this] { Run(); });
        return true;
    }

    void StopIfUnusedLocked() {
        if (!keysInstalled_ && !mouseInstalled_) {
            StopLocked();
        }
    }

    void StopLocked() {
        keysInstalled_ = mouseInstalled_ = false;
        {
            std::lock_guard windowLock(windowMutex_);
            window_ = TalvoreWindow{};
        }
        if (!thread_.joinable()) {
            return;
        }
        const char stop = kWakeStop;
        [[maybe_unused]] ssize_t written = write(wakePipe_[1], &stop, 1);
        thread_.join();
        {
            // A switch that waited on the thread takes effect now.
            std::lock_guard settle(settleMutex_);
            ApplyPendingLocked();
            settleDone_ = settleRequested_;
        }
        close(wakePipe_[0]);
        close(wakePipe_[1]);
        XCloseDisplay(display_);
        display_ = nullptr;
    }

    void Run() {
        pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        for (;;) {
            DrainEvents();
            if (poll(fds, 2, -1) < 0) {
                return;
            }
            if ((fds[1].revents & POLLIN) != 0) {
                char wake[16];
                const ssize_t count = read(wakePipe_[0], wake, sizeof wake);
                bool settle = false;
                for (ssize_t i = 0; i < count; ++i) {
                    if (wake[i] == kWakeStop) {
                        return;
                    }
                    settle = settle || wake[i] == kWakeSettle;
                }
                if (count <= 0) {
                    return;
                }
                if (settle) {
                    SettleOnThread();
                }
            }
        }
    }

    void HandleEvent(XEvent& event) {
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != xiOpcode_ ||
            !XGetEventData(display_, cookie)) {
            return;
        }
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        const uint32_t detail = static_cast<uint32_t>(raw->detail);
        switch (cookie->evtype) {
            case XI_RawKeyPress:
            case XI_RawKeyRelease:
                PostKey(detail, cookie->evtype == XI_RawKeyRelease);
                break;
            case XI_RawButtonPress:
            case XI_RawButtonRelease:
                PostButton(detail, cookie->evtype == XI_RawButtonRelease);
                break;
            default:
                break;
        }
        XFreeEventData(display_, cookie);
    }

    void PostKey(uint32_t xKeycode, bool release) {
        if (!enabled_ || !keysInstalled_ || xKeycode < kXKeycodeOffset) {
            return;
        }
        // A key without a virtual-key code still counts: the program records it as usage 0.
        const uint32_t evdevCode = xKeycode - kXKeycodeOffset;
        const uint32_t virtualKey = EvdevToVirtualKey(evdevCode);
        Post(virtualKey != 0 ? virtualKey : TALVORE_UNKNOWN_KEY_BASE + evdevCode, release ? 1 : 0);
    }

    void PostButton(uint32_t button, bool release) {
        if (!enabled_ || !mouseInstalled_ || !mouseEnabled_) {
            return;
        }
        // X buttons: 1 left, 2 middle, 3 right, 4-7 wheel, 8 back, 9 forward.
        switch (button) {
            case 1:
                Post(release ? TALVORE_MOUSE_LEFT_UP : TALVORE_MOUSE_LEFT_DOWN, 0);
                break;
            case 2:
                Post(release ? TALVORE_MOUSE_MIDDLE_UP : TALVORE_MOUSE_MIDDLE_DOWN, 0);
                break;
            case 3:
                Post(release ? TALVORE_MOUSE_RIGHT_UP : TALVORE_MOUSE_RIGHT_DOWN, 0);
                break;
            case 8:
                Post(release ? TALVORE_MOUSE_X_UP : TALVORE_MOUSE_X_DOWN,
                     TALVORE_X_BUTTON_BACKWARD);
                break;
            case 9:
                Post(release ? TALVORE_MOUSE_X_UP : TALVORE_MOUSE_X_DOWN, TALVORE_X_BUTTON_FORWARD);
                break;
            default:
                break;  // the wheel is never reported
        }
    }

    void Post(uint64_t wParam, int64_t lParam) {
        TalvoreWindow window;
        {
            std::lock_guard lock(windowMutex_);
            window = window_;
        }
        if (window.post != nullptr) {
            window.post(window.context, TALVORE_MSG_HOOK_INPUT, wParam, lParam);
        }
    }

    std::mutex mutex_;        // install, remove and the switches
    std::mutex windowMutex_;  // the target window, read by the listening thread
    std::mutex settleMutex_;  // the switches waiting for the listening thread
    std::condition_variable settled_;
    std::optional<bool> pendingEnabled_;
    std::optional<bool> pendingMouseEnabled_;
    uint64_t settleRequested_ = 0;
    uint64_t settleDone_ = 0;
    TalvoreWindow window_{};
    Display* display_ = nullptr;
    int xiOpcode_ = 0;
    int wakePipe_[2] = {-1, -1};
    std::thread thread_;
    std::atomic<bool> keysInstalled_{false};
    std::atomic<bool> mouseInstalled_{false};
    std::atomic<bool> enabled_{false};
    std::atomic<bool> mouseEnabled_{true};
};

InputHook& Hook() {
    static InputHook hook;
    return hook;
}

}  // namespace

extern "C" {

TALVORE_EXPORT int TalvoreAbiVersion(void) {
    return TALVORE_ABI_VERSION;
}

// Keys and mouse buttons go to the window from now on (once enabled).
TALVORE_EXPORT int installhook(const TalvoreWindow* window) {
    return Hook().Install(window, true) ? 1 : 0;
}

// Stops keys and mouse buttons alike; the thread has ended when it returns.
TALVORE_EXPORT void removehook(void) {
    Hook().RemoveAll();
}

TALVORE_EXPORT void enablehook(int enable) {
    Hook().Enable(enable != 0);
}

// Mouse buttons only.
TALVORE_EXPORT int installmousehook(const TalvoreWindow* window) {
    return Hook().Install(window, false) ? 1 : 0;
}

TALVORE_EXPORT void removemousehook(void) {
    Hook().RemoveMouse();
}

TALVORE_EXPORT void enablemousehook(int enable) {
    Hook().EnableMouse(enable != 0);
}

// The wheel is never reported (the program only ever asks for it to be off).
TALVORE_EXPORT void mousewheelenable(int /*enable*/) {}

}  // extern "C"
