// The recorder on its own, for what the editor's tests do not reach: the delay modes, the stop by
// cost, the message table and where mouse clicks go. Recording through the window is tested with
// the editor.
#include "macro/editor/macro_recorder.h"

#include <gtest/gtest.h>

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
