// The hidapi C interface over the shared simulated mouse. Programs and driver libraries linked
// against this library talk to the mouse exactly as they would to hidraw: they enumerate its
// interfaces, open one, send feature reports and read the event input reports.
//
// A handle belongs to one appearance of its device: once the device goes away (unplugged, or its
// link dropped during a transfer) every call on the handle fails, even after the device comes
// back, and a blocked read returns at once.
#pragma GCC visibility push(default)
#include <hidapi/hidapi.h>
#pragma GCC visibility pop

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <cwchar>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "sim/hidapi/shared_mouse.h"
#include "sim/hidapi/simulated_hidapi.h"
#include "sim/hidapi/usb_catalog.h"

namespace {

constexpr std::size_t kInputReportLength = 64;
constexpr unsigned char kEventReportId = 0x06;
// Events nobody reads are not kept without end; the oldest go first.
constexpr std::size_t kMaxQueuedReports = 64;

using InputReport = std::array<unsigned char, kInputReportLength>;

}  // namespace

struct hid_device_ {
    const sim::UsbInterface* interface = nullptr;
    uint64_t generation = 0;
    bool nonblocking = false;
    std::deque<InputReport> reports;
    std::wstring error;
    hid_device_info* info = nullptr;
};

namespace {

int LinkIndex(sim::Link link) {
    return static_cast<int>(link);
}

bool LinkUp(sim::Link link) {
    const sim::SimulatedMouse& mouse = sim::SharedMouse();
    switch (link) {
        case sim::Link::Cable:
            return mouse.CablePlugged();
        case sim::Link::Receiver:
            return mouse.ReceiverPlugged();
        case sim::Link::Bluetooth:
            return mouse.BluetoothConnected();
    }
    return false;
}

char* CopyOf(const char* text) {
    char* copy = new char[std::strlen(text) + 1];
    std::strcpy(copy, text);
    return copy;
}

wchar_t* CopyOf(const wchar_t* text) {
    wchar_t* copy = new wchar_t[std::wcslen(text) + 1];
    std::wcscpy(copy, text);
    return copy;
}

hid_device_info* InfoOf(const sim::UsbInterface& i) {
    auto* info = new hid_device_info{};
    info->path = CopyOf(i.path);
    info->vendor_id = i.vendorId;
    info->product_id = i.productId;
    info->serial_number = CopyOf(L"");
    info->release_number = 0x0100;
    info->manufacturer_string = CopyOf(sim::kManufacturer);
    info->product_string = CopyOf(i.product);
    info->usage_page = i.usagePage;
    info->usage = i.usage;
    info->interface_number = i.interfaceNumber;
    info->bus_type = i.bus;
    return info;
}

void FreeInfo(hid_device_info* info) {
    delete[] info->path;
    delete[] info->serial_number;
    delete[] info->manufacturer_string;
    delete[] info->product_string;
    delete info;
}

bool Matches(const sim::UsbInterface& i, unsigned short vendorId, unsigned short productId) {
    return (vendorId == 0 || vendorId == i.vendorId) &&
           (productId == 0 || productId == i.productId);
}

// hid_error(NULL) reports the calling thread's last failure outside a device.
thread_local std::wstring globalError = L"Success";

void SetGlobalError(const wchar_t* text) {
    globalError = text;
}

// The open handles and the event queues of the vendor interfaces.
class UsbFace {
public:
    UsbFace() {
        sim::SharedMouse();  // the mouse outlives this face
        listener_ = sim::AddSharedMouseListener(
            [this](sim::Link link, uint16_t key, uint16_t value) { OnEvent(link, key, value); },
            [this](sim::Link link, bool up) { OnLink(link, up); });
    }

    ~UsbFace() { sim::RemoveSharedMouseListener(listener_); }

    UsbFace(const UsbFace&) = delete;
    UsbFace& operator=(const UsbFace&) = delete;

    hid_device* Open(const sim::UsbInterface& i) {
        std::lock_guard lock(mutex_);
        if (!LinkUp(i.link)) {
            SetGlobalError(L"device not present");
            return nullptr;
        }
        auto* device = new hid_device_;
        device->interface = &i;
        device->generation = generations_[LinkIndex(i.link)];
        device->info = InfoOf(i);
        handles_.push_back(device);
        changed_.notify_all();
        return device;
    }

