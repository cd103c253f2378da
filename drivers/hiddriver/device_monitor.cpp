#include "drivers/hiddriver/device_monitor.h"

#include <algorithm>

#include "drivers/hiddriver/device_paths.h"

namespace {

constexpr auto kPresencePeriod = std::chrono::milliseconds(500);
// Bounds how long Stop waits for a read in progress.
constexpr int kReadTimeoutMs = 100;
// The pause after a failed read, doubled while reads keep failing.
constexpr auto kFirstBackOff = std::chrono::milliseconds(50);
constexpr auto kLongestBackOff = std::chrono::milliseconds(2000);
constexpr int kReportSize = 64;
// Report id, then the 16-bit event key and the 16-bit value, little-endian.
constexpr int kEventReportSize = 5;

}  // namespace

void DeviceMonitor::Start(const Target& target, const std::string& presentPath) {
    Stop();
    target_ = target;
    path_ = presentPath;
    backOff_ = kFirstBackOff;
    thread_ = std::thread([this] { Run(); });
}

void DeviceMonitor::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    stopping_ = false;
}

bool DeviceMonitor::Stopping() {
    std::lock_guard lock(mutex_);
    return stopping_;
}

bool DeviceMonitor::SleepUntil(Clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_until(lock, deadline, [this] { return stopping_; });
}

void DeviceMonitor::Run() {
    if (!path_.empty()) {
        OpenEvents();
    }
    nextCheck_ = Clock::now() + kPresencePeriod;
    while (!Stopping()) {
        if (events_ != nullptr) {
            ReadEvents();
        } else if (!SleepUntil(nextCheck_)) {
            break;
        }
        if (Clock::now() >= nextCheck_) {
            CheckPresence();
            nextCheck_ = Clock::now() + kPresencePeriod;
        }
    }
    CloseEvents();
}

void DeviceMonitor::ReadEvents() {
    unsigned char report[kReportSize];
    const int n = hid_read_timeout(events_, report, sizeof report, kReadTimeoutMs);
    if (n >= 0) {
        backOff_ = kFirstBackOff;
        PostEvent(report, n);
        return;
    }
    if (!SleepUntil(Clock::now() + backOff_)) {
        return;
    }
    backOff_ = std::min<Clock::duration>(backOff_ * 2, kLongestBackOff);
    const int again = hid_read_timeout(events_, report, sizeof report, 0);
    if (again >= 0) {
        PostEvent(report, again);  // only interrupted: the handle and its queued events remain
        return;
    }
    // The device went away since the handle was opened, even if it is back already.
    CloseEvents();
    ReportRemoved();
    nextCheck_ = Clock::now();
}

void DeviceMonitor::CheckPresence() {
    const std::string path = FindDevicePath(target_.vendorId, target_.productId);
    if (!path_.empty() && path != path_) {
        // Gone, or back under another path: every handle of the old device is dead.
        CloseEvents();
        ReportRemoved();
    }
    if (path.empty()) {
        return;
    }
    if (path_.empty()) {
        ReportArrived(path);
    } else if (events_ == nullptr) {
        OpenEvents();  // an earlier open failed
    }
}

void DeviceMonitor::OpenEvents() {
    CloseEvents();
    events_ = OpenDevicePath(path_);
}

void DeviceMonitor::CloseEvents() {
    if (events_ != nullptr) {
        hid_close(events_);
        events_ = nullptr;
    }
}

void DeviceMonitor::ReportRemoved() {
    if (path_.empty()) {
        return;
    }
    path_.clear();
    PostStatus(0);
}

void DeviceMonitor::ReportArrived(const std::string& path) {
    path_ = path;
    OpenEvents();  // before the report, so no event of the new device is missed
    PostStatus(1);
}

void DeviceMonitor::PostEvent(const unsigned char* report, int length) const {
    if (length < kEventReportSize || target_.window.post == nullptr) {
        return;
    }
    const auto key = static_cast<uint16_t>(report[1] | report[2] << 8);
    const auto value = static_cast<uint16_t>(report[3] | report[4] << 8);
    target_.window.post(target_.window.context, target_.dataMessage, key, value);
}

void DeviceMonitor::PostStatus(uint64_t arrived) const {
    if (target_.window.post != nullptr) {
        target_.window.post(target_.window.context, target_.statusMessage, arrived, 0);
    }
}
