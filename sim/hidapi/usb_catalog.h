// What the shared mouse looks like on the USB and HID side: the interfaces hidapi lists for each
// link while that link is up. The cable and the receiver each have a mouse interface and the
// vendor-defined interface that carries feature reports and event input reports; over Bluetooth
// the mouse shows only its HID mouse interface.
#pragma once

#include <hidapi/hidapi.h>

#include "sim/simulated_mouse.h"

namespace sim {

inline constexpr unsigned short kCorvaneVendorId = 0x1D57;
inline constexpr unsigned short kCableProductId = 0x2039;
inline constexpr unsigned short kReceiverProductId = 0xFA60;
inline constexpr unsigned short kBluetoothVendorId = 0x045E;
inline constexpr unsigned short kBluetoothProductId = 0x0069;
inline constexpr unsigned short kVendorUsagePage = 0xFF00;

struct UsbInterface {
    Link link;
    unsigned short vendorId;
    unsigned short productId;
    int interfaceNumber;
    unsigned short usagePage;
    unsigned short usage;
    const char* path;
    hid_bus_type bus;
    const wchar_t* product;

    bool CarriesReports() const { return usagePage == kVendorUsagePage; }
};

inline constexpr UsbInterface kUsbInterfaces[] = {
    {Link::Cable, kCorvaneVendorId, kCableProductId, 0, 0x0001, 0x0002, "simulated:cable:0",
     HID_API_BUS_USB, L"TALVORE"},
    {Link::Cable, kCorvaneVendorId, kCableProductId, 1, kVendorUsagePage, 0x0001,
     "simulated:cable:1", HID_API_BUS_USB, L"TALVORE"},
    {Link::Receiver, kCorvaneVendorId, kReceiverProductId, 0, 0x0001, 0x0002,
     "simulated:receiver:0", HID_API_BUS_USB, L"TALVORE 2.4G Receiver"},
    {Link::Receiver, kCorvaneVendorId, kReceiverProductId, 1, kVendorUsagePage, 0x0001,
     "simulated:receiver:1", HID_API_BUS_USB, L"TALVORE 2.4G Receiver"},
    {Link::Bluetooth, kBluetoothVendorId, kBluetoothProductId, 0, 0x0001, 0x0002,
     "simulated:bluetooth:0", HID_API_BUS_BLUETOOTH, L"TALVORE"},
};

inline constexpr const wchar_t* kManufacturer = L"Corvane";

}  // namespace sim
