// The demo's control panel on the shared simulated mouse: its switches follow and move the links,
// its buttons and battery controls make the mouse speak, and the transfers show up in its list.
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest/QTest>
#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "sim/panel/simulated_mouse_panel.h"
#include "tests/sim/frame_bytes.h"
#include "tests/sim/shared_mouse_fixture.h"

namespace sim {
namespace {

using test::Bytes;

struct HeardEvent {
    Link link;
    uint16_t key;
    uint16_t value;
};

void EnsureApp() {
    static int argc = 1;
    static char name[] = "sim_panel_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

// Calls `paint` on every paint event of a widget.
class PaintWatch final : public QObject {
public:
    PaintWatch(QWidget& widget, std::function<void()> paint) : paint_(std::move(paint)) {
        widget.installEventFilter(this);
    }
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            paint_();
        }
        return false;
    }

private:
    std::function<void()> paint_;
};

class SimulatedMousePanelTest : public test::SharedMouseTest {
protected:
    void SetUp() override {
        EnsureApp();
        SharedMouseTest::SetUp();
        panel = std::make_unique<SimulatedMousePanel>();
        listener = AddSharedMouseListener(
            [this](Link link, uint16_t key, uint16_t value) {
                std::lock_guard lock(heardMutex);
                heard.push_back(HeardEvent{link, key, value});
            },
            {});
    }

    void TearDown() override {
        RemoveSharedMouseListener(listener);
        panel.reset();
    }

    template <typename Widget>
    Widget* Find(const char* name) {
        auto* widget = panel->findChild<Widget*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            ADD_FAILURE() << "no " << name << " in the panel";
        }
        return widget;
    }

    static bool WaitFor(const std::function<bool()>& condition) {
        return QTest::qWaitFor(condition, static_cast<int>(test::kGuard.count()));
    }

    bool Heard(Link link, uint16_t key, uint16_t value) {
        std::lock_guard lock(heardMutex);
        return std::any_of(heard.begin(), heard.end(), [&](const HeardEvent& e) {
            return e.link == link && e.key == key && e.value == value;
        });
    }

    std::vector<HeardEvent> HeardWithKey(uint16_t key) {
        std::lock_guard lock(heardMutex);
        std::vector<HeardEvent> found;
        std::copy_if(heard.begin(), heard.end(), std::back_inserter(found),
                     [key](const HeardEvent& e) { return e.key == key; });
        return found;
    }

    void ForgetHeard() {
        std::lock_guard lock(heardMutex);
        heard.clear();
    }

    void Send(Link link, const Bytes& bytes) { mouse.Receive(link, bytes.data(), bytes.size()); }

    QString LastLine() {
        const int count = transfers()->count();
        return count == 0 ? QString() : transfers()->item(count - 1)->text();
    }

    QListWidget* transfers() { return Find<QListWidget>("transfers"); }

    std::unique_ptr<SimulatedMousePanel> panel;
    int listener = 0;
    std::mutex heardMutex;
    std::vector<HeardEvent> heard;
};

TEST_F(SimulatedMousePanelTest, LinkSwitchesShowAndMoveTheMouseLinks) {
    auto* cable = Find<QCheckBox>("cable_switch");
    auto* receiver = Find<QCheckBox>("receiver_switch");
    auto* awake = Find<QCheckBox>("awake_switch");
    auto* bluetooth = Find<QCheckBox>("bluetooth_switch");
    ASSERT_TRUE(cable && receiver && awake && bluetooth);
    EXPECT_TRUE(cable->isChecked());
    EXPECT_TRUE(receiver->isChecked());
    EXPECT_TRUE(awake->isChecked());
    EXPECT_FALSE(bluetooth->isChecked());

    cable->click();
    EXPECT_FALSE(mouse.CablePlugged());
    awake->click();
    EXPECT_FALSE(mouse.MouseAwake());
    receiver->click();
    EXPECT_FALSE(mouse.ReceiverPlugged());
    bluetooth->click();
    EXPECT_TRUE(mouse.BluetoothConnected());

    // The link changes come back to the panel; showing them must not flip anything again.
    QApplication::processEvents();
    EXPECT_FALSE(cable->isChecked());
    EXPECT_FALSE(mouse.CablePlugged());
    EXPECT_TRUE(bluetooth->isChecked());
    EXPECT_TRUE(mouse.BluetoothConnected());

    cable->click();
    EXPECT_TRUE(mouse.CablePlugged());
}

TEST_F(SimulatedMousePanelTest, LinkDroppedOnAnotherThreadClearsItsSwitch) {
    auto* cable = Find<QCheckBox>("cable_switch");
    ASSERT_NE(cable, nullptr);
    ASSERT_TRUE(cable->isChecked());

    mouse.DropLinkAfter(Link::Cable, 0);
    std::thread sender([this] { Send(Link::Cable, {0x0C, 0x0A}); });
    sender.join();
    ASSERT_FALSE(mouse.CablePlugged());
    EXPECT_TRUE(WaitFor([&] { return !cable->isChecked(); }));
    EXPECT_TRUE(WaitFor([&] { return LastLine().contains(QStringLiteral("link dropped")); }));
}

