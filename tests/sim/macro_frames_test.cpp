// Macro reports: three 64-byte frames over the cable and the receiver, one whole report over
// Bluetooth; how the pairs decode back into actions, and frames that break the sequence.
#include <array>

#include <gtest/gtest.h>

#include "sim/simulated_mouse.h"
#include "tests/sim/frame_bytes.h"

namespace sim {
namespace {

using test::Bytes;
using test::Frame;

class MacroFramesTest : public ::testing::Test {
protected:
    void SetUp() override {
        mouse.SetCablePlugged(true);
        mouse.SetReceiverPlugged(true);
        mouse.SetMouseAwake(true);
        mouse.SetBluetoothConnected(true);
    }
    bool Send(Link link, const Bytes& bytes) {
        return mouse.Receive(link, bytes.data(), bytes.size());
    }
    std::vector<bool> Accepted() const {
        std::vector<bool> accepted;
        for (const auto& entry : mouse.Log()) {
            accepted.push_back(entry.accepted);
        }
        return accepted;
    }
    static void ExpectSampleMacro(const DecodedMacro& macro) {
        EXPECT_EQ(macro.repeatMode, 1);
        EXPECT_EQ(macro.option, 0);
        EXPECT_EQ(macro.repeatCount, 1);
        EXPECT_EQ(macro.pairCount, 5);
        ASSERT_EQ(macro.actions.size(), 4u);
        EXPECT_EQ(macro.actions[0], (DecodedMacroAction{0x04, kMacroPress, 50, 0x05, false, 0}));
        // 0x8B: release, 11 tenths; the (6, 0x03) pair adds 6 x 200 ms.
        EXPECT_EQ(macro.actions[1], (DecodedMacroAction{0x04, kMacroRelease, 1310, 0x8B, true, 6}));
        EXPECT_EQ(macro.actions[2], (DecodedMacroAction{0xF1, kMacroPress, 10, 0x01, false, 0}));
        EXPECT_EQ(macro.actions[3],
                  (DecodedMacroAction{0xF1, kMacroRelease, 1270, 0xFF, false, 0}));
    }