    bool WaitForReaders(sim::Link link, int count, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] {
            const auto readers =
                std::count_if(handles_.begin(), handles_.end(), [&](hid_device* d) {
                    return d->interface->link == link && d->interface->CarriesReports() &&
                           AliveLocked(d);
                });
            return readers >= count;
        });
    }

    void Close(hid_device* device) {
        {
            std::lock_guard lock(mutex_);
            std::erase(handles_, device);
        }
        FreeInfo(device->info);
        delete device;
    }

    // The link whose transfers the handle may send, or false with the handle's error set.
    bool FeatureLink(hid_device* device, sim::Link& link) {
        std::lock_guard lock(mutex_);
        if (!AliveLocked(device)) {
            device->error = L"device disconnected";
            return false;
        }
        if (!device->interface->CarriesReports()) {
            device->error = L"this interface takes no feature reports";
            return false;
        }
        link = device->interface->link;
        return true;
    }

    void TransferFailed(hid_device* device) {
        std::lock_guard lock(mutex_);
        device->error = L"device disconnected during the transfer";
    }

    // hidapi's read: -1 once the device is gone or an injected failure is due, 0 when nothing
    // came within the timeout (negative: wait for as long as the device is there).
    int Read(hid_device* device, unsigned char* data, std::size_t length, int milliseconds) {
        std::unique_lock lock(mutex_);
        const sim::Link link = device->interface->link;
        const bool faultable = device->interface->CarriesReports();
        const auto failureDue = [&] { return faultable && failReads_[LinkIndex(link)] > 0; };
        const auto ready = [&] {
            return failureDue() || !device->reports.empty() || !AliveLocked(device);
        };
        if (milliseconds < 0) {
            changed_.wait(lock, ready);
        } else if (milliseconds > 0) {
            changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
        }
        if (!AliveLocked(device)) {
            device->error = L"device disconnected";
            return -1;
        }
        if (failureDue()) {
            --failReads_[LinkIndex(link)];
            device->error = L"Interrupted system call";
            return -1;
        }
        if (device->reports.empty()) {
            return 0;
        }
        const std::size_t n = std::min(length, kInputReportLength);
        std::memcpy(data, device->reports.front().data(), n);
        device->reports.pop_front();
        return static_cast<int>(n);
    }

    void SetError(hid_device* device, const wchar_t* text) {
        std::lock_guard lock(mutex_);
        device->error = text;
    }

    void FailNextReads(sim::Link link, int count) {
        {
            std::lock_guard lock(mutex_);
            failReads_[LinkIndex(link)] = std::max(count, 0);
        }
        changed_.notify_all();  // a read waiting now fails at once
    }

    void CountEnumeration(unsigned short productId) {
        std::lock_guard lock(mutex_);
        ++enumerations_[0];
        if (productId != 0) {
            ++enumerations_[productId];
        }
    }

    uint64_t EnumerationCount(unsigned short productId) {
        std::lock_guard lock(mutex_);
        const auto it = enumerations_.find(productId);
        return it != enumerations_.end() ? it->second : 0;
    }

private:
    bool AliveLocked(const hid_device* device) const {
        const sim::Link link = device->interface->link;
        return device->generation == generations_[LinkIndex(link)] && LinkUp(link);
    }

    void OnEvent(sim::Link link, uint16_t key, uint16_t value) {
        InputReport report{};
        report[0] = kEventReportId;
        report[1] = static_cast<unsigned char>(key & 0xFF);
        report[2] = static_cast<unsigned char>(key >> 8);
        report[3] = static_cast<unsigned char>(value & 0xFF);
        report[4] = static_cast<unsigned char>(value >> 8);
        {
            std::lock_guard lock(mutex_);
            for (hid_device* device : handles_) {
                if (device->interface->link != link || !device->interface->CarriesReports() ||
                    device->generation != generations_[LinkIndex(link)]) {
                    continue;
                }
                if (device->reports.size() == kMaxQueuedReports) {
                    device->reports.pop_front();
                }
                device->reports.push_back(report);
            }
        }
        changed_.notify_all();
    }

    void OnLink(sim::Link link, bool up) {
        if (!up) {
            std::lock_guard lock(mutex_);
            ++generations_[LinkIndex(link)];
        }
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<hid_device*> handles_;
    uint64_t generations_[3] = {};
    int failReads_[3] = {};
    std::map<unsigned short, uint64_t> enumerations_;  // per product id; 0 counts them all
    int listener_ = 0;
};

UsbFace& Face() {
    static UsbFace face;
    return face;
}

int StringOf(hid_device* device, const wchar_t* text, wchar_t* string, std::size_t maxlen) {
    if (device == nullptr || string == nullptr || maxlen == 0) {
        return -1;
    }
    std::wcsncpy(string, text, maxlen);
    string[maxlen - 1] = L'\0';
    return 0;
}

}  // namespace

namespace sim {

bool WaitForEventReaders(Link link, int count, std::chrono::milliseconds limit) {
    return Face().WaitForReaders(link, count, limit);
}

void FailNextReads(Link link, int count) {
    Face().FailNextReads(link, count);
}

uint64_t EnumerationCount(unsigned short productId) {
    return Face().EnumerationCount(productId);
}

}  // namespace sim