TEST_F(SimulatedMousePanelTest, DropButtonLetsOneTransferThroughThenDropsTheReceiver) {
    auto* receiver = Find<QCheckBox>("receiver_switch");
    auto* drop = Find<QPushButton>("drop_receiver");
    ASSERT_TRUE(receiver && drop);

    drop->click();
    Send(Link::Receiver, {0x06, 0x09, 0x01, 0x02, 0xFD, 0x00, 0x00, 0x00, 0x00});
    EXPECT_TRUE(mouse.ReceiverPlugged());
    Send(Link::Receiver, {0x06, 0x09, 0x01, 0x04, 0xFB, 0x00, 0x00, 0x00, 0x00});
    EXPECT_FALSE(mouse.ReceiverPlugged());
    EXPECT_TRUE(WaitFor([&] { return !receiver->isChecked(); }));
}

TEST_F(SimulatedMousePanelTest, WakingOrSleepingElsewhereIsPickedUp) {
    // Sleep and wake send no link change; the panel still catches up on its own.
    auto* awake = Find<QCheckBox>("awake_switch");
    ASSERT_NE(awake, nullptr);
    mouse.SetMouseAwake(false);
    EXPECT_TRUE(WaitFor([&] { return !awake->isChecked(); }));
    mouse.SetMouseAwake(true);
    EXPECT_TRUE(WaitFor([&] { return awake->isChecked(); }));
}

TEST_F(SimulatedMousePanelTest, MouseButtonsAnnounceStageAndRate) {
    auto* dpi = Find<QPushButton>("dpi_button");
    auto* rate = Find<QPushButton>("rate_button");
    auto* heldDpi = Find<QLabel>("held_dpi");
    auto* heldRate = Find<QLabel>("held_rate");
    ASSERT_TRUE(dpi && rate && heldDpi && heldRate);

    dpi->click();
    const std::vector<HeardEvent> stages = HeardWithKey(0x1069);
    ASSERT_EQ(stages.size(), 2u);  // over the cable and over the receiver
    const uint8_t stage = mouse.Settings().dpi.currentStage;
    EXPECT_EQ(stages[0].value, stage);
    EXPECT_GE(stage, 1);
    EXPECT_LE(stage, 6);
    EXPECT_TRUE(Heard(Link::Cable, 0x1069, stage));
    EXPECT_TRUE(Heard(Link::Receiver, 0x1069, stage));
    EXPECT_TRUE(WaitFor(
        [&] { return heldDpi->text().startsWith(QStringLiteral("Stage %1 of 6").arg(stage)); }));

    Send(Link::Cable, {0x06, 0x09, 0x01, 0x02, 0xFD, 0x00, 0x00, 0x00, 0x00});
    rate->click();
    EXPECT_TRUE(Heard(Link::Cable, 0x2069, 1));
    EXPECT_TRUE(WaitFor([&] { return heldRate->text() == QStringLiteral("1 ms · 1000 Hz"); }));
    rate->click();
    EXPECT_TRUE(Heard(Link::Receiver, 0x2069, 8));
    EXPECT_TRUE(WaitFor([&] { return heldRate->text() == QStringLiteral("8 ms · 125 Hz"); }));
}

TEST_F(SimulatedMousePanelTest, BatteryControlsSendLevelAndState) {
    auto* level = Find<QSlider>("battery_level");
    auto* charging = Find<QCheckBox>("charging_switch");
    auto* charged = Find<QCheckBox>("charged_switch");
    ASSERT_TRUE(level && charging && charged);
    ASSERT_EQ(level->value(), 100);

    level->setValue(42);
    EXPECT_TRUE(Heard(Link::Cable, 0x4069, 0x2A01));
    charging->click();
    EXPECT_TRUE(Heard(Link::Cable, 0x4069, 0x2A03));
    ForgetHeard();
    charged->click();  // charged wins while both are ticked
    EXPECT_TRUE(Heard(Link::Receiver, 0x4069, 0x2A02));
    charging->click();
    charged->click();
    const std::vector<HeardEvent> last = HeardWithKey(0x4069);
    ASSERT_FALSE(last.empty());
    EXPECT_EQ(last.back().value, 0x2A01);

    level->setValue(0);
    EXPECT_TRUE(Heard(Link::Cable, 0x4069, 0x0001));
    level->setValue(100);
    EXPECT_TRUE(Heard(Link::Cable, 0x4069, 0x6401));
}

