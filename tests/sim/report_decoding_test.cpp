// Whole reports as the cable and Bluetooth hand them to the mouse: what they decode to, and the
// malformed ones it must refuse without touching its settings.
#include <gtest/gtest.h>

#include "sim/simulated_mouse.h"
#include "tests/sim/frame_bytes.h"

namespace sim {
namespace {

using test::Bytes;
using test::Frame;

class ReportDecodingTest : public ::testing::Test {
protected:
    void SetUp() override {
        mouse.SetCablePlugged(true);
        mouse.SetBluetoothConnected(true);
    }
    bool Send(const Bytes& bytes, Link link = Link::Cable) {
        return mouse.Receive(link, bytes.data(), bytes.size());
    }
    TransferLogEntry LastEntry() const { return mouse.Log().back(); }

    SimulatedMouse mouse;
};

TEST_F(ReportDecodingTest, DefaultDpiReportDecodesToStagesInDpiAndRgbColours) {
    ASSERT_TRUE(Send(test::SparseDpiReport()));
    ASSERT_TRUE(Send(test::DefaultDpiReport()));
    ASSERT_TRUE(LastEntry().accepted) << LastEntry().reason;

    const DpiSettings dpi = mouse.Settings().dpi;
    EXPECT_EQ(dpi.dpi, (std::array<uint16_t, 8>{800, 1200, 1600, 2400, 3200, 6000, 0, 0}));
    EXPECT_EQ(dpi.currentStage, 3);
    EXPECT_EQ(dpi.stageMask, 0x3F);
    EXPECT_EQ(dpi.paramA, 8);
    EXPECT_EQ(dpi.paramB, 8);
    EXPECT_EQ(dpi.colors[0], (Rgb{0xFF, 0x00, 0x00}));
    EXPECT_EQ(dpi.colors[2], (Rgb{0x00, 0x00, 0xFF}));
    EXPECT_EQ(dpi.colors[6], (Rgb{0xFF, 0x40, 0x00}));
    EXPECT_EQ(dpi.colors[7], (Rgb{0xFF, 0xFF, 0xFF}));
}

TEST_F(ReportDecodingTest, DpiValuesUseBothBytesAndKeepTheirParams) {
    ASSERT_TRUE(Send(test::SparseDpiReport(), Link::Bluetooth));
    ASSERT_TRUE(LastEntry().accepted) << LastEntry().reason;
    const DpiSettings dpi = mouse.Settings().dpi;
    EXPECT_EQ(dpi.dpi, (std::array<uint16_t, 8>{400, 0, 2000, 0, 0, 26000, 0, 0}));
    EXPECT_EQ(dpi.stageMask, 0x25);
    EXPECT_EQ(dpi.paramA, 0x0A);
    EXPECT_EQ(dpi.paramB, 0x07);
    EXPECT_EQ(dpi.colors[0], (Rgb{0x11, 0x22, 0x33}));
    EXPECT_EQ(dpi.colors[1], (Rgb{0x00, 0x00, 0x00}));
    EXPECT_EQ(dpi.colors[2], (Rgb{0x44, 0x55, 0x66}));
    EXPECT_EQ(dpi.colors[5], (Rgb{0x77, 0x88, 0x99}));
}

TEST_F(ReportDecodingTest, LightingReportsReassembleSleepAndInvertSpeed) {
    // Mode 9 breathes with brightness 4; sleep 90 min = 0x5A split over two high nibbles; speed 2
    // goes out as 7.
    ASSERT_TRUE(Send({0x05, 0x0F, 0x01, 0x90, 0x57, 0xA4, 0x12, 0x34, 0x56, 0x14, 0x01, 0x02, 0x3C,
                      0x00, 0x00}));
    ASSERT_TRUE(LastEntry().accepted) << LastEntry().reason;
    LightingSettings lighting = mouse.Settings().lighting;
    EXPECT_EQ(lighting.mode, 9);
    EXPECT_EQ(lighting.speed, 2);
    EXPECT_EQ(lighting.brightness, 4);
    EXPECT_EQ(lighting.sleepTimer, 90);
    EXPECT_EQ(lighting.color, (Rgb{0x12, 0x34, 0x56}));
    EXPECT_EQ(lighting.lightOffTimer, 0x14);
    EXPECT_EQ(lighting.buttonMode, 1);

    ASSERT_TRUE(Send(test::DefaultLightingReport()));
    ASSERT_TRUE(LastEntry().accepted) << LastEntry().reason;
    lighting = mouse.Settings().lighting;
    EXPECT_EQ(lighting.mode, 1);
    EXPECT_EQ(lighting.speed, 6);
    EXPECT_EQ(lighting.brightness, 8);
    EXPECT_EQ(lighting.sleepTimer, 10);
    EXPECT_EQ(lighting.color, (Rgb{0x00, 0x00, 0xFF}));
    EXPECT_EQ(lighting.lightOffTimer, 1);
    EXPECT_EQ(lighting.buttonMode, 0);
}

TEST_F(ReportDecodingTest, EffectsWithoutBrightnessMustCarryEight) {
    const Bytes steadyWithEight = {0x05, 0x0F, 0x01, 0x30, 0x03, 0xA8, 0x00, 0x00,
                                   0xFF, 0x01, 0x00, 0x01, 0xDB, 0x00, 0x00};
    ASSERT_TRUE(Send(steadyWithEight));
    EXPECT_TRUE(LastEntry().accepted) << LastEntry().reason;
    EXPECT_EQ(mouse.Settings().lighting.mode, 3);

    const Bytes steadyWithFive = {0x05, 0x0F, 0x01, 0x30, 0x03, 0xA5, 0x00, 0x00,
                                  0xFF, 0x01, 0x00, 0x01, 0xD8, 0x00, 0x00};
    Send(steadyWithFive);
    EXPECT_FALSE(LastEntry().accepted);
    EXPECT_EQ(mouse.Settings().lighting.brightness, 8);
}

TEST_F(ReportDecodingTest, RateButtonAndStartReports) {
    ASSERT_TRUE(Send({0x06, 0x09, 0x01, 0x01, 0xFE, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(mouse.Settings().rateCode, 1);
    ASSERT_TRUE(Send(test::DefaultRateReport()));
    EXPECT_EQ(mouse.Settings().rateCode, 4);

    ASSERT_TRUE(Send(test::StartReport()));
    ASSERT_TRUE(Send(test::StartReport(), Link::Bluetooth));
    EXPECT_EQ(mouse.Settings().startReports, 2);

    // Button 0 on Ctrl+Shift+O, button 13 on macro 15, the rest on their defaults.
    ASSERT_TRUE(Send({0x08, 0x3B, 0x01, 0x11, 0x03, 0x12, 0x03, 0x00, 0x00, 0x04, 0x00, 0x00,
                      0x0D, 0x00, 0x00, 0x11, 0x01, 0x06, 0x11, 0x01, 0x19, 0x05, 0x00, 0x00,
                      0x06, 0x00, 0x00, 0x11, 0x08, 0x2B, 0x3C, 0x00, 0x00, 0x01, 0x00, 0x00,
                      0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x12, 0x00, 0x0F, 0x01, 0x00, 0x00,
                      0x01, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x09, 0x00, 0x00, 0x01, 0x41}));
    ASSERT_TRUE(LastEntry().accepted) << LastEntry().reason;
    const auto buttons = mouse.Settings().buttons;
    EXPECT_EQ(buttons[0], (ButtonFunction{0x11, 0x03, 0x12}));
    EXPECT_EQ(buttons[3], (ButtonFunction{0x0D, 0x00, 0x00}));
    EXPECT_EQ(buttons[13], (ButtonFunction{0x12, 0x00, 0x0F}));
    EXPECT_EQ(buttons[17], (ButtonFunction{0x09, 0x00, 0x00}));
    for (const auto& entry : mouse.Log()) {
        EXPECT_TRUE(entry.accepted) << entry.reason;
    }
}

// Each damaged report is refused with a reason, still taken by the link, and changes nothing.
TEST_F(ReportDecodingTest, MalformedReportsAreRefusedAndChangeNothing) {
    Bytes badSum = test::DefaultDpiReport();
    badSum[8] = 0x21;  // 801 DPI without a matching checksum
    Bytes wrongLengthByte = test::DefaultLightingReport();
    wrongLengthByte[1] = 0x10;
    Bytes truncated = test::DefaultDpiReport();
    truncated.pop_back();
    Bytes badMarker = test::DefaultDpiReport();
    badMarker[49] = 0x03;
    badMarker[51] = 0x22;  // checksum fixed up so only the marker is wrong
    Bytes lightingGarbageTail = test::DefaultLightingReport();
    lightingGarbageTail[14] = 0x01;
    Bytes startWrongPayload = test::StartReport();
    startWrongPayload[5] = 0xFC;
    Bytes notSlotOne = test::DefaultRateReport();
    notSlotOne[2] = 0x02;

    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"checksum", badSum},
        {"length byte", wrongLengthByte},
        {"transfer length", truncated},
        {"dpi marker", badMarker},
        {"lighting tail", lightingGarbageTail},
        {"start payload", startWrongPayload},
        {"rate complement", {0x06, 0x09, 0x01, 0x04, 0xFA, 0x00, 0x00, 0x00, 0x00}},
        {"rate code", {0x06, 0x09, 0x01, 0x03, 0xFC, 0x00, 0x00, 0x00, 0x00}},
        {"slot number", notSlotOne},
        {"unknown report", {0x07, 0x09, 0x01, 0x04, 0xFB, 0x00, 0x00, 0x00, 0x00}},
        {"too short", {0x06, 0x09}},
        // A whole macro report is never a feature report: USB carries it in frames.
        {"whole macro over usb", Frame(131, {{0, {0x09, 0x83, 0x03}}})},
    };
    ASSERT_TRUE(Send(test::SparseDpiReport()));
    const MouseSettings before = mouse.Settings();
    mouse.ClearLog();
    for (const auto& [name, bytes] : cases) {
        EXPECT_TRUE(Send(bytes)) << name;
        const TransferLogEntry entry = LastEntry();
        EXPECT_FALSE(entry.accepted) << name;
        EXPECT_FALSE(entry.reason.empty()) << name;
        EXPECT_EQ(entry.bytes, bytes) << name;
        EXPECT_EQ(mouse.Settings(), before) << name;
    }
    EXPECT_EQ(mouse.Log().size(), cases.size());
}

TEST_F(ReportDecodingTest, LinksThatAreDownRefuseTransfersAndLogThem) {
    mouse.SetBluetoothConnected(false);
    EXPECT_FALSE(Send(test::DefaultRateReport(), Link::Bluetooth));
    EXPECT_FALSE(Send(test::DefaultRateReport(), Link::Receiver));
    const auto log = mouse.Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].link, Link::Bluetooth);
    EXPECT_EQ(log[1].link, Link::Receiver);
    EXPECT_FALSE(log[0].accepted);
    EXPECT_EQ(log[0].reason, "link down");
    mouse.ClearLog();
    EXPECT_TRUE(mouse.Log().empty());

    // A transfer without bytes is refused by the mouse, not dereferenced.
    EXPECT_TRUE(mouse.Receive(Link::Cable, nullptr, 64));
    EXPECT_FALSE(LastEntry().accepted);
}

}  // namespace
}  // namespace sim
