// Prints which links the simulated hidapi shows at start: "cable receiver awake ble" for those up.
#include <hidapi/hidapi.h>

#include <cstdio>

#include "sim/hidapi/shared_mouse.h"

namespace {

bool Listed(unsigned short vendorId, unsigned short productId) {
    hid_device_info* list = hid_enumerate(vendorId, productId);
    hid_free_enumeration(list);
    return list != nullptr;
}

}  // namespace

int main() {
    if (hid_init() != 0) {
        return 1;
    }
    std::printf("%s%s%s%s\n", Listed(0x1D57, 0x2039) ? "cable " : "",
                Listed(0x1D57, 0xFA60) ? "receiver " : "",
                sim::SharedMouse().MouseAwake() ? "awake " : "",
                Listed(0x045E, 0x0069) ? "ble " : "");
    return 0;
}
