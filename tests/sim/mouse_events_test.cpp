// What the mouse sends back: acknowledgements over the receiver, its DPI and rate buttons, power
// status; and the faults a test can inject: refusing or silent answers, a link lost mid-transfer.
#include <atomic>
#include <mutex>
#include <ostream>
#include <thread>
#include <utility>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/simulated_mouse.h"
#include "tests/sim/frame_bytes.h"

namespace sim {
namespace {

using test::Bytes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct SentEvent {
    Link link;
    uint16_t key;
    uint16_t value;
    friend bool operator==(const SentEvent&, const SentEvent&) = default;
};

void PrintTo(const SentEvent& event, std::ostream* os) {
    *os << LinkName(event.link) << " " << std::hex << event.key << "=" << event.value;
}

class MouseEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        mouse.SetEventSink([this](Link link, uint16_t key, uint16_t value) {
            std::lock_guard lock(eventsMutex);
            events.push_back(SentEvent{link, key, value});
        });
    }
    bool Send(Link link, const Bytes& bytes) {
        return mouse.Receive(link, bytes.data(), bytes.size());
    }
    std::vector<SentEvent> TakeEvents() {
        std::lock_guard lock(eventsMutex);
        return std::exchange(events, {});
    }

    SimulatedMouse mouse;
    std::mutex eventsMutex;
    std::vector<SentEvent> events;
};

