// The hidapi face of the shared mouse, called as any hidapi user would.
#include <hidapi/hidapi.h>

#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/sim/frame_bytes.h"
#include "tests/sim/shared_mouse_fixture.h"

namespace sim::test {
namespace {

struct Listed {
    std::string path;
    unsigned short usagePage;
};

std::vector<Listed> Enumerate(unsigned short vendorId, unsigned short productId) {
    std::vector<Listed> result;
    hid_device_info* list = hid_enumerate(vendorId, productId);
    for (hid_device_info* i = list; i != nullptr; i = i->next) {
        result.push_back({i->path, i->usage_page});
    }
    hid_free_enumeration(list);
    return result;
}

// The vendor interface of a USB link, opened by its enumerated path.
hid_device* OpenVendor(unsigned short productId) {
    for (const Listed& l : Enumerate(0x1D57, productId)) {
        if (l.usagePage == 0xFF00) {
            return hid_open_path(l.path.c_str());
        }
    }
    return nullptr;
}

using SimulatedHidapi = SharedMouseTest;

TEST_F(SimulatedHidapi, EachDeviceIsListedOnlyWhileItsLinkIsUp) {
    ASSERT_EQ(hid_init(), 0);
    const auto cable = Enumerate(0x1D57, 0x2039);
    ASSERT_EQ(cable.size(), 2u);  // the mouse interface and the vendor interface
    EXPECT_EQ(cable[0].usagePage, 0x0001);
    EXPECT_EQ(cable[1].usagePage, 0xFF00);
    EXPECT_EQ(Enumerate(0x1D57, 0xFA60).size(), 2u);
    EXPECT_TRUE(Enumerate(0x045E, 0x0069).empty());
    EXPECT_EQ(Enumerate(0, 0).size(), 4u);

    mouse.SetBluetoothConnected(true);
    EXPECT_EQ(Enumerate(0x045E, 0x0069).size(), 1u);
    mouse.SetCablePlugged(false);
    EXPECT_TRUE(Enumerate(0x1D57, 0x2039).empty());
    EXPECT_EQ(Enumerate(0x1D57, 0xFA60).size(), 2u);
    // Behind a plugged receiver the sleeping mouse does not hide the receiver.
    mouse.SetMouseAwake(false);
    EXPECT_EQ(Enumerate(0x1D57, 0xFA60).size(), 2u);
    mouse.SetBluetoothConnected(false);
    EXPECT_TRUE(Enumerate(0x045E, 0x0069).empty());
    EXPECT_EQ(hid_open(0x1D57, 0x2039, nullptr), nullptr);
    EXPECT_EQ(hid_open_path("/dev/hidraw0"), nullptr);
}

TEST_F(SimulatedHidapi, FeatureReportsReachTheMouseOnlyThroughTheVendorInterface) {
    hid_device* vendor = OpenVendor(0x2039);
    hid_device* pointer = hid_open(0x1D57, 0x2039, nullptr);  // the first interface
    ASSERT_NE(vendor, nullptr);
    ASSERT_NE(pointer, nullptr);
    EXPECT_EQ(hid_get_device_info(pointer)->usage_page, 0x0001);

    const Bytes rate = {0x06, 0x09, 0x01, 0x01, 0xFE, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(hid_send_feature_report(pointer, rate.data(), rate.size()), -1);
    EXPECT_TRUE(mouse.Log().empty());

    EXPECT_EQ(hid_send_feature_report(vendor, rate.data(), rate.size()), 9);
    const auto log = mouse.Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].link, Link::Cable);
    EXPECT_EQ(log[0].bytes, rate);
    EXPECT_TRUE(log[0].accepted) << log[0].reason;
    EXPECT_EQ(mouse.Settings().rateCode, 1);

