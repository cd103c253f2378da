// The panel's short texts and its place on the screen, where a slip would show garbage, divide by
// zero, read outside the DPI table or put the window off the screen.
#include <QRect>
#include <QSize>

#include <gtest/gtest.h>

#include "sim/panel/panel_placement.h"
#include "sim/panel/transfer_text.h"

namespace sim {
namespace {

TEST(PanelTextTest, HexIsShortenedWithTheCountLeftOut) {
    EXPECT_EQ(ShortHex({}, 12), QString());
    EXPECT_EQ(ShortHex({0x0C, 0xfe, 0x00}, 12), QStringLiteral("0C FE 00"));
    EXPECT_EQ(ShortHex({0x01, 0x02, 0x03}, 3), QStringLiteral("01 02 03"));
    EXPECT_EQ(ShortHex({0x01, 0x02, 0x03, 0x04, 0x05}, 2), QStringLiteral("01 02 … (+3)"));
    EXPECT_EQ(ShortHex({0x01, 0x02}, 0), QStringLiteral("… (+2)"));
    EXPECT_EQ(ShortHex({0x01, 0x02}, -4), QStringLiteral("… (+2)"));
}

TEST(PanelTextTest, VerdictNamesLinkSizeAndReason) {
    EXPECT_EQ(TransferVerdict({Link::Receiver, {0x06}, true, {}}),
              QStringLiteral("receiver · 1 byte · accepted"));
    EXPECT_EQ(TransferVerdict({Link::Cable, {}, false, "link down"}),
              QStringLiteral("cable · 0 bytes · rejected: link down"));
}

TEST(PanelTextTest, StageOutsideTheTableShowsNoDpi) {
    DpiSettings dpi;
    dpi.dpi = {800, 1200, 1600, 2400, 3200, 6000, 0, 12000};
    dpi.stageMask = 0xBF;
    dpi.currentStage = 8;
    EXPECT_EQ(DpiStageText(dpi), QStringLiteral("Stage 8 of 7 · 12000 DPI"));
    dpi.currentStage = 0;
    EXPECT_EQ(DpiStageText(dpi), QStringLiteral("Stage 0 of 7"));
    dpi.currentStage = 9;
    EXPECT_EQ(DpiStageText(dpi), QStringLiteral("Stage 9 of 7"));
}

TEST(PanelTextTest, ColoursShowTheStagesInUseAndTheLighting) {
    DpiSettings dpi;
    dpi.stageMask = 0x05;  // stages 1 and 3
    dpi.colors[0] = {0xFF, 0x00, 0x0A};
    dpi.colors[1] = {0x12, 0x34, 0x56};
    dpi.colors[2] = {0x00, 0x80, 0xFF};
    EXPECT_EQ(ColorsText(dpi, {0x01, 0x02, 0x03}),
              QStringLiteral("<span style=\"color:#ff000a\">■</span>"
                             "<span style=\"color:#0080ff\">■</span>"
                             " · light <span style=\"color:#010203\">■</span>"));
}

TEST(PanelTextTest, RateCodesReadAsPeriodAndFrequency) {
    EXPECT_EQ(ReportRateText(8), QStringLiteral("8 ms · 125 Hz"));
    EXPECT_EQ(ReportRateText(1), QStringLiteral("1 ms · 1000 Hz"));
    EXPECT_EQ(ReportRateText(0), QStringLiteral("code 0"));
    EXPECT_EQ(EventText(Link::Bluetooth, 0x4069, 0x5A01),
              QStringLiteral("0x4069 = 0x5a01 over the bluetooth"));
}

TEST(PanelTextTest, ButtonFunctionsReadFromTheirThreeBytes) {
    EXPECT_EQ(ButtonFunctionText({0x02, 0x00, 0x00}), QStringLiteral("left click"));
    EXPECT_EQ(ButtonFunctionText({0x11, 0x03, 0x06}), QStringLiteral("keys Ctrl+Shift 0x06"));
    EXPECT_EQ(ButtonFunctionText({0x11, 0x00, 0x3E}), QStringLiteral("keys 0x3e"));
    EXPECT_EQ(ButtonFunctionText({0x11, 0x0F, 0x00}),
              QStringLiteral("keys Ctrl+Shift+Alt+Win 0x00"));
    EXPECT_EQ(ButtonFunctionText({0x12, 0x00, 0x0F}), QStringLiteral("macro 15"));
    EXPECT_EQ(ButtonFunctionText({0x3C, 0x00, 0x00}), QStringLiteral("function 0x3c"));
}

TEST(PanelPlacementTest, RightOfTheWindowElseLeftElseAgainstTheEdge) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize panel(440, 700);
    EXPECT_EQ(PlaceBeside(QRect(100, 100, 800, 600), panel, screen), QPoint(912, 100));
    EXPECT_EQ(PlaceBeside(QRect(1000, 100, 800, 600), panel, screen), QPoint(548, 100));
    EXPECT_EQ(PlaceBeside(QRect(0, 50, 1900, 600), panel, screen), QPoint(1480, 50));
}

TEST(PanelPlacementTest, StaysOnTheScreenVertically) {
    const QRect screen(1920, 0, 1280, 1024);  // a second monitor right of the first
    EXPECT_EQ(PlaceBeside(QRect(2000, 900, 400, 300), QSize(440, 700), screen), QPoint(2412, 324));
    EXPECT_EQ(PlaceBeside(QRect(2000, -50, 400, 300), QSize(440, 700), screen), QPoint(2412, 0));
    // Taller than the screen: its top stays visible.
    EXPECT_EQ(PlaceBeside(QRect(2000, 100, 400, 300), QSize(440, 1400), screen), QPoint(2412, 0));
}

}  // namespace
}  // namespace sim
