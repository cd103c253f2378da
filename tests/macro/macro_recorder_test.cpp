// The recorder on its own, for what the editor's tests do not reach: the delay modes, the stop by
// cost, the message table and where mouse clicks go. Recording through the window is tested with
// the editor.
#include "macro/editor/macro_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "link/driver_abi.h"
#include "macro/editor/hook_input.h"
#include "macro/us_keyboard_layout.h"
#include "tests/macro/fake_clock.h"

namespace {

constexpr uint64_t kKeyA = 0x41;
constexpr uint64_t kKeyB = 0x42;

struct Act {
    uint8_t code;
    uint8_t kind;
    uint16_t delay;
    bool operator==(const Act&) const = default;
};

void PrintTo(const Act& a, std::ostream* out) {
    *out << "{0x" << std::hex << int(a.code) << std::dec << ", " << int(a.kind) << ", " << a.delay
         << "}";
}

class Recorder : public ::testing::Test {
protected:
    std::vector<Act> Actions() const {
        std::vector<Act> out;
        for (int i = 0; i < buffer.actionCount; ++i) {
            const MacroAction& a = buffer.actions[static_cast<std::size_t>(i)];
            out.push_back({a.code, a.kind, a.delay});
        }
        return out;
    }
    // A key typed after `pauseMs`, held for `holdMs`.
    void Type(uint64_t key, uint64_t pauseMs, uint64_t holdMs) {
        clock.Advance(pauseMs);
        recorder.OnKeyEvent(key, 0);
        clock.Advance(holdMs);
        recorder.OnKeyEvent(key, 1);
    }

