// The demo folder's driver libraries, built on the simulated hidapi, loaded and called as the
// program loads and calls them.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include <gtest/gtest.h>

#include "link/driver_library.h"
#include "sim/hidapi/simulated_hidapi.h"
#include "sim/hidapi/usb_catalog.h"
#include "tests/sim/frame_bytes.h"
#include "tests/sim/shared_mouse_fixture.h"

namespace sim::test {
namespace {

constexpr uint32_t kReceiverData = 1325;
constexpr uint32_t kReceiverStatus = 1326;
constexpr uint32_t kCableData = 1327;
constexpr uint32_t kCableStatus = 1328;

struct Posted {
    uint32_t message;
    uint64_t wParam;
    int64_t lParam;
};

// The window the drivers post to: keeps every message until a test takes it.
class Inbox {
public:
    TalvoreWindow Window() { return TalvoreWindow{this, &Inbox::Post}; }

    // The first message `message` with the given wParam, waiting for it to come.
    std::optional<Posted> Take(uint32_t message, uint64_t wParam) {
        std::unique_lock lock(mutex_);
        std::optional<Posted> found;
        arrived_.wait_for(lock, kGuard, [&] {
            for (auto it = posted_.begin(); it != posted_.end(); ++it) {
                if (it->message == message && it->wParam == wParam) {
                    found = *it;
                    posted_.erase(it);
                    return true;
                }
            }
            return false;
        });
        return found;
    }

    // The first message `message`, whatever its wParam, waiting for it to come.
    std::optional<Posted> Next(uint32_t message) {
        std::unique_lock lock(mutex_);
        std::optional<Posted> found;
        arrived_.wait_for(lock, kGuard, [&] {
            const auto it = std::find_if(posted_.begin(), posted_.end(),
                                         [&](const Posted& p) { return p.message == message; });
            if (it != posted_.end()) {
                found = *it;
                posted_.erase(it);
            }
            return found.has_value();
        });
        return found;
    }

    // Whether a message `message` has come and not been taken, without waiting.
    bool Has(uint32_t message) {
        std::lock_guard lock(mutex_);
        return std::any_of(posted_.begin(), posted_.end(),
                           [&](const Posted& p) { return p.message == message; });
    }

private:
    static void Post(void* context, uint32_t message, uint64_t wParam, int64_t lParam) {
        auto* inbox = static_cast<Inbox*>(context);
        {
            std::lock_guard lock(inbox->mutex_);
            inbox->posted_.push_back({message, wParam, lParam});
        }
        inbox->arrived_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Posted> posted_;
};

// One driver library of the demo folder, started as the program starts it and closed in the
// program's order at the end.
class DemoDriver {
public:
    DemoDriver(const char* file, uint32_t productId, uint32_t data, uint32_t status, Inbox& inbox) {
        loaded_ = library_.Load(QStringLiteral(TALVORE_DEMO_DIR "/") + QLatin1String(file));
        if (!loaded_) {
            return;
        }
        const TalvoreWindow window = inbox.Window();
        f().Set_VIDPID(0x1D57, productId);
        f().Open_DevMonitor(&window, data, status);
        present_ = f().Open_FeatureDevice() != 0;
    }
    ~DemoDriver() {
        if (loaded_) {
            f().Close_FeatureDevice();
            f().Close_DevMonitor();
        }
    }
    bool Loaded() const { return loaded_; }
    bool Present() const { return present_; }
    QString Error() const { return library_.ErrorString(); }
    const DriverFunctions& f() const { return library_.Functions(); }
    int Send(const Bytes& report) const {
        return f().SetFeature(report.data(), static_cast<uint32_t>(report.size()));
    }

private:
    DriverLibrary library_;
    bool loaded_ = false;
    bool present_ = false;
};

class DemoDrivers : public SharedMouseTest {
protected:
    void SetUp() override {
        SharedMouseTest::SetUp();
        cableDriver.emplace("hiddriver_2.so", 0x2039, kCableData, kCableStatus, inbox);
        receiverDriver.emplace("hiddriver_1.so", 0xFA60, kReceiverData, kReceiverStatus, inbox);
        ASSERT_TRUE(cable().Loaded()) << cable().Error().toStdString();
        ASSERT_TRUE(receiver().Loaded()) << receiver().Error().toStdString();
        ASSERT_TRUE(cable().Present());
        ASSERT_TRUE(receiver().Present());
        // Each driver holds its feature handle and its monitor's event handle.
        ASSERT_TRUE(WaitForEventReaders(Link::Cable, 2, kGuard));
        ASSERT_TRUE(WaitForEventReaders(Link::Receiver, 2, kGuard));
    }