TEST_F(MouseEventsTest, ReceiverAnswersEachReportAsTheAckModeSays) {
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);

    ASSERT_TRUE(Send(Link::Receiver, {0x06, 0x09, 0x01, 0x02, 0xFD, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_THAT(TakeEvents(), ElementsAre(SentEvent{Link::Receiver, 0x5069, 0x0000}));
    EXPECT_EQ(mouse.Settings().rateCode, 2);

    // A damaged report is answered with a refusal.
    ASSERT_TRUE(Send(Link::Receiver, {0x06, 0x09, 0x01, 0x08, 0xF8, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_THAT(TakeEvents(), ElementsAre(SentEvent{Link::Receiver, 0x5069, 0x0001}));

    // Refusing: the report is checked, refused, and not kept.
    mouse.SetAckMode(AckMode::Refuse);
    ASSERT_TRUE(Send(Link::Receiver, test::DefaultRateReport()));
    EXPECT_THAT(TakeEvents(), ElementsAre(SentEvent{Link::Receiver, 0x5069, 0x0001}));
    EXPECT_EQ(mouse.Settings().rateCode, 2);
    EXPECT_FALSE(mouse.Log().back().accepted);

    // Silent: the report is kept but no answer comes.
    mouse.SetAckMode(AckMode::Silent);
    ASSERT_TRUE(Send(Link::Receiver, test::DefaultRateReport()));
    EXPECT_THAT(TakeEvents(), IsEmpty());
    EXPECT_EQ(mouse.Settings().rateCode, 4);
}

TEST_F(MouseEventsTest, MacroFramesAreAnsweredOnceTheMacroIsComplete) {
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    Send(Link::Receiver, test::MacroFrame0());
    Send(Link::Receiver, test::MacroFrame1());
    EXPECT_THAT(TakeEvents(), IsEmpty());
    Send(Link::Receiver, test::MacroFrame2(0x0C));
    EXPECT_THAT(TakeEvents(), ElementsAre(SentEvent{Link::Receiver, 0x5069, 0x0000}));

    // Refusing: the pieces pass their checks but the finished macro is not kept.
    mouse.SetAckMode(AckMode::Refuse);
    Bytes otherMacro = test::MacroFrame0();
    Bytes otherMacro1 = test::MacroFrame1();
    Bytes otherMacro2 = test::MacroFrame2(0x0C);
    otherMacro[2] = otherMacro1[2] = otherMacro2[2] = 0x05;
    Send(Link::Receiver, otherMacro);
    Send(Link::Receiver, otherMacro1);
    Send(Link::Receiver, otherMacro2);
    EXPECT_THAT(TakeEvents(), ElementsAre(SentEvent{Link::Receiver, 0x5069, 0x0001}));
    EXPECT_EQ(mouse.Settings().macros.count(5), 0u);
    EXPECT_EQ(mouse.Settings().macros.count(3), 1u);
}

TEST_F(MouseEventsTest, CableAndBluetoothNeverAcknowledgeAndASleepingMouseHearsNothing) {
    mouse.SetCablePlugged(true);
    mouse.SetBluetoothConnected(true);
    mouse.SetReceiverPlugged(true);
    ASSERT_TRUE(Send(Link::Cable, test::DefaultLightingReport()));
    ASSERT_TRUE(Send(Link::Bluetooth, test::DefaultLightingReport()));
    // The receiver takes the transfer, but the mouse behind it sleeps.
    ASSERT_TRUE(Send(Link::Receiver, {0x06, 0x09, 0x01, 0x08, 0xF7, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_THAT(TakeEvents(), IsEmpty());
    EXPECT_EQ(mouse.Settings().rateCode, 4);
    EXPECT_FALSE(mouse.Log().back().accepted);
}

TEST_F(MouseEventsTest, DpiButtonStepsThroughEnabledStagesOnEveryAnsweringLink) {
    mouse.SetCablePlugged(true);
    mouse.SetBluetoothConnected(true);
    mouse.SetReceiverPlugged(true);                           // asleep: no event path
    ASSERT_TRUE(Send(Link::Cable, test::SparseDpiReport()));  // stages 1, 3, 6; on 3

    std::vector<uint16_t> stages;
    for (int press = 0; press < 4; ++press) {
        mouse.PressDpiButton();
        const auto sent = TakeEvents();
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[0].link, Link::Cable);
        EXPECT_EQ(sent[1].link, Link::Bluetooth);
        EXPECT_EQ(sent[0].key, 0x1069);
        EXPECT_EQ(sent[0].value, sent[1].value);
        stages.push_back(sent[0].value);
    }
    EXPECT_EQ(stages, (std::vector<uint16_t>{6, 1, 3, 6}));
    EXPECT_EQ(mouse.Settings().dpi.currentStage, 6);

    // A report with a stage outside 1..8 is kept as sent; the button then starts from stage 1.
    Bytes stageNine = test::SparseDpiReport();
    stageNine[24] = 0x09;
    stageNine[51] = 0x9B;
    ASSERT_TRUE(Send(Link::Cable, stageNine));
    ASSERT_TRUE(mouse.Log().back().accepted) << mouse.Log().back().reason;
    mouse.PressDpiButton();
    EXPECT_EQ(TakeEvents().at(0).value, 1);
}

TEST_F(MouseEventsTest, RateButtonAndPowerStatus) {
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    std::vector<uint16_t> rates;
    for (int press = 0; press < 4; ++press) {
        mouse.PressReportRateButton();
        const auto sent = TakeEvents();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].key, 0x2069);
        rates.push_back(sent[0].value);
    }
    EXPECT_EQ(rates, (std::vector<uint16_t>{2, 1, 8, 4}));

    mouse.SetBattery(90, false, false);
    mouse.SetBattery(40, true, false);
    mouse.SetBattery(100, true, true);  // charged wins over charging
    mouse.EmitStatus();
    mouse.SetBattery(300, false, false);  // one byte on the wire
    EXPECT_THAT(TakeEvents(), ElementsAre(SentEvent{Link::Receiver, 0x4069, 0x5A01},
                                          SentEvent{Link::Receiver, 0x4069, 0x2803},
                                          SentEvent{Link::Receiver, 0x4069, 0x6402},
                                          SentEvent{Link::Receiver, 0x4069, 0x6402},
                                          SentEvent{Link::Receiver, 0x4069, 0xFF01}));

    mouse.SetMouseAwake(false);
    mouse.EmitStatus();
    EXPECT_THAT(TakeEvents(), IsEmpty());
}

TEST_F(MouseEventsTest, LinkDroppedInTheMiddleOfAMacro) {
    std::vector<std::pair<Link, bool>> linkChanges;
    mouse.SetLinkSink([&](Link link, bool up) { linkChanges.emplace_back(link, up); });
    mouse.SetCablePlugged(true);
    mouse.DropLinkAfter(Link::Cable, 1);

    EXPECT_TRUE(Send(Link::Cable, test::MacroFrame0()));
    EXPECT_FALSE(Send(Link::Cable, test::MacroFrame1()));
    EXPECT_FALSE(mouse.CablePlugged());
    EXPECT_FALSE(Send(Link::Cable, test::MacroFrame2(0x40)));

    // Plugged back, the rest of the old macro does not complete it.
    mouse.SetCablePlugged(true);
    EXPECT_TRUE(Send(Link::Cable, test::MacroFrame1()));
    EXPECT_TRUE(Send(Link::Cable, test::MacroFrame2(0x40)));
    EXPECT_TRUE(mouse.Settings().macros.empty());

    const auto log = mouse.Log();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[1].reason, "link dropped during the transfer");
    EXPECT_EQ(log[2].reason, "link down");
    EXPECT_FALSE(log[3].accepted);
    EXPECT_EQ(linkChanges, (std::vector<std::pair<Link, bool>>{
                               {Link::Cable, true}, {Link::Cable, false}, {Link::Cable, true}}));

    // The drop fires once, also on a receiver whose mouse sleeps.
    mouse.SetReceiverPlugged(true);
    mouse.DropLinkAfter(Link::Receiver, 0);
    EXPECT_FALSE(Send(Link::Receiver, test::DefaultRateReport()));
    EXPECT_FALSE(mouse.ReceiverPlugged());
    mouse.SetReceiverPlugged(true);
    EXPECT_TRUE(Send(Link::Receiver, test::DefaultRateReport()));
}

TEST_F(MouseEventsTest, SinksMayCallBackIntoTheMouse) {
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    int stageSeen = 0;
    mouse.SetEventSink([&](Link, uint16_t key, uint16_t) {
        if (key == 0x1069) {
            stageSeen = mouse.Settings().dpi.currentStage;
        }
    });
    mouse.PressDpiButton();
    EXPECT_EQ(stageSeen, 4);
}

// Transfers from a worker thread while another thread presses buttons and reads state: every
// transfer is logged and taken, none lost.
TEST_F(MouseEventsTest, TransfersAndButtonsFromSeveralThreads) {
    mouse.SetCablePlugged(true);
    std::atomic<bool> stop{false};
    std::thread buttons([&] {
        while (!stop) {
            mouse.PressDpiButton();
            (void)mouse.Settings();
        }
    });
    const Bytes rate = test::DefaultRateReport();
    int taken = 0;
    for (int i = 0; i < 500; ++i) {
        taken += Send(Link::Cable, rate) ? 1 : 0;
    }
    stop = true;
    buttons.join();
    EXPECT_EQ(taken, 500);
    const auto log = mouse.Log();
    ASSERT_EQ(log.size(), 500u);
    for (const auto& entry : log) {
        EXPECT_TRUE(entry.accepted) << entry.reason;
    }
}

}  // namespace
}  // namespace sim
