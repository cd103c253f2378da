// USB driver library for one link of the mouse, over hidapi. The same source is built twice:
// hiddriver_2.so for the mouse on its cable and hiddriver_1.so for the 2.4 GHz receiver; each
// loaded copy has its own state.
//
// The device monitor follows the device's presence and posts its events (device_monitor.h).
// Feature reports go to the vendor-defined interface (usage page 0xFF00 and above).
#include <hidapi/hidapi.h>

#include <mutex>
#include <string>

#include "drivers/hidapi_lock/hidapi_lock.h"
#include "drivers/hiddriver/device_monitor.h"
#include "drivers/hiddriver/device_paths.h"
#include "link/driver_abi.h"

namespace {

struct Driver {
    std::mutex mutex;  // guards everything below except the monitor
    unsigned short vendorId = 0;
    unsigned short productId = 0;
    hid_device* feature = nullptr;
    bool hidapiStarted = false;

    DeviceMonitor monitor;

    // Runs when the library is unloaded. hidapi keeps its last error text until hid_exit; without
    // it, that text is lost with the unloaded library.
    ~Driver() {
        monitor.Stop();
        CloseFeature();
        if (hidapiStarted) {
            HidapiLockGuard hidapi;
            hid_exit();
        }
    }

    void CloseFeature() {
        std::lock_guard lock(mutex);
        if (feature != nullptr) {
            hid_close(feature);
            feature = nullptr;
        }
    }
};

Driver& State() {
    static Driver driver;
    return driver;
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
    d.monitor.Stop();
    DeviceMonitor::Target target;
    {
        std::lock_guard lock(d.mutex);
        target.vendorId = d.vendorId;
        target.productId = d.productId;
    }
    target.window = window != nullptr ? *window : TalvoreWindow{};
    target.dataMessage = dataMessage;
    target.statusMessage = statusMessage;
    d.monitor.Start(target, FindDevicePath(target.vendorId, target.productId));
    return 1;
}

TALVORE_EXPORT void Close_DevMonitor(void) {
    State().monitor.Stop();
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
        d.feature = OpenDevicePath(path);
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