    Inbox inbox;
    std::optional<DemoDriver> cableDriver;
    std::optional<DemoDriver> receiverDriver;
    DemoDriver& cable() { return *cableDriver; }
    DemoDriver& receiver() { return *receiverDriver; }
};

TEST_F(DemoDrivers, AReportSentOverTheCableIsDecodedAndTheDpiButtonAnswersWithItsStage) {
    ASSERT_EQ(cable().Send(DefaultDpiReport()), 1);
    const auto log = mouse.Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].link, Link::Cable);
    EXPECT_EQ(log[0].bytes, DefaultDpiReport());
    EXPECT_EQ(mouse.Settings().dpi.currentStage, 3);
    EXPECT_EQ(mouse.Settings().dpi.stageMask, 0x3F);

    mouse.PressDpiButton();
    const auto stage = inbox.Take(kCableData, 0x1069);
    ASSERT_TRUE(stage);
    EXPECT_EQ(stage->lParam, 4);
    // The receiver's driver hears the same press from the mouse behind it.
    const auto overAir = inbox.Take(kReceiverData, 0x1069);
    ASSERT_TRUE(overAir);
    EXPECT_EQ(overAir->lParam, 4);
}

TEST_F(DemoDrivers, UnpluggingAndRepluggingTheCableIsReportedAndNeedsANewFeatureDevice) {
    mouse.SetCablePlugged(false);
    ASSERT_TRUE(inbox.Take(kCableStatus, 0));
    EXPECT_EQ(cable().Send({0x06, 0x09, 0x01, 0x04, 0xFB, 0x00, 0x00, 0x00, 0x00}), 0);
    EXPECT_EQ(cable().f().Open_FeatureDevice(), 0);

    mouse.SetCablePlugged(true);
    ASSERT_TRUE(inbox.Take(kCableStatus, 1));
    // The handle from before the removal stays dead; the arrival's open brings a working one.
    EXPECT_EQ(cable().Send({0x06, 0x09, 0x01, 0x04, 0xFB, 0x00, 0x00, 0x00, 0x00}), 0);
    ASSERT_EQ(cable().f().Open_FeatureDevice(), 1);
    EXPECT_EQ(cable().Send({0x06, 0x09, 0x01, 0x04, 0xFB, 0x00, 0x00, 0x00, 0x00}), 1);
    EXPECT_EQ(mouse.Settings().rateCode, 4);
    // The monitor reads events again after the arrival.
    ASSERT_TRUE(WaitForEventReaders(Link::Cable, 2, kGuard));
    mouse.PressReportRateButton();
    const auto rate = inbox.Take(kCableData, 0x2069);
    ASSERT_TRUE(rate);
    EXPECT_EQ(rate->lParam, 2);
}

TEST_F(DemoDrivers, ACableDroppedDuringAMacroFailsTheRestAndIsReportedRemoved) {
    mouse.DropLinkAfter(Link::Cable, 1);
    EXPECT_EQ(cable().Send(Frame(64, {{0, {0x09, 0x40, 0x02, 0x00}}})), 1);
    EXPECT_EQ(cable().Send(Frame(64, {{0, {0x09, 0x40, 0x02, 0x01}}})), 0);
    EXPECT_EQ(cable().Send(Frame(64, {{0, {0x09, 0x40, 0x02, 0x02}}})), 0);
    ASSERT_TRUE(inbox.Take(kCableStatus, 0));
    EXPECT_FALSE(mouse.CablePlugged());
    const auto log = mouse.Log();
    ASSERT_EQ(log.size(), 2u);  // the third transfer never reached a link
    EXPECT_FALSE(log[1].accepted);
}

TEST_F(DemoDrivers, TheReceiverAcknowledgesAcceptedAndRefusedReports) {
    const Bytes rate = {0x06, 0x09, 0x01, 0x02, 0xFD, 0x00, 0x00, 0x00, 0x00};
    ASSERT_EQ(receiver().Send(rate), 1);
    const auto accepted = inbox.Take(kReceiverData, 0x5069);
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->lParam, 0);