    SimulatedMouse mouse;
};

TEST_F(MacroFramesTest, ThreeWiredFramesMakeOneMacro) {
    ASSERT_TRUE(Send(Link::Cable, test::MacroFrame0()));
    ASSERT_TRUE(Send(Link::Cable, test::MacroFrame1()));
    EXPECT_TRUE(mouse.Settings().macros.empty()) << "stored before its last frame";
    ASSERT_TRUE(Send(Link::Cable, test::MacroFrame2(0x40)));
    EXPECT_EQ(Accepted(), (std::vector<bool>{true, true, true}));
    const auto macros = mouse.Settings().macros;
    ASSERT_EQ(macros.size(), 1u);
    ASSERT_EQ(macros.count(3), 1u);
    ExpectSampleMacro(macros.at(3));
}

TEST_F(MacroFramesTest, ReceiverMarksItsLastFrameWith0C) {
    Send(Link::Receiver, test::MacroFrame0());
    Send(Link::Receiver, test::MacroFrame1());
    Send(Link::Receiver, test::MacroFrame2(0x0C));
    EXPECT_EQ(Accepted(), (std::vector<bool>{true, true, true}));
    ExpectSampleMacro(mouse.Settings().macros.at(3));

    // Each link wants its own mark: 0x40 on the receiver, 0x0C on the cable, are wrong.
    mouse.ClearLog();
    Send(Link::Receiver, test::MacroFrame0());
    Send(Link::Receiver, test::MacroFrame1());
    Send(Link::Receiver, test::MacroFrame2(0x40));
    Send(Link::Cable, test::MacroFrame0());
    Send(Link::Cable, test::MacroFrame1());
    Send(Link::Cable, test::MacroFrame2(0x0C));
    EXPECT_EQ(Accepted(), (std::vector<bool>{true, true, false, true, true, false}));
}

TEST_F(MacroFramesTest, BluetoothTakesTheWholeReportButNoFrames) {
    const Bytes whole =
        Frame(131, {{0, {0x09, 0x83, 0x03, 0x01, 0x00, 0x00, 0x00, 0x01}},
                    {28, {0x05}},
                    {29, Bytes(std::begin(test::kMacroPairs), std::end(test::kMacroPairs))},
                    {129, {0x03, 0x8A}}});
    ASSERT_TRUE(Send(Link::Bluetooth, test::MacroFrame0()));
    ASSERT_TRUE(Send(Link::Bluetooth, whole));
    EXPECT_EQ(Accepted(), (std::vector<bool>{false, true}));
    ExpectSampleMacro(mouse.Settings().macros.at(3));
}

TEST_F(MacroFramesTest, OnlyFiftyPairsFitWhateverTheCountSays) {
    // Count byte 0x34 (52 pairs) over a full area of 50 pairs (0x01, 0x04); the checksum that
    // follows must not be read as a 51st pair.
    Bytes pairs;
    for (int i = 0; i < 50; ++i) {
        pairs.insert(pairs.end(), {0x01, 0x04});
    }
    const Bytes whole = Frame(131, {{0, {0x09, 0x83, 0x12, 0x02, 0x07, 0x07, 0x07, 0x0A}},
                                    {28, {0x34}},
                                    {29, pairs},
                                    {129, {0x01, 0x4F}}});
    ASSERT_TRUE(Send(Link::Bluetooth, whole));
    ASSERT_TRUE(mouse.Log().back().accepted) << mouse.Log().back().reason;
    const DecodedMacro macro = mouse.Settings().macros.at(18);
    EXPECT_EQ(macro.repeatMode, 2);
    EXPECT_EQ(macro.option, 7);
    EXPECT_EQ(macro.repeatCount, 10);
    EXPECT_EQ(macro.pairCount, 52);
    ASSERT_EQ(macro.actions.size(), 50u);
    EXPECT_EQ(macro.actions.back(), (DecodedMacroAction{0x04, kMacroPress, 10, 0x01, false, 0}));
}

TEST_F(MacroFramesTest, FramesOutOfSequenceAreRefusedAndStoreNothing) {
    Bytes otherButtonPiece1 = test::MacroFrame1();
    otherButtonPiece1[2] = 0x04;
    Bytes dirtyPadding = test::MacroFrame2(0x40);
    dirtyPadding[63] = 0x01;
    Bytes shortFrame = test::MacroFrame1();
    shortFrame.pop_back();

    struct Case {
        const char* name;
        std::vector<Bytes> frames;
        std::vector<bool> accepted;
    };
    const std::vector<Case> cases = {
        {"piece 1 first", {test::MacroFrame1(), test::MacroFrame2(0x40)}, {false, false}},
        {"piece 1 skipped", {test::MacroFrame0(), test::MacroFrame2(0x40)}, {true, false}},
        {"another button in the middle",
         {test::MacroFrame0(), otherButtonPiece1, test::MacroFrame2(0x40)},
         {true, false, false}},
        {"piece 1 twice",
         {test::MacroFrame0(), test::MacroFrame1(), test::MacroFrame1(), test::MacroFrame2(0x40)},
         {true, true, false, false}},
        {"bytes past the report",
         {test::MacroFrame0(), test::MacroFrame1(), dirtyPadding},
         {true, true, false}},
        {"short frame",
         {test::MacroFrame0(), shortFrame, test::MacroFrame2(0x40)},
         {true, false, false}},
    };
    for (const Case& c : cases) {
        mouse.ClearLog();
        for (const Bytes& frame : c.frames) {
            EXPECT_TRUE(Send(Link::Cable, frame)) << c.name;
        }
        EXPECT_EQ(Accepted(), c.accepted) << c.name;
        EXPECT_TRUE(mouse.Settings().macros.empty()) << c.name;
    }
}

TEST_F(MacroFramesTest, ANewFirstFrameStartsOverAndLinksAssembleApart) {
    // A sender that starts again after a lost frame gets its macro.
    Send(Link::Cable, test::MacroFrame0());
    Send(Link::Cable, test::MacroFrame0());
    // Frames on the receiver do not disturb the cable's macro in progress.
    Send(Link::Receiver, test::MacroFrame0());
    Send(Link::Cable, test::MacroFrame1());
    Send(Link::Cable, test::MacroFrame2(0x40));
    EXPECT_EQ(Accepted(), (std::vector<bool>{true, true, true, true, true}));
    ExpectSampleMacro(mouse.Settings().macros.at(3));
}

// Each fault but the checksum one is paired with a change to the first time byte that keeps the
// sum right, so only the fault itself can refuse the report.
TEST_F(MacroFramesTest, DamagedMacroReportsAreRefused) {
    Bytes badSum = test::MacroFrame2(0x40);
    badSum[11] = 0x8B;
    Bytes zeroRepeat = test::MacroFrame0();
    zeroRepeat[8] = 0x00;   // repeat count 1 -> 0
    zeroRepeat[30] = 0x06;  // time byte 0x05 -> 0x06
    Bytes optionsDiffer = test::MacroFrame0();
    optionsDiffer[5] = 0x01;  // option bytes 01 00 00
    optionsDiffer[30] = 0x04;
    Bytes reservedByte = test::MacroFrame0();
    reservedByte[9] = 0x01;  // report byte 8
    reservedByte[30] = 0x04;
    Bytes numberZero = test::MacroFrame0();
    numberZero[2] = 0x00;
    Bytes numberZeroPiece1 = test::MacroFrame1();
    numberZeroPiece1[2] = 0x00;
    Bytes numberZeroPiece2 = test::MacroFrame2(0x40);
    numberZeroPiece2[2] = 0x00;

    const std::vector<std::array<Bytes, 3>> cases = {
        {test::MacroFrame0(), test::MacroFrame1(), badSum},
        {zeroRepeat, test::MacroFrame1(), test::MacroFrame2(0x40)},
        {optionsDiffer, test::MacroFrame1(), test::MacroFrame2(0x40)},
        {reservedByte, test::MacroFrame1(), test::MacroFrame2(0x40)},
        {numberZero, numberZeroPiece1, numberZeroPiece2},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        mouse.ClearLog();
        for (const Bytes& frame : cases[i]) {
            Send(Link::Cable, frame);
        }
        EXPECT_EQ(Accepted(), (std::vector<bool>{true, true, false})) << "case " << i;
        EXPECT_TRUE(mouse.Settings().macros.empty()) << "case " << i;
    }
}

}  // namespace
}  // namespace sim
