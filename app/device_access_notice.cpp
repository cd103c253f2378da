#include "app/device_access_notice.h"

#include "link/connection_manager.h"

// The nodes looked at are the ones the links open.
static_assert(kMouseHidIdentities[0].vendorId == kWiredLink.vendorId &&
              kMouseHidIdentities[0].productId == kWiredLink.productId);
static_assert(kMouseHidIdentities[1].vendorId == kReceiverLink.vendorId &&
              kMouseHidIdentities[1].productId == kReceiverLink.productId);
static_assert(kMouseHidIdentities[2].vendorId == kBluetoothVendorId &&
              kMouseHidIdentities[2].productId == kBluetoothProductId);

bool DeviceAccessNotice::Look() {
    refused_ = diagnosis_ && diagnosis_().AnyRefused();
    return refused_;
}

bool DeviceAccessNotice::ShouldShowOnce() {
    if (shown_ || !Look()) {
        return false;
    }
    shown_ = true;
    return true;
}