    // The mouse takes nothing but feature reports, and is never read back.
    unsigned char buffer[64] = {0x06};
    EXPECT_EQ(hid_write(vendor, rate.data(), rate.size()), -1);
    EXPECT_EQ(hid_get_feature_report(vendor, buffer, sizeof buffer), -1);
    EXPECT_EQ(hid_send_feature_report(vendor, nullptr, 9), -1);
    EXPECT_EQ(hid_send_feature_report(vendor, rate.data(), 0), -1);
    EXPECT_EQ(mouse.Log().size(), 1u);
    hid_close(pointer);
    hid_close(vendor);
}

TEST_F(SimulatedHidapi, EventsArriveAsInputReportsOnTheVendorInterfaceOfTheirLink) {
    hid_device* cable = OpenVendor(0x2039);
    hid_device* receiver = OpenVendor(0xFA60);
    hid_device* pointer = hid_open(0x1D57, 0x2039, nullptr);
    ASSERT_NE(cable, nullptr);
    ASSERT_NE(receiver, nullptr);
    ASSERT_NE(pointer, nullptr);

    mouse.SetBattery(90, false, false);  // level 90 (0x5A), on battery (1)
    unsigned char report[64];
    ASSERT_EQ(hid_read_timeout(cable, report, sizeof report, kGuard.count()), 64);
    const Bytes head(report, report + 6);
    EXPECT_EQ(head, (Bytes{0x06, 0x69, 0x40, 0x01, 0x5A, 0x00}));
    ASSERT_EQ(hid_read_timeout(receiver, report, 5, kGuard.count()), 5);
    EXPECT_EQ(Bytes(report, report + 5), (Bytes{0x06, 0x69, 0x40, 0x01, 0x5A}));
    // Nothing for the mouse interface, and nothing more for the others.
    EXPECT_EQ(hid_read_timeout(pointer, report, sizeof report, 0), 0);
    EXPECT_EQ(hid_read_timeout(cable, report, sizeof report, 0), 0);
    hid_set_nonblocking(receiver, 1);
    EXPECT_EQ(hid_read(receiver, report, sizeof report), 0);

    // An acknowledgement goes only to the receiver.
    const Bytes rate = {0x06, 0x09, 0x01, 0x02, 0xFD, 0x00, 0x00, 0x00, 0x00};
    ASSERT_EQ(hid_send_feature_report(receiver, rate.data(), rate.size()), 9);
    ASSERT_EQ(hid_read_timeout(receiver, report, 5, kGuard.count()), 5);
    EXPECT_EQ(Bytes(report, report + 5), (Bytes{0x06, 0x69, 0x50, 0x00, 0x00}));
    EXPECT_EQ(hid_read_timeout(cable, report, sizeof report, 0), 0);
    hid_close(pointer);
    hid_close(receiver);
    hid_close(cable);
}

TEST_F(SimulatedHidapi, AnUnreadQueueKeepsOnlyTheNewestEvents) {
    hid_device* cable = OpenVendor(0x2039);
    ASSERT_NE(cable, nullptr);
    for (int level = 0; level < 200; ++level) {
        mouse.SetBattery(level, false, false);
    }
    unsigned char report[64];
    int reports = 0;
    int lastLevel = -1;
    while (hid_read_timeout(cable, report, sizeof report, 0) > 0) {
        ++reports;
        lastLevel = report[4];
    }
    EXPECT_EQ(reports, 64);
    EXPECT_EQ(lastLevel, 199);
    hid_close(cable);
}

TEST_F(SimulatedHidapi, AHandleFailsForGoodOnceItsDeviceWentAway) {
    hid_device* cable = OpenVendor(0x2039);
    ASSERT_NE(cable, nullptr);
    // A reader blocked without a timeout comes back when the cable is pulled.
    auto blocked = std::async(std::launch::async, [cable] {
        unsigned char report[64];
        return hid_read(cable, report, sizeof report);
    });
    mouse.SetCablePlugged(false);
    ASSERT_EQ(blocked.wait_for(kGuard), std::future_status::ready);
    EXPECT_EQ(blocked.get(), -1);

    mouse.SetCablePlugged(true);
    const Bytes rate = {0x06, 0x09, 0x01, 0x08, 0xF7, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(hid_send_feature_report(cable, rate.data(), rate.size()), -1);
    EXPECT_NE(std::wstring(hid_error(cable)), L"Success");
    mouse.SetBattery(50, false, false);
    unsigned char report[64];
    EXPECT_EQ(hid_read_timeout(cable, report, sizeof report, 0), -1);
    EXPECT_TRUE(mouse.Log().empty());

    // A new handle on the device that came back works.
    hid_device* again = OpenVendor(0x2039);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(hid_send_feature_report(again, rate.data(), rate.size()), 9);
    hid_close(again);
    hid_close(cable);
}

TEST_F(SimulatedHidapi, ALinkDroppedDuringATransferFailsItAndTakesTheDeviceAway) {
    hid_device* receiver = OpenVendor(0xFA60);
    ASSERT_NE(receiver, nullptr);
    const Bytes frame = Frame(64, {{0, {0x09, 0x40, 0x01, 0x00}}});
    mouse.DropLinkAfter(Link::Receiver, 1);
    EXPECT_EQ(hid_send_feature_report(receiver, frame.data(), frame.size()), 64);
    EXPECT_EQ(hid_send_feature_report(receiver, frame.data(), frame.size()), -1);
    EXPECT_TRUE(Enumerate(0x1D57, 0xFA60).empty());
    unsigned char report[64];
    EXPECT_EQ(hid_read_timeout(receiver, report, sizeof report, kGuard.count()), -1);
    hid_close(receiver);
}

TEST_F(SimulatedHidapi, TheStatusTickerKeepsAnAwakeMouseBehindTheReceiverVisible) {
    hid_device* receiver = OpenVendor(0xFA60);
    ASSERT_NE(receiver, nullptr);
    mouse.SetBattery(77, false, false);
    unsigned char report[64];
    ASSERT_EQ(hid_read_timeout(receiver, report, sizeof report, kGuard.count()), 64);

    SetSharedMouseStatusPeriod(std::chrono::milliseconds(5));
    ASSERT_EQ(hid_read_timeout(receiver, report, sizeof report, kGuard.count()), 64);
    SetSharedMouseStatusPeriod(std::chrono::milliseconds(0));
    EXPECT_EQ(Bytes(report, report + 5), (Bytes{0x06, 0x69, 0x40, 0x01, 77}));
    hid_close(receiver);
}

TEST_F(SimulatedHidapi, DescribesItselfLikeTheHidapiItStandsFor) {
    EXPECT_EQ(hid_version()->major, HID_API_VERSION_MAJOR);
    EXPECT_EQ(hid_version()->minor, HID_API_VERSION_MINOR);
    EXPECT_STREQ(hid_version_str(), HID_API_VERSION_STR);
    hid_device* cable = OpenVendor(0x2039);
    ASSERT_NE(cable, nullptr);
    wchar_t text[4];
    ASSERT_EQ(hid_get_manufacturer_string(cable, text, 4), 0);
    EXPECT_EQ(std::wstring(text), L"Cor");  // cut to the buffer, always terminated
    EXPECT_EQ(hid_get_indexed_string(cable, 1, text, 4), -1);
    EXPECT_EQ(hid_get_manufacturer_string(nullptr, text, 4), -1);
    hid_close(cable);
}

}  // namespace
}  // namespace sim::test
