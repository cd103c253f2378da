// How an apply's transfers and the mouse's events are told to the user.
#include <gtest/gtest.h>

#include "cli/device_event_text.h"
#include "cli/transfer_log.h"

namespace {

const QStringList kAcknowledged{QStringLiteral("receiver")};

TransferCall Call(const char* link, uint8_t id, std::size_t length, bool written = true) {
    return TransferCall{QLatin1String(link), id, length, -1, -1, written};
}

TransferCall Frame(const char* link, int button, int piece) {
    return TransferCall{QLatin1String(link), 0x09, 64, button, piece, true};
}

TEST(DescribeReportTest, CableTransfersAreDeliveredUnlessTheWriteFailed) {
    const ReportOutcome ok = DescribeReport(0x04, 56, {Call("cable", 0x04, 56)}, 1, kAcknowledged);
    EXPECT_TRUE(ok.delivered);
    EXPECT_EQ(ok.lines, QStringList{QStringLiteral("0x04 cable 56 bytes: delivered")});

    // The engine counts a failed cable write as sent; the user must still hear that it failed.
    const ReportOutcome failed =
        DescribeReport(0x0C, 10, {Call("cable", 0x0C, 10, false)}, 1, kAcknowledged);
    EXPECT_FALSE(failed.delivered);
    EXPECT_EQ(failed.lines, QStringList{QStringLiteral("0x0C cable 10 bytes: failed")});

    const ReportOutcome macro = DescribeReport(
        0x09, 131, {Frame("cable", 3, 0), Frame("cable", 3, 1), Frame("cable", 3, 2)}, 1,
        kAcknowledged);
    EXPECT_TRUE(macro.delivered);
    EXPECT_EQ(macro.lines, (QStringList{QStringLiteral("0x09 cable 64 bytes (button 3, piece 0): "
                                                       "delivered"),
                                        QStringLiteral("0x09 cable 64 bytes (button 3, piece 1): "
                                                       "delivered"),
                                        QStringLiteral("0x09 cable 64 bytes (button 3, piece 2): "
                                                       "delivered")}));
}

TEST(DescribeReportTest, OverTheReceiverOnlyTheLastTryOfAnAcknowledgedReportCounts) {
    const ReportOutcome acked = DescribeReport(
        0x06, 9,
        {Call("receiver", 0x06, 9), Call("receiver", 0x06, 9, false), Call("receiver", 0x06, 9)}, 1,
        kAcknowledged);
    EXPECT_TRUE(acked.delivered);  // a failed try before the acknowledgement does not matter
    EXPECT_EQ(acked.lines, (QStringList{QStringLiteral("0x06 receiver 9 bytes: not acknowledged"),
                                        QStringLiteral("0x06 receiver 9 bytes: failed"),
                                        QStringLiteral("0x06 receiver 9 bytes: delivered, "
                                                       "acknowledged")}));

    const ReportOutcome secondPass = DescribeReport(
        0x09, 131,
        {Frame("receiver", 18, 0), Frame("receiver", 18, 1), Frame("receiver", 18, 2),
         Frame("receiver", 18, 0), Frame("receiver", 18, 1), Frame("receiver", 18, 2)},
        1, kAcknowledged);
    ASSERT_EQ(secondPass.lines.size(), 6);
    EXPECT_EQ(secondPass.lines[2],
              QStringLiteral("0x09 receiver 64 bytes (button 18, piece 2): not acknowledged"));
    EXPECT_EQ(secondPass.lines[3],
              QStringLiteral("0x09 receiver 64 bytes (button 18, piece 0): delivered, "
                             "acknowledged"));

    const ReportOutcome never = DescribeReport(
        0x05, 15, {Call("receiver", 0x05, 15), Call("receiver", 0x05, 15)}, 0, kAcknowledged);
    EXPECT_FALSE(never.delivered);
    EXPECT_EQ(never.lines, (QStringList{QStringLiteral("0x05 receiver 15 bytes: not acknowledged"),
                                        QStringLiteral("0x05 receiver 15 bytes: not "
                                                       "acknowledged")}));
}

TEST(DescribeReportTest, AReportNoLinkTookIsNotDelivered) {
    const ReportOutcome none = DescribeReport(0x08, 59, {}, 0, kAcknowledged);
    EXPECT_FALSE(none.delivered);
    EXPECT_EQ(none.lines, QStringList{QStringLiteral("0x08 59 bytes: not sent, no link took it")});
}

TEST(DescribeDeviceEventTest, PowerStatus) {
    EXPECT_EQ(DescribeDeviceEvent(0x4069, 0x5A01),
              QStringLiteral("0x4069 0x5A01 power: level 90, on battery"));
    EXPECT_EQ(DescribeDeviceEvent(0x4069, 0x6402),
              QStringLiteral("0x4069 0x6402 power: level 100, charged"));
    EXPECT_EQ(DescribeDeviceEvent(0x4069, 0x1E03),
              QStringLiteral("0x4069 0x1E03 power: level 30, charging"));
    EXPECT_EQ(DescribeDeviceEvent(0x4069, 0x6500),
              QStringLiteral("0x4069 0x6500 power: level 101 out of range, on battery"));
}

TEST(DescribeDeviceEventTest, StagesAcknowledgementsAndStrangers) {
    EXPECT_EQ(DescribeDeviceEvent(0x1069, 3), QStringLiteral("0x1069 0x0003 DPI stage 3"));
    EXPECT_EQ(DescribeDeviceEvent(0x1069, 0),
              QStringLiteral("0x1069 0x0000 DPI stage 0 out of range, ignored"));
    EXPECT_EQ(DescribeDeviceEvent(0x1069, 9),
              QStringLiteral("0x1069 0x0009 DPI stage 9 out of range, ignored"));
    EXPECT_EQ(DescribeDeviceEvent(0x1068, 3),
              QStringLiteral("0x1068 0x0003 not a device event, ignored"));
    EXPECT_EQ(DescribeDeviceEvent(0x5069, 0x0100),
              QStringLiteral("0x5069 0x0100 acknowledgement: accepted"));
    EXPECT_EQ(DescribeDeviceEvent(0x5069, 0x0001),
              QStringLiteral("0x5069 0x0001 acknowledgement: refused (1)"));
    EXPECT_EQ(DescribeDeviceEvent(0x9069, 0), QStringLiteral("0x9069 0x0000 unknown event"));
}

}  // namespace
