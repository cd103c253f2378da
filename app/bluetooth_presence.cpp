#include "app/bluetooth_presence.h"

#include <hidapi/hidapi.h>

#include "drivers/hidapi_lock/hidapi_lock.h"
#include "link/connection_manager.h"

bool BluetoothMousePresent() {
    HidapiLockGuard hidapi;  // the driver libraries enumerate on their own threads meanwhile
    if (hid_init() != 0) {
        return false;  // a hidapi that cannot start counts as no Bluetooth device
    }
    hid_device_info* list = hid_enumerate(kBluetoothVendorId, kBluetoothProductId);
    const bool present = list != nullptr;
    hid_free_enumeration(list);
    return present;
}
