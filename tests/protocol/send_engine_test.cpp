#include "protocol/send_engine.h"

#include <vector>

#include <gtest/gtest.h>

#include "tests/protocol/fake_links.h"
#include "tests/protocol/report_test_util.h"

namespace {

const std::vector<uint8_t> kRateReport = Hex("06 09 01 04 FB 00 00 00 00");
const std::vector<uint8_t> k0CReport = Hex("0C 0A 01 FE 02 FD 00 00 00 00");

// A 131-byte macro report for button 5 whose payload bytes are their own index, so every frame
// shows which report bytes it carries.
std::vector<uint8_t> IndexedMacroReport() {
    std::vector<uint8_t> report(131);
    for (std::size_t i = 0; i < report.size(); ++i) {
        report[i] = static_cast<uint8_t>(i);
    }
    report[0] = 0x09;
    report[1] = 0x83;
    report[2] = 0x05;
    return report;
}

std::vector<uint8_t> Head(const std::vector<uint8_t>& frame, std::size_t n) {
    return {frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(n)};
}

class SendEngineTest : public ::testing::Test {
protected:
    int Send(const std::vector<uint8_t>& report) {
        return engine.SendReport(report.data(), report.size());
    }

    LinkState links;
    RecordingTransport wired;
    RecordingTransport receiver;
    RecordingTransport ble;
    RecordingSleeper sleeper;
    SendEngine engine{links, SendTransports{&wired, &receiver, &ble}, sleeper};
};

TEST_F(SendEngineTest, CableSendsOnceAndPausesOnlyAfterSuccess) {
    links.cableState = kLinkPresent;
    links.bleConnected = 1;

    EXPECT_EQ(Send(k0CReport), 1);
    ASSERT_EQ(wired.sent.size(), 1u);
    EXPECT_EQ(wired.sent[0], k0CReport);
    EXPECT_EQ(sleeper.waits, (std::vector<int>{200}));

    // A failed wired transfer is not repeated and never falls through, but it is not delivered.
    wired.result = false;
    EXPECT_EQ(Send(kRateReport), 0);
    EXPECT_EQ(wired.sent.size(), 2u);
    EXPECT_EQ(sleeper.waits.size(), 1u);
    EXPECT_TRUE(ble.sent.empty());

    // One lost frame of three loses the macro; the other frames still go out.
    wired.afterSend = [&] { wired.result = wired.sent.size() != 4; };
    EXPECT_EQ(Send(IndexedMacroReport()), 0);
    EXPECT_EQ(wired.sent.size(), 5u);
}

TEST_F(SendEngineTest, CableCarriesAMacroInThreeFrames) {
    links.cableState = kLinkPresent;
    links.receiverState = kLinkPresent;
    links.wirelessAwake = 1;

    EXPECT_EQ(Send(IndexedMacroReport()), 1);
    ASSERT_EQ(wired.sent.size(), 3u);
    for (const auto& frame : wired.sent) {
        EXPECT_EQ(frame.size(), 64u);
    }
    EXPECT_EQ(Head(wired.sent[0], 6), Hex("09 40 05 00 03 04"));
    EXPECT_EQ(wired.sent[0][63], 0x3E);  // report byte 62
    EXPECT_EQ(Head(wired.sent[1], 6), Hex("09 40 05 01 3F 40"));
    EXPECT_EQ(wired.sent[1][63], 0x7A);  // report byte 122
    EXPECT_EQ(wired.sent[2], Hex("09 40 05 02 7B 7C 7D 7E 7F 80 81 82" + Zeros(52)));
    EXPECT_EQ(sleeper.waits, (std::vector<int>{200, 200, 200}));
    EXPECT_TRUE(receiver.sent.empty());  // the receiver is never used beside the cable
}

TEST_F(SendEngineTest, ReceiverStopsAsSoonAsTheMouseAcknowledges) {
    links.receiverState = kLinkPresent;
    links.wirelessAwake = 1;
    sleeper.duringWait = [&](int wait) {
        if (wait == 1) {
            engine.OnAcknowledgementEvent(0x0000);
        }
    };

    EXPECT_EQ(Send(k0CReport), 1);
    EXPECT_EQ(receiver.sent.size(), 1u);
    EXPECT_EQ(sleeper.waits, (std::vector<int>{500}));
}

TEST_F(SendEngineTest, ReceiverIgnoresAnAcknowledgementLeftFromBefore) {
    links.receiverState = kLinkPresent;
    links.wirelessAwake = 1;
    engine.OnAcknowledgementEvent(0x0000);  // belongs to an earlier report
    // A refusal (low byte not 0) clears an acceptance that came just before it.
    sleeper.duringWait = [&](int wait) {
        if (wait == 2) {
            engine.OnAcknowledgementEvent(0x0000);
            engine.OnAcknowledgementEvent(0x0001);
        }
        if (wait == 4) {
            engine.OnAcknowledgementEvent(0x0100);  // only the low byte decides: accepted
        }
    };

    EXPECT_EQ(Send(k0CReport), 1);
    EXPECT_EQ(receiver.sent.size(), 4u);
}

TEST_F(SendEngineTest, ReceiverWithoutAcknowledgementTriesTenTimesThenBluetooth) {
    links.receiverState = kLinkPresent;
    links.wirelessAwake = 1;
    links.bleConnected = 1;

    EXPECT_EQ(Send(k0CReport), 1);
    EXPECT_EQ(receiver.sent.size(), 10u);
    ASSERT_EQ(ble.sent.size(), 1u);
    EXPECT_EQ(ble.sent[0], k0CReport);
    std::vector<int> expected(10, 500);
    expected.push_back(500);  // after the Bluetooth write
    EXPECT_EQ(sleeper.waits, expected);

    // Without Bluetooth nothing took the report.
    links.bleConnected = 0;
    EXPECT_EQ(Send(k0CReport), 0);
    EXPECT_EQ(receiver.sent.size(), 20u);
}

TEST_F(SendEngineTest, ReceiverSendsMacroPassesWithTheLastFrameMarked0C) {
    links.receiverState = kLinkPresent;
    links.wirelessAwake = 1;
    receiver.afterSend = [&] {
        if (receiver.sent.size() == 4) {  // first frame of the second pass
            engine.OnAcknowledgementEvent(0);
        }
    };

    EXPECT_EQ(Send(IndexedMacroReport()), 1);
    ASSERT_EQ(receiver.sent.size(), 6u);  // the pass in progress is finished
    EXPECT_EQ(Head(receiver.sent[0], 4), Hex("09 40 05 00"));
    EXPECT_EQ(Head(receiver.sent[1], 4), Hex("09 40 05 01"));
    EXPECT_EQ(receiver.sent[2], Hex("09 0C 05 02 7B 7C 7D 7E 7F 80 81 82" + Zeros(52)));
    EXPECT_EQ(sleeper.waits, std::vector<int>(6, 1000));
}

TEST_F(SendEngineTest, ReceiverMacroWithoutAcknowledgementGivesUpAfterTenPasses) {
    links.receiverState = kLinkPresent;
    links.wirelessAwake = 1;
    EXPECT_EQ(Send(IndexedMacroReport()), 0);
    EXPECT_EQ(receiver.sent.size(), 30u);
}

TEST_F(SendEngineTest, BluetoothNeverCarriesTheRateReport) {
    links.bleConnected = 1;
    links.receiverState = kLinkPresent;  // mouse asleep behind it: the receiver is skipped

    EXPECT_EQ(Send(kRateReport), 0);
    EXPECT_TRUE(ble.sent.empty());

    EXPECT_EQ(Send(IndexedMacroReport()), 1);  // whole, not in frames
    ASSERT_EQ(ble.sent.size(), 1u);
    EXPECT_EQ(ble.sent[0].size(), 131u);
    EXPECT_TRUE(receiver.sent.empty());

    ble.result = false;
    EXPECT_EQ(Send(k0CReport), 0);
    EXPECT_EQ(sleeper.waits, (std::vector<int>{500}));
}

TEST_F(SendEngineTest, StopEndsTheReceiverRetriesAndEveryLaterSend) {
    links.receiverState = kLinkPresent;
    links.wirelessAwake = 1;
    links.bleConnected = 1;
    sleeper.duringWait = [&](int wait) {
        if (wait == 2) {
            engine.Stop();  // the program quits while the mouse does not answer
        }
    };

    EXPECT_EQ(Send(k0CReport), 0);
    EXPECT_EQ(receiver.sent.size(), 2u);
    EXPECT_TRUE(ble.sent.empty());  // no fall-through to Bluetooth either
    EXPECT_EQ(Send(IndexedMacroReport()), 0);
    links.cableState = kLinkPresent;
    EXPECT_EQ(Send(k0CReport), 0);
    EXPECT_EQ(receiver.sent.size() + wired.sent.size(), 2u);
}

TEST_F(SendEngineTest, NoLinkOrAnUnloadedLibrarySendsNothing) {
    EXPECT_EQ(Send(k0CReport), 0);
    links.cableState = kLinkRemoved;
    EXPECT_EQ(Send(k0CReport), 0);
    EXPECT_EQ(engine.SendReport(nullptr, 0), 0);

    LinkState cableOnly;
    cableOnly.cableState = kLinkPresent;
    SendEngine unloaded(cableOnly, SendTransports{}, sleeper);
    EXPECT_EQ(unloaded.SendReport(k0CReport.data(), k0CReport.size()), 0);
    EXPECT_TRUE(wired.sent.empty());
    EXPECT_TRUE(sleeper.waits.empty());
}

TEST(SendEngineRealTime, WiredReportGoesThroughWithTheRealSleeper) {
    LinkState links;
    links.cableState = kLinkPresent;
    RecordingTransport wired;
    ThreadSleeper sleeper;
    SendEngine engine(links, SendTransports{&wired, nullptr, nullptr}, sleeper);

    EXPECT_EQ(engine.SendReport(k0CReport.data(), k0CReport.size()), 1);
    ASSERT_EQ(wired.sent.size(), 1u);
    EXPECT_EQ(wired.sent[0], k0CReport);
}

}  // namespace