TEST_F(SimulatedMousePanelTest, TransfersAreListedWithLinkBytesAndVerdict) {
    auto* list = transfers();
    auto* clear = Find<QPushButton>("clear_transfers");
    ASSERT_TRUE(list && clear);

    Send(Link::Receiver, {0x06, 0x09, 0x01, 0x08, 0xF7, 0x00, 0x00, 0x00, 0x00});
    ASSERT_TRUE(WaitFor([&] { return list->count() == 1; }));
    EXPECT_TRUE(LastLine().contains(QStringLiteral("receiver · 9 bytes · accepted")));
    EXPECT_TRUE(LastLine().endsWith(QStringLiteral("\n06 09 01 08 F7 00 00 00 00")));
    EXPECT_TRUE(WaitFor(
        [&] { return Find<QLabel>("held_rate")->text() == QStringLiteral("8 ms · 125 Hz"); }));

    // The rate's complement is off by one: the mouse turns it down and the line says so.
    Send(Link::Cable, {0x06, 0x09, 0x01, 0x02, 0xFC, 0x00, 0x00, 0x00, 0x00});
    ASSERT_TRUE(WaitFor([&] { return list->count() == 2; }));
    EXPECT_TRUE(LastLine().contains(QStringLiteral("cable · 9 bytes · rejected: ")));
    EXPECT_FALSE(LastLine().contains(QStringLiteral("rejected: \n")));
    EXPECT_EQ(Find<QLabel>("held_rate")->text(), QStringLiteral("8 ms · 125 Hz"));

    clear->click();
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(mouse.Log().empty());
    Send(Link::Cable, {0x0C});
    EXPECT_TRUE(WaitFor([&] { return list->count() == 1; }));
}

TEST_F(SimulatedMousePanelTest, ListKeepsOnlyTheNewestTransfers) {
    // Bluetooth is away, so each transfer is logged as refused by a link that is down.
    for (int i = 0; i < 250; ++i) {
        Send(Link::Bluetooth, {0xAA, static_cast<uint8_t>(i)});
    }
    auto* list = transfers();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(WaitFor([&] { return LastLine().endsWith(QStringLiteral("\nAA F9")); }));
    ASSERT_EQ(list->count(), SimulatedMousePanel::kMaxTransferLines);
    EXPECT_TRUE(list->item(0)->text().endsWith(QStringLiteral("\nAA 32")));
    EXPECT_TRUE(LastLine().contains(QStringLiteral("rejected: link down")));

    // A log cleared behind the panel's back starts over instead of being skipped.
    mouse.ClearLog();
    Send(Link::Bluetooth, {0xBB});
    EXPECT_TRUE(WaitFor([&] { return LastLine().endsWith(QStringLiteral("\nBB")); }));
}

TEST_F(SimulatedMousePanelTest, RefusingAcknowledgementsComeFromTheFaultSegments) {
    auto* refuse = Find<QRadioButton>("ack_refuse");
    auto* accept = Find<QRadioButton>("ack_accept");
    ASSERT_TRUE(refuse && accept);
    EXPECT_TRUE(accept->isChecked());

    refuse->click();
    Send(Link::Receiver, {0x06, 0x09, 0x01, 0x04, 0xFB, 0x00, 0x00, 0x00, 0x00});
    EXPECT_TRUE(Heard(Link::Receiver, 0x5069, 1));
    EXPECT_TRUE(
        WaitFor([&] { return LastLine().contains(QStringLiteral("refused by the mouse")); }));

    accept->click();
    Send(Link::Receiver, {0x06, 0x09, 0x01, 0x04, 0xFB, 0x00, 0x00, 0x00, 0x00});
    EXPECT_TRUE(Heard(Link::Receiver, 0x5069, 0));
}

// In the demo the panel waits for the main window's first frame, so the settings come up first;
// a main window that stays hidden (no mouse yet) does not keep the panel away.
TEST(SimulatedMousePanelOpening, FollowsTheWindowsFirstFrameOrOpensWhenTheWindowStaysHidden) {
    EnsureApp();
    auto panelOf = [](const QWidget& window) { return window.findChild<SimulatedMousePanel*>(); };

    QWidget shown;
    shown.resize(800, 572);
    bool panelAtFirstPaint = true;
    bool painted = false;
    PaintWatch watch(shown, [&] {
        if (!painted) {
            painted = true;
            panelAtFirstPaint = panelOf(shown) != nullptr;
        }
    });
    shown.show();
    ShowSimulatedMousePanelAfterFirstFrame(&shown);
    EXPECT_EQ(panelOf(shown), nullptr);
    QTRY_VERIFY(panelOf(shown) != nullptr && panelOf(shown)->isVisible());
    EXPECT_TRUE(painted);
    EXPECT_FALSE(panelAtFirstPaint);

    QWidget hidden;
    ShowSimulatedMousePanelAfterFirstFrame(&hidden);
    EXPECT_EQ(panelOf(hidden), nullptr);
    QTRY_VERIFY(panelOf(hidden) != nullptr && panelOf(hidden)->isVisible());
}

}  // namespace
}  // namespace sim
