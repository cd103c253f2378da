// Finding and opening the mouse's HID interface. Both touch hidapi's shared state, so both run
// under the process's hidapi lock.
#pragma once

#include <hidapi/hidapi.h>

#include <string>

// Path of the device's vendor-defined interface (usage page 0xFF00 and above), or of its first
// interface when none declares a vendor usage page. Empty when the device is absent.
std::string FindDevicePath(unsigned short vendorId, unsigned short productId);

// Opens a device path; null when it cannot be opened.
hid_device* OpenDevicePath(const std::string& path);