extern "C" {

int hid_init(void) {
    Face();
    return 0;
}

int hid_exit(void) {
    // The shared mouse and its handles live as long as the process.
    return 0;
}

hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id) {
    Face().CountEnumeration(product_id);
    hid_device_info* first = nullptr;
    hid_device_info** next = &first;
    for (const sim::UsbInterface& i : sim::kUsbInterfaces) {
        if (Matches(i, vendor_id, product_id) && LinkUp(i.link)) {
            *next = InfoOf(i);
            next = &(*next)->next;
        }
    }
    SetGlobalError(first == nullptr ? L"no matching device" : L"Success");
    return first;
}

void hid_free_enumeration(hid_device_info* devs) {
    while (devs != nullptr) {
        hid_device_info* next = devs->next;
        FreeInfo(devs);
        devs = next;
    }
}

hid_device* hid_open(unsigned short vendor_id, unsigned short product_id,
                     const wchar_t* serial_number) {
    for (const sim::UsbInterface& i : sim::kUsbInterfaces) {
        // Every interface of the mouse has an empty serial number.
        if (Matches(i, vendor_id, product_id) && LinkUp(i.link) &&
            (serial_number == nullptr || serial_number[0] == L'\0')) {
            return Face().Open(i);
        }
    }
    SetGlobalError(L"device not found");
    return nullptr;
}

hid_device* hid_open_path(const char* path) {
    if (path != nullptr) {
        for (const sim::UsbInterface& i : sim::kUsbInterfaces) {
            if (std::strcmp(path, i.path) == 0) {
                return Face().Open(i);
            }
        }
    }
    SetGlobalError(L"no such device path");
    return nullptr;
}

void hid_close(hid_device* dev) {
    if (dev != nullptr) {
        Face().Close(dev);
    }
}

int hid_write(hid_device* dev, const unsigned char*, size_t) {
    if (dev != nullptr) {
        Face().SetError(dev, L"the mouse takes no output reports");
    }
    return -1;
}

int hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int milliseconds) {
    if (dev == nullptr || data == nullptr || length == 0) {
        return -1;
    }
    return Face().Read(dev, data, length, milliseconds);
}

int hid_read(hid_device* dev, unsigned char* data, size_t length) {
    if (dev == nullptr) {
        return -1;
    }
    return hid_read_timeout(dev, data, length, dev->nonblocking ? 0 : -1);
}

int hid_set_nonblocking(hid_device* dev, int nonblock) {
    if (dev == nullptr) {
        return -1;
    }
    dev->nonblocking = nonblock != 0;
    return 0;
}

int hid_send_feature_report(hid_device* dev, const unsigned char* data, size_t length) {
    if (dev == nullptr || data == nullptr || length == 0) {
        return -1;
    }
    sim::Link link;
    if (!Face().FeatureLink(dev, link)) {
        return -1;
    }
    // Outside the face's lock: the mouse answers with events, which come back through the face.
    if (!sim::SharedMouse().Receive(link, data, length)) {
        Face().TransferFailed(dev);
        return -1;
    }
    return static_cast<int>(length);
}

int hid_get_feature_report(hid_device* dev, unsigned char*, size_t) {
    if (dev != nullptr) {
        Face().SetError(dev, L"the mouse answers through input reports only");
    }
    return -1;
}

int hid_get_input_report(hid_device* dev, unsigned char*, size_t) {
    if (dev != nullptr) {
        Face().SetError(dev, L"the mouse answers through input reports only");
    }
    return -1;
}

int hid_get_manufacturer_string(hid_device* dev, wchar_t* string, size_t maxlen) {
    return StringOf(dev, sim::kManufacturer, string, maxlen);
}

int hid_get_product_string(hid_device* dev, wchar_t* string, size_t maxlen) {
    return StringOf(dev, dev != nullptr ? dev->interface->product : L"", string, maxlen);
}

int hid_get_serial_number_string(hid_device* dev, wchar_t* string, size_t maxlen) {
    return StringOf(dev, L"", string, maxlen);
}

hid_device_info* hid_get_device_info(hid_device* dev) {
    return dev != nullptr ? dev->info : nullptr;
}

int hid_get_indexed_string(hid_device* dev, int, wchar_t*, size_t) {
    if (dev != nullptr) {
        Face().SetError(dev, L"string descriptors are not supported");
    }
    return -1;
}

const wchar_t* hid_error(hid_device* dev) {
    if (dev == nullptr) {
        return globalError.c_str();
    }
    return dev->error.empty() ? L"Success" : dev->error.c_str();
}

const hid_api_version* hid_version(void) {
    static const hid_api_version version{HID_API_VERSION_MAJOR, HID_API_VERSION_MINOR,
                                         HID_API_VERSION_PATCH};
    return &version;
}

const char* hid_version_str(void) {
    return HID_API_VERSION_STR;
}

}  // extern "C"