    MacroEditBuffer buffer;
    FakeClock clock;
    UsKeyboardLayout layout;
    LastHookInput last;
    MacroRecorder recorder{buffer, clock, layout, last};
};

TEST_F(Recorder, DefaultAndNoDelayModesIgnoreTheClock) {
    buffer.delayMode = DelayMode::kDefault;
    recorder.Begin(250);
    Type(kKeyA, 3000, 3000);
    recorder.Stop();
    EXPECT_EQ(Actions(), (std::vector<Act>{{0x04, 1, 250}, {0x04, 2, 10}}));

    buffer.delayMode = DelayMode::kNone;
    buffer.selectedAction = -1;
    recorder.Begin(250);  // nothing selected: the recording replaces the macro
    Type(kKeyB, 3000, 3000);
    Type(kKeyA, 3000, 3000);
    EXPECT_EQ(Actions(),
              (std::vector<Act>{{0x05, 1, 10}, {0x05, 2, 10}, {0x04, 1, 10}, {0x04, 2, 10}}));
}

// Delays over 1280 ms cost the device twice: the recording stops once the cost reaches 46, and
// never goes past what the editor keeps (47).
TEST_F(Recorder, LongPausesStopTheRecordingByCostBeforeFortySixActions) {
    buffer.delayMode = DelayMode::kRecorded;
    recorder.Begin(10);
    MacroRecorder::Outcome outcome = MacroRecorder::Outcome::kRecorded;
    int key = 0;
    while (outcome == MacroRecorder::Outcome::kRecorded) {
        clock.Advance(2000);
        outcome = recorder.OnKeyEvent(kKeyA, key++ % 2);
    }
    EXPECT_EQ(outcome, MacroRecorder::Outcome::kFull);
    EXPECT_EQ(buffer.actionCount, 24);
    EXPECT_EQ(buffer.Cost(), 47);
}

// A recording never ends holding a key: presses of this recording without their release are
// dropped at the stop, wherever they sit in it, and rows from before the recording are left alone
// (a release there may end a press recorded now only if it follows it).
TEST_F(Recorder, StoppingDropsThePressesThatWereNeverReleased) {
    buffer.actionCount = 2;
    buffer.actions[0] = {0x1A, 1, 100};  // W held from before: not this recording's to fix
    buffer.actions[1] = {0x06, 2, 100};
    buffer.selectedAction = 0;  // insert after row 0
    buffer.delayMode = DelayMode::kNone;
    recorder.Begin(10);
    recorder.OnKeyEvent(0xA0, 0);  // Shift down, never up
    Type(kKeyA, 10, 10);
    recorder.OnKeyEvent(513, 0);  // the press on the stop button
    EXPECT_EQ(recorder.Stop(), 2);
    // Row 0 took the wait before the first recorded action, as every insert does.
    EXPECT_EQ(Actions(),
              (std::vector<Act>{{0x1A, 1, 10}, {0x04, 1, 10}, {0x04, 2, 10}, {0x06, 2, 100}}));
    EXPECT_EQ(buffer.insertPos, 3);
    EXPECT_LT(buffer.selectedAction, buffer.actionCount);
    EXPECT_EQ(recorder.Stop(), 0);  // not recording: nothing more goes
}

TEST(MacroEditBuffer, AKeyEditTakesTheOtherHalfOfItsPairAlong) {
    MacroEditBuffer b;
    const MacroAction rows[] = {{0x04, 1, 10}, {0x05, 1, 10}, {0x04, 2, 10},
                                {0x04, 1, 10}, {0x05, 2, 10}, {0x04, 2, 10}};
    std::copy(std::begin(rows), std::end(rows), b.actions.begin());
    b.actionCount = 6;
    EXPECT_EQ(b.PartnerOf(0), 2);
    EXPECT_EQ(b.PartnerOf(2), 0);
    EXPECT_EQ(b.PartnerOf(3), 5);
    EXPECT_EQ(b.PartnerOf(1), 4);
    EXPECT_EQ(b.PartnerOf(6), -1);
    EXPECT_EQ(b.SetCodeOfPair(3, 0x07), 5);
    EXPECT_EQ(b.actions[3].code, 0x07);
    EXPECT_EQ(b.actions[5].code, 0x07);
    EXPECT_EQ(b.actions[0].code, 0x04);  // the other A pair is not touched
    // A press whose key is pressed again before any release has no partner.
    b.actions[2] = {0x04, 1, 10};
    EXPECT_EQ(b.PartnerOf(0), -1);
    bool changed = true;
    EXPECT_EQ(b.SetCodeOfPair(9, 0x08, &changed), -1);
    EXPECT_FALSE(changed);
}

TEST(HookInput, MouseMessagesKeysAndXButtonsByTheirSide) {
    const UsKeyboardLayout us;
    const auto code = [&](uint64_t w, int64_t l) { return ActionOfHookInput(w, l, us); };
    EXPECT_EQ(code(513, 0).code, 0xF1);
    EXPECT_EQ(code(514, 0).kind, 2);
    EXPECT_EQ(code(517, 0).code, 0xF2);
    EXPECT_EQ(code(519, 0).code, 0xF3);
    EXPECT_EQ(code(520, 0).kind, 2);
    EXPECT_EQ(code(523, 1).code, 0xF5);
    EXPECT_EQ(code(524, 2).code, 0xF4);
    EXPECT_EQ(code(524, 2).kind, 2);
    // An X button without its side, and a key the table lacks, are kept with code 0.
    EXPECT_EQ(code(523, 3).code, 0);
    EXPECT_EQ(code(523, 3).kind, 2);
    EXPECT_EQ(code(0x07, 0).code, 0);
    EXPECT_EQ(code(0x0D, 1).code, 0x28);
    EXPECT_EQ(code(0x0D, 1).kind, 2);
    EXPECT_EQ(code(0xA3, 0).code, 0xE4);
    // Keys the hook knows but the table has not (F13, a key without a virtual-key code).
    EXPECT_EQ(code(0x7C, 0).code, 0);
    EXPECT_EQ(code(TALVORE_UNKNOWN_KEY_BASE + 122, 1).code, 0);
    EXPECT_EQ(code(TALVORE_UNKNOWN_KEY_BASE + 122, 1).kind, 2);
}

TEST_F(Recorder, MouseClicksGoAfterTheSelectionOrToTheFrontAndOnlyWhenBothFit) {
    buffer.actionCount = 2;
    buffer.actions[0] = {0x04, 1, 100};
    buffer.actions[1] = {0x04, 2, 10};
    buffer.selectedAction = -1;
    ASSERT_TRUE(recorder.InsertMouseClick(5, 40));
    buffer.selectedAction = 3;
    ASSERT_TRUE(recorder.InsertMouseClick(4, 10));
    EXPECT_EQ(Actions(), (std::vector<Act>{{0xF4, 1, 40},
                                           {0xF4, 2, 40},
                                           {0x04, 1, 100},
                                           {0x04, 2, 10},
                                           {0xF5, 1, 10},
                                           {0xF5, 2, 10}}));
    EXPECT_EQ(buffer.selectedAction, 5);

    buffer.actionCount = 45;
    EXPECT_FALSE(recorder.InsertMouseClick(1, 10));
    EXPECT_EQ(buffer.actionCount, 45);
}

}  // namespace
