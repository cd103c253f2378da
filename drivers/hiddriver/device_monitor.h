// The monitor of one driver library: follows whether its device is present and posts the device's
// events to the program's window, on a thread of its own.
//
// Presence is checked by enumeration on a clock (every 500 ms, however many events come in
// between). A read that fails does not end the events: a handle that reads again after a short
// pause was only interrupted (hidraw fails a read whose wait a signal cut short); one that keeps
// failing belongs to a device that went away, which is reported as removed, and the device is
// looked for again at once. A device that comes back under another path was re-plugged between
// two checks and is reported as removed and arrived, so the program opens it anew.
#pragma once

#include <hidapi/hidapi.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "link/driver_abi.h"

class DeviceMonitor {
public:
    struct Target {
        unsigned short vendorId = 0;
        unsigned short productId = 0;
        TalvoreWindow window{};
        uint32_t dataMessage = 0;
        uint32_t statusMessage = 0;
    };

    DeviceMonitor() = default;
    ~DeviceMonitor() { Stop(); }
    DeviceMonitor(const DeviceMonitor&) = delete;
    DeviceMonitor& operator=(const DeviceMonitor&) = delete;

    // Starts following the device. `presentPath` is where the device was found just before (empty
    // when absent); that state is the program's starting point and is not reported.
    void Start(const Target& target, const std::string& presentPath);
    // Stops the thread and closes its handle; does nothing when not running.
    void Stop();

private:
    using Clock = std::chrono::steady_clock;

    void Run();
    void ReadEvents();
    void CheckPresence();
    void OpenEvents();
    void CloseEvents();
    void ReportRemoved();
    void ReportArrived(const std::string& path);
    void PostEvent(const unsigned char* report, int length) const;
    void PostStatus(uint64_t arrived) const;
    // Waits until `deadline` or until Stop; returns false when stopping.
    bool SleepUntil(Clock::time_point deadline);
    bool Stopping();

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;

    // Used by the monitor thread only, and set before it starts.
    Target target_;
    std::string path_;  // where the device is while present
    hid_device* events_ = nullptr;
    Clock::time_point nextCheck_;
    Clock::duration backOff_{};
};
