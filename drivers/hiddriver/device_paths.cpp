#include "drivers/hiddriver/device_paths.h"

#include "drivers/hidapi_lock/hidapi_lock.h"

namespace {

constexpr unsigned short kVendorUsagePage = 0xFF00;

}  // namespace

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

hid_device* OpenDevicePath(const std::string& path) {
    HidapiLockGuard hidapi;  // a failed open sets hidapi's shared error text
    return hid_open_path(path.c_str());
}