    mouse.SetAckMode(AckMode::Refuse);
    ASSERT_EQ(receiver().Send({0x06, 0x09, 0x01, 0x08, 0xF7, 0x00, 0x00, 0x00, 0x00}), 1);
    const auto refused = inbox.Take(kReceiverData, 0x5069);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->lParam, 1);
    EXPECT_EQ(mouse.Settings().rateCode, 2);
}

TEST_F(DemoDrivers, TheReceiverStaysPresentWhileTheMouseBehindItSleeps) {
    ASSERT_EQ(cable().Send({0x06, 0x09, 0x01, 0x04, 0xFB, 0x00, 0x00, 0x00, 0x00}), 1);
    mouse.SetMouseAwake(false);
    const Bytes rate = {0x06, 0x09, 0x01, 0x08, 0xF7, 0x00, 0x00, 0x00, 0x00};
    // The receiver takes the transfer, but nothing reaches the mouse and nothing answers.
    EXPECT_EQ(receiver().Send(rate), 1);
    EXPECT_EQ(mouse.Settings().rateCode, 4);
    mouse.SetReceiverPlugged(false);
    ASSERT_TRUE(inbox.Take(kReceiverStatus, 0));
    EXPECT_EQ(receiver().Send(rate), 0);
}

// A read that fails is not the end of the link's events: hidraw fails a read whose wait a signal
// interrupted just as it fails one on a device that went away, and a cable pulled and pushed back
// between two presence checks leaves every handle of the old device dead.

TEST_F(DemoDrivers, AnInterruptedReadLosesNeitherTheLinkNorItsEvents) {
    FailNextReads(Link::Cable, 1);
    mouse.PressDpiButton();
    ASSERT_TRUE(inbox.Take(kCableData, 0x1069));
    mouse.PressDpiButton();
    ASSERT_TRUE(inbox.Take(kCableData, 0x1069));
    // The device never went away: nothing is reported and the program's handle still works.
    EXPECT_FALSE(inbox.Has(kCableStatus));
    EXPECT_EQ(cable().Send({0x06, 0x09, 0x01, 0x04, 0xFB, 0x00, 0x00, 0x00, 0x00}), 1);
}

TEST_F(DemoDrivers, AFastReplugIsReportedAsRemovalThenArrivalAndTheEventsComeBack) {
    mouse.SetCablePlugged(false);
    mouse.SetCablePlugged(true);
    const auto removed = inbox.Next(kCableStatus);
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed->wParam, 0u);
    const auto arrived = inbox.Next(kCableStatus);
    ASSERT_TRUE(arrived);
    EXPECT_EQ(arrived->wParam, 1u);

    // The program's arrival steps bring a working feature handle.
    ASSERT_EQ(cable().f().Open_FeatureDevice(), 1);
    EXPECT_EQ(cable().Send({0x06, 0x09, 0x01, 0x04, 0xFB, 0x00, 0x00, 0x00, 0x00}), 1);
    mouse.PressDpiButton();
    ASSERT_TRUE(inbox.Take(kCableData, 0x1069));
    EXPECT_FALSE(inbox.Has(kCableStatus));
}

TEST_F(DemoDrivers, AnEventBurstDoesNotRunThePresenceCheckAtEventRate) {
    constexpr int kPresses = 200;
    constexpr auto kPresencePeriod = std::chrono::milliseconds(500);
    const uint64_t before = EnumerationCount(kCableProductId);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kPresses; ++i) {
        mouse.PressDpiButton();
        ASSERT_TRUE(inbox.Take(kCableData, 0x1069));
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // However fast the events come, the device list is built once a presence period.
    const auto enumerations = EnumerationCount(kCableProductId) - before;
    EXPECT_LE(enumerations, static_cast<uint64_t>(elapsed / kPresencePeriod) + 2);
}

}  // namespace
}  // namespace sim::test
