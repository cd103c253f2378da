// USB driver library for one link of the mouse, over hidapi. The same source is built twice:
// hiddriver_2.so for the mouse on its cable and hiddriver_1.so for the 2.4 GHz receiver; each
// loaded copy has its own state.
//
// The monitor thread follows the device's presence by enumeration and reads its input reports,
// posting each event (bytes 1-2 key, 3-4 value, little-endian) as the data message. Feature reports
// go to the vendor-defined interface (usage page 0xFF00 and above).
#include <hidapi/hidapi.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "drivers/hidapi_lock/hidapi_lock.h"
#include "link/driver_abi.h"

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(100);
constexpr int kPresenceEveryPolls = 5;  // enumeration every 500 ms
constexpr int kReadTimeoutMs = 100;
constexpr unsigned short kVendorUsagePage = 0xFF00;

struct Driver {
    std::mutex mutex;  // guards everything below except the monitor's own read handle
    unsigned short vendorId = 0;
    unsigned short productId = 0;
    TalvoreWindow window{};
    uint32_t dataMessage = 0;
    uint32_t statusMessage = 0;
    hid_device* feature = nullptr;
    bool hidapiStarted = false;

    std::thread monitor;
    std::atomic<bool> stopMonitor{false};
    std::condition_variable wake;

    // Runs when the library is unloaded. hidapi keeps its last error text until hid_exit; without
    // it, that text is lost with the unloaded library.
    ~Driver() {
        StopMonitor();
        CloseFeature();
        if (hidapiStarted) {
            HidapiLockGuard hidapi;
            hid_exit();
        }
    }

    void StopMonitor() {
        stopMonitor = true;
        wake.notify_all();
        if (monitor.joinable()) {
            monitor.join();
        }
        stopMonitor = false;
    }

    void CloseFeature() {
        std::lock_guard lock(mutex);
        if (feature != nullptr) {
            hid_close(feature);
            feature = nullptr;
        }
    }

    void Post(uint32_t message, uint64_t wParam, int64_t lParam) {
        if (window.post != nullptr) {
            window.post(window.context, message, wParam, lParam);
        }
    }
};

Driver& State() {
    static Driver driver;
    return driver;
}

// Path of the vendor-defined interface of the device, or of its first interface when no interface
// declares a vendor usage page. Empty when the device is absent.
// Opens a device path under the process's hidapi lock (a failed open sets hidapi's shared error).
hid_device* OpenPath(const std::string& path) {
    HidapiLockGuard hidapi;
    return hid_open_path(path.c_str());
}

std::string FindDevicePath(unsigned short vendorId, unsigned short productId) {
    std::string vendorPath;
    std::string firstPath;
    HidapiLockGuard hidapi;
    hid_device_info* list = hid_enumerate(vendorId, productId);
    for (hid_device_info* info = list; info != nullptr; info = info->next) {
        if (info->path == nullptr) {
            continue;
        }
        if (firstPath.empty()) {
            firstPath = info->path;
        }
        if (vendorPath.empty() && info->usage_page >= kVendorUsagePage) {
            vendorPath = info->path;
        }
    }
    hid_free_enumeration(list);
    return vendorPath.empty() ? firstPath : vendorPath;
}

void MonitorLoop(Driver* driver, unsigned short vendorId, unsigned short productId,
                 bool startPresent) {
    bool present = startPresent;
    hid_device* events = nullptr;
    auto openEvents = [&] {
        const std::string path = FindDevicePath(vendorId, productId);
        events = path.empty() ? nullptr : OpenPath(path);
    };
    if (present) {
        openEvents();
    }
    int poll = 0;
    while (!driver->stopMonitor) {
        if (events != nullptr) {
            unsigned char report[64];
            const int n = hid_read_timeout(events, report, sizeof report, kReadTimeoutMs);
            if (n >= 5) {
                const uint16_t key = static_cast<uint16_t>(report[1] | report[2] << 8);
                const uint16_t value = static_cast<uint16_t>(report[3] | report[4] << 8);
                driver->Post(driver->dataMessage, key, value);
            } else if (n < 0) {
                hid_close(events);  // the device went away; the enumeration below reports it
                events = nullptr;
            }
        } else {
            std::unique_lock lock(driver->mutex);
            driver->wake.wait_for(lock, kPollInterval, [&] { return driver->stopMonitor.load(); });
        }
        if (++poll < kPresenceEveryPolls) {
            continue;
        }
        poll = 0;
        const bool nowPresent = !FindDevicePath(vendorId, productId).empty();
        if (nowPresent == present) {
            continue;
        }
        present = nowPresent;
        if (present) {
            openEvents();
        } else if (events != nullptr) {
            hid_close(events);
            events = nullptr;
        }
        driver->Post(driver->statusMessage, present ? 1 : 0, 0);
    }
    if (events != nullptr) {
        hid_close(events);
    }
}

}  // namespace

extern "C" {

TALVORE_EXPORT int TalvoreAbiVersion(void) {
    return TALVORE_ABI_VERSION;
}

TALVORE_EXPORT int Set_VIDPID(uint32_t vendorId, uint32_t productId) {
    Driver& d = State();
    std::lock_guard lock(d.mutex);
    d.vendorId = static_cast<unsigned short>(vendorId);
    d.productId = static_cast<unsigned short>(productId);
    HidapiLockGuard hidapi;
    const bool started = hid_init() == 0;
    d.hidapiStarted = d.hidapiStarted || started;
    return started ? 1 : 0;
}

TALVORE_EXPORT int Open_DevMonitor(const TalvoreWindow* window, uint32_t dataMessage,
                                   uint32_t statusMessage) {
    Driver& d = State();
    d.StopMonitor();
    unsigned short vendorId;
    unsigned short productId;
    {
        std::lock_guard lock(d.mutex);
        d.window = window != nullptr ? *window : TalvoreWindow{};
        d.dataMessage = dataMessage;
        d.statusMessage = statusMessage;
        vendorId = d.vendorId;
        productId = d.productId;
    }
    const bool present = !FindDevicePath(vendorId, productId).empty();
    d.monitor = std::thread(MonitorLoop, &d, vendorId, productId, present);
    return 1;
}

TALVORE_EXPORT void Close_DevMonitor(void) {
    Driver& d = State();
    d.StopMonitor();
    std::lock_guard lock(d.mutex);
    d.window = TalvoreWindow{};
}

TALVORE_EXPORT int Open_FeatureDevice(void) {
    Driver& d = State();
    std::lock_guard lock(d.mutex);
    if (d.feature != nullptr) {
        hid_close(d.feature);
        d.feature = nullptr;
    }
    const std::string path = FindDevicePath(d.vendorId, d.productId);
    if (!path.empty()) {
        d.feature = OpenPath(path);
    }
    return d.feature != nullptr ? 1 : 0;
}

TALVORE_EXPORT void Close_FeatureDevice(void) {
    State().CloseFeature();
}

TALVORE_EXPORT int SetFeature(const uint8_t* report, uint32_t length) {
    Driver& d = State();
    std::lock_guard lock(d.mutex);
    if (d.feature == nullptr || report == nullptr || length == 0) {
        return 0;
    }
    return hid_send_feature_report(d.feature, report, length) >= 0 ? 1 : 0;
}

TALVORE_EXPORT int GetFeature(uint8_t* buffer, uint32_t length) {
    Driver& d = State();
    std::lock_guard lock(d.mutex);
    if (d.feature == nullptr || buffer == nullptr || length == 0) {
        return -1;
    }
    return hid_get_feature_report(d.feature, buffer, length);
}

}  // extern "C"
