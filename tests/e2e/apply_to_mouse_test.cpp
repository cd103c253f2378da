// A profile edited setting by setting and applied through the apply pipeline and the send engine
// to the simulated mouse over each link; after every apply the mouse must hold the profile.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "protocol/apply_pipeline.h"
#include "protocol/link_state.h"
#include "protocol/send_engine.h"
#include "sim/mouse_transport.h"
#include "sim/simulated_mouse.h"
#include "tests/e2e/mouse_matches_record.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The pacing is tested with the send engine alone; here time does not matter.
class NoSleep final : public Sleeper {
public:
    void SleepMs(int) override {}
};

// One profile in memory, loaded as at start-up: the first apply is a full one.
class MemoryProfiles final : public ProfileSource {
public:
    RecordSnapshot TakeSnapshot() override {
        RecordSnapshot snapshot{std::make_unique<ProfileRecord>(*record), forceFullApply};
        forceFullApply = false;
        return snapshot;
    }
    void Save() override { ++saves; }

    std::unique_ptr<ProfileRecord> record = CreateBlankRecord(QStringLiteral("Everyday"));
    bool forceFullApply = true;
    int saves = 0;
};

class CountingObserver final : public ApplyObserver {
public:
    void ApplyStarted() override { ++started; }
    void ReportsSent() override {}
    void ApplyFinished(bool) override { ++finished; }
    int started = 0;
    int finished = 0;
};

enum class Route { Cable, Receiver, Bluetooth };

std::string RouteName(const ::testing::TestParamInfo<Route>& info) {
    switch (info.param) {
        case Route::Cable:
            return "Cable";
        case Route::Receiver:
            return "Receiver";
        case Route::Bluetooth:
            return "Bluetooth";
    }
    return "Unknown";
}

void BindMacro(ButtonEntry& entry, const std::vector<MacroAction>& actions, int32_t repeatMode,
               int32_t repeatCount, uint8_t option) {
    entry.functionCode = kFunctionMacro;
    entry.macroRepeatMode = repeatMode;
    entry.macroRepeatCount = repeatCount;
    entry.macroOption = option;
    entry.macroIndex = 0;
    entry.macroActionCount = static_cast<uint16_t>(actions.size());
    for (std::size_t i = 0; i < actions.size(); ++i) {
        entry.macroActions[i] = actions[i];
    }
}

class MouseLinks : public ::testing::Test {
protected:
    MouseLinks() {
        // Acknowledgements come back through the event path, as the device events would bring
        // them to the page.
        mouse.SetEventSink([this](sim::Link, uint16_t key, uint16_t value) {
            if (key == sim::kEventAck) {
                engine.OnAcknowledgementEvent(value);
            }
        });
    }

    void Connect(Route route) {
        switch (route) {
            case Route::Cable:
                mouse.SetCablePlugged(true);
                links.cableState = kLinkPresent;
                break;
            case Route::Receiver:
                mouse.SetReceiverPlugged(true);
                mouse.SetMouseAwake(true);
                links.receiverState = kLinkPresent;
                links.wirelessAwake = 1;
                break;
            case Route::Bluetooth:
                ConnectBluetooth();
                break;
        }
    }
    void ConnectBluetooth() {
        mouse.SetBluetoothConnected(true);
        links.bleConnected = 1;
    }

    ProfileSlot& Slot() { return profiles.record->slots[0]; }
    ButtonEntry& Button(int position) { return Slot().buttons[position]; }

    // Runs one apply and returns the transfers the mouse saw during it.
    std::vector<sim::TransferLogEntry> Apply() {
        mouse.ClearLog();
        pipeline.RunApply();
        return mouse.Log();
    }

    sim::SimulatedMouse mouse;
    LinkState links;
    NoSleep noSleep;
    sim::MouseTransport wired{mouse, sim::Link::Cable};
    sim::MouseTransport receiver{mouse, sim::Link::Receiver};
    sim::MouseTransport ble{mouse, sim::Link::Bluetooth};
    SendEngine engine{links, SendTransports{&wired, &receiver, &ble}, noSleep};
    MemoryProfiles profiles;
    CountingObserver observer;
    ApplyPipeline pipeline{profiles, engine, &observer};
};

::testing::AssertionResult AllAccepted(const std::vector<sim::TransferLogEntry>& log) {
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (!log[i].accepted) {
            return ::testing::AssertionFailure()
                   << "transfer " << i << " on the " << sim::LinkName(log[i].link)
                   << " was refused: " << log[i].reason;
        }
    }
    return ::testing::AssertionSuccess();
}

// The first bytes of each transfer, for comparing against the expected sequence.
std::vector<Bytes> Heads(const std::vector<sim::TransferLogEntry>& log, std::size_t size) {
    std::vector<Bytes> heads;
    for (const auto& entry : log) {
        heads.emplace_back(entry.bytes.begin(),
                           entry.bytes.begin() + std::min(size, entry.bytes.size()));
    }
    return heads;
}

class ApplyOverLink : public MouseLinks, public ::testing::WithParamInterface<Route> {
protected:
    void SetUp() override { Connect(GetParam()); }
    bool OverBluetooth() const { return GetParam() == Route::Bluetooth; }
};

struct Edit {
    const char* what;
    std::function<void(ProfileSlot&)> change;
};

TEST_P(ApplyOverLink, EverySettingReachesTheMouse) {
    // Bluetooth never carries the rate, so start the mouse on a rate no profile below uses.
    mouse.PressReportRateButton();  // 4 -> 2
    mouse.PressReportRateButton();  // 2 -> 1
    const uint8_t rateBefore = mouse.Settings().rateCode;
    ASSERT_EQ(rateBefore, 1);
    const RateCheck rate = OverBluetooth() ? RateCheck::Skip : RateCheck::Compare;

    const std::vector<Edit> edits = {
        {"stage 1 at 400 DPI", [](ProfileSlot& s) { s.dpiValue[0] = 4; }},
        {"stage 2 at 1,000 DPI", [](ProfileSlot& s) { s.dpiValue[1] = 10; }},
        {"stage 3 at 2,600 DPI", [](ProfileSlot& s) { s.dpiValue[2] = 26; }},
        {"stage 4 at 3,500 DPI", [](ProfileSlot& s) { s.dpiValue[3] = 35; }},
        {"stage 5 at 5,100 DPI", [](ProfileSlot& s) { s.dpiValue[4] = 51; }},
        {"stage 6 at 12,000 DPI", [](ProfileSlot& s) { s.dpiValue[5] = 120; }},
        {"stage 7 at 16,000 DPI", [](ProfileSlot& s) { s.dpiValue[6] = 160; }},
        {"stage 8 at 26,000 DPI", [](ProfileSlot& s) { s.dpiValue[7] = 260; }},
        {"stage 7 on, stage 2 off, stage 8 holding 2 (not on)",
         [](ProfileSlot& s) {
             s.dpiStageEnabled[6] = 1;
             s.dpiStageEnabled[1] = 0;
             s.dpiStageEnabled[7] = 2;
         }},
        {"current stage 7", [](ProfileSlot& s) { s.dpiStage = 6; }},
        {"current stage 1", [](ProfileSlot& s) { s.dpiStage = 0; }},
        {"stage 1 colour", [](ProfileSlot& s) { s.dpiColor[0] = 0x00123456; }},
        {"every stage colour",
         [](ProfileSlot& s) {
             for (int k = 0; k < kDpiStageCount; ++k) {
                 s.dpiColor[k] = 0x00010203u * static_cast<uint32_t>(k + 1) + 0x00400000u;
             }
         }},
        {"DPI parameters",
         [](ProfileSlot& s) {
             s.dpiParamA = 0x1F3;  // only the low byte travels
             s.dpiParamB = 3;
         }},
        {"breathing effect 9 with brightness 5",
         [](ProfileSlot& s) {
             s.lightMode = 9;
             s.lightBrightness = 5;
         }},
        {"effect 3 sends brightness 8", [](ProfileSlot& s) { s.lightMode = 3; }},
        {"effect 1 with brightness 2",
         [](ProfileSlot& s) {
             s.lightMode = 1;
             s.lightBrightness = 2;
         }},
        {"speed 2", [](ProfileSlot& s) { s.lightSpeed = 2; }},
        {"speed 9", [](ProfileSlot& s) { s.lightSpeed = 9; }},
        {"lighting colour", [](ProfileSlot& s) { s.lightColor = 0x00336699; }},
        {"sleep after 167 minutes", [](ProfileSlot& s) { s.sleepTimer = 0xA7; }},
        {"sleep after 5 minutes", [](ProfileSlot& s) { s.sleepTimer = 5; }},
        {"light off after 10 minutes", [](ProfileSlot& s) { s.lightOffTimer = 20; }},
        {"button mode 1", [](ProfileSlot& s) { s.buttonMode = 1; }},
        {"rate index 0", [](ProfileSlot& s) { s.reportRate = 0; }},
        {"rate index 3", [](ProfileSlot& s) { s.reportRate = 3; }},
        {"rate index 2", [](ProfileSlot& s) { s.reportRate = 2; }},
        {"button 3 mutes", [](ProfileSlot& s) { s.buttons[2].functionCode = 0x47; }},
        {"button 11 closes the window", [](ProfileSlot& s) { s.buttons[10].functionCode = 0x2A; }},
        {"button 18 tilts left", [](ProfileSlot& s) { s.buttons[17].functionCode = 0x0D; }},
        {"button 6 is Ctrl+Alt+F1",
         [](ProfileSlot& s) {
             s.buttons[5].functionCode = kFunctionShortcut;
             s.buttons[5].shortcutModifiers = 0x05;
             s.buttons[5].shortcutUsage = 0x3A;
         }},
        {"button 6 is Win+Shift+E",
         [](ProfileSlot& s) {
             s.buttons[5].shortcutModifiers = 0x0A;
             s.buttons[5].shortcutUsage = 0x08;
         }},
        {"macro on button 2",
         [](ProfileSlot& s) {
             BindMacro(s.buttons[1],
                       {{0x04, kActionPress, 0},
                        {0x04, kActionRelease, 1270},
                        {0x05, kActionPress, 1271},
                        {0x05, kActionRelease, 1300},
                        {0xF1, kActionPress, 5000},
                        {0xF1, kActionRelease, 15}},
                       1, 3, 0);
         }},
        {"macro on button 14 (macro slot 15) with option 2",
         [](ProfileSlot& s) {
             BindMacro(s.buttons[13],
                       {{0x2C, kActionPress, 20000},
                        {0x2C, kActionRelease, 1400},
                        {0x28, kActionPress, 999},
                        {0x28, kActionRelease, 50}},
                       2, 0, 2);
         }},
        {"macro on button 18 (macro slot 0), twelve long delays",
         [](ProfileSlot& s) {
             std::vector<MacroAction> actions;
             for (int i = 0; i < 12; ++i) {
                 actions.push_back(
                     {static_cast<uint8_t>(0x1E + i / 2),
                      static_cast<uint8_t>(i % 2 == 0 ? kActionPress : kActionRelease),
                      static_cast<uint16_t>(2000 + 10 * i)});
             }
             BindMacro(s.buttons[17], actions, 0, 7, 0);
         }},
        {"macro on button 5 longer than a report",
         [](ProfileSlot& s) {
             std::vector<MacroAction> actions;
             for (int i = 0; i < kMacroMaxActions; ++i) {
                 actions.push_back({0x10, static_cast<uint8_t>(1 + i % 2),
                                    static_cast<uint16_t>(i < 12 ? 3000 : 40)});
             }
             BindMacro(s.buttons[4], actions, 1, 255, 0);
         }},
        {"a delay of the macro on button 14",
         [](ProfileSlot& s) { s.buttons[13].macroActions[2].delay = 2600; }},
        {"repeat count of the macro on button 2",
         [](ProfileSlot& s) { s.buttons[1].macroRepeatCount = 9; }},
        {"option of the macro on button 2", [](ProfileSlot& s) { s.buttons[1].macroOption = 7; }},
    };

    auto log = Apply();  // the full apply after loading
    ASSERT_TRUE(AllAccepted(log));
    ASSERT_TRUE(MouseMatchesRecord(mouse.Settings(), *profiles.record, rate));

    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.what);
        const uint8_t rateIndexBefore = static_cast<uint8_t>(Slot().reportRate);
        edit.change(Slot());
        log = Apply();
        // Over Bluetooth a change of the rate alone is held back: nothing goes out.
        EXPECT_EQ(log.empty(), OverBluetooth() && Slot().reportRate != rateIndexBefore);
        EXPECT_TRUE(AllAccepted(log));
        EXPECT_TRUE(MouseMatchesRecord(mouse.Settings(), *profiles.record, rate));
        if (OverBluetooth()) {
            EXPECT_EQ(mouse.Settings().rateCode, rateBefore);
        }
    }

    // Nothing changed, or only what the mouse never gets: no transfer at all, but still a save.
    const int savesBefore = profiles.saves;
    EXPECT_TRUE(Apply().empty());
    Slot().moveMode = 1;
    SetProfileName(*profiles.record, QStringLiteral("Renamed"));
    EXPECT_TRUE(Apply().empty());
    EXPECT_EQ(profiles.saves, savesBefore + 2);
    EXPECT_EQ(observer.finished, observer.started);
}

TEST_P(ApplyOverLink, FirstApplyAfterLoadingSendsEveryGroup) {
    BindMacro(Button(3), {{0x04, kActionPress, 30}, {0x04, kActionRelease, 30}}, 0, 1, 0);
    BindMacro(Button(13), {{0x05, kActionPress, 30}}, 0, 1, 0);

    const auto log = Apply();
    ASSERT_TRUE(AllAccepted(log));
    const auto heads = Heads(log, 4);

    std::vector<Bytes> expected;
    switch (GetParam()) {
        case Route::Cable:
            expected = {
                {0x0C, 0x0A, 0x01, 0xFE}, {0x04, 0x38, 0x01, 0x08}, {0x05, 0x0F, 0x01, 0x10},
                {0x06, 0x09, 0x01, 0x04}, {0x08, 0x3B, 0x01, 0x02}, {0x09, 0x40, 0x04, 0x00},
                {0x09, 0x40, 0x04, 0x01}, {0x09, 0x40, 0x04, 0x02}, {0x09, 0x40, 0x0E, 0x00},
                {0x09, 0x40, 0x0E, 0x01}, {0x09, 0x40, 0x0E, 0x02}};
            break;
        case Route::Receiver:
            expected = {
                {0x0C, 0x0A, 0x01, 0xFE}, {0x04, 0x38, 0x01, 0x08}, {0x05, 0x0F, 0x01, 0x10},
                {0x06, 0x09, 0x01, 0x04}, {0x08, 0x3B, 0x01, 0x02}, {0x09, 0x40, 0x04, 0x00},
                {0x09, 0x40, 0x04, 0x01}, {0x09, 0x0C, 0x04, 0x02}, {0x09, 0x40, 0x0E, 0x00},
                {0x09, 0x40, 0x0E, 0x01}, {0x09, 0x0C, 0x0E, 0x02}};
            break;
        case Route::Bluetooth:
            // No report-rate report; each macro is one whole report.
            expected = {{0x0C, 0x0A, 0x01, 0xFE}, {0x04, 0x38, 0x01, 0x08},
                        {0x05, 0x0F, 0x01, 0x10}, {0x08, 0x3B, 0x01, 0x02},
                        {0x09, 0x83, 0x04, 0x00}, {0x09, 0x83, 0x0E, 0x00}};
            break;
    }
    EXPECT_EQ(heads, expected);
    EXPECT_EQ(mouse.Settings().startReports, 1);
    EXPECT_TRUE(MouseMatchesRecord(mouse.Settings(), *profiles.record,
                                   OverBluetooth() ? RateCheck::Skip : RateCheck::Compare));
}

TEST_P(ApplyOverLink, MacroEditSendsStartButtonsAndThatMacroOnly) {
    BindMacro(Button(3), {{0x04, kActionPress, 30}, {0x04, kActionRelease, 30}}, 0, 1, 0);
    BindMacro(Button(7), {{0x06, kActionPress, 30}}, 0, 1, 0);
    ASSERT_TRUE(AllAccepted(Apply()));

    Button(3).macroActions[1].delay = 1500;
    const auto log = Apply();
    ASSERT_TRUE(AllAccepted(log));

    std::vector<Bytes> expected;
    switch (GetParam()) {
        case Route::Cable:
            expected = {{0x0C, 0x0A, 0x01},
                        {0x08, 0x3B, 0x01},
                        {0x09, 0x40, 0x04},
                        {0x09, 0x40, 0x04},
                        {0x09, 0x40, 0x04}};
            break;
        case Route::Receiver:
            expected = {{0x0C, 0x0A, 0x01},
                        {0x08, 0x3B, 0x01},
                        {0x09, 0x40, 0x04},
                        {0x09, 0x40, 0x04},
                        {0x09, 0x0C, 0x04}};
            break;
        case Route::Bluetooth:
            expected = {{0x0C, 0x0A, 0x01}, {0x08, 0x3B, 0x01}, {0x09, 0x83, 0x04}};
            break;
    }
    EXPECT_EQ(Heads(log, 3), expected);
    EXPECT_TRUE(MouseMatchesRecord(mouse.Settings(), *profiles.record,
                                   OverBluetooth() ? RateCheck::Skip : RateCheck::Compare));
}

INSTANTIATE_TEST_SUITE_P(Links, ApplyOverLink,
                         ::testing::Values(Route::Cable, Route::Receiver, Route::Bluetooth),
                         RouteName);

// How often each report went out on one link, by report ID.
std::vector<uint8_t> IdsOn(const std::vector<sim::TransferLogEntry>& log, sim::Link link) {
    std::vector<uint8_t> ids;
    for (const auto& entry : log) {
        if (entry.link == link) {
            ids.push_back(entry.bytes.at(0));
        }
    }
    return ids;
}

std::vector<uint8_t> Repeated(std::initializer_list<std::pair<uint8_t, int>> runs) {
    std::vector<uint8_t> ids;
    for (const auto& [id, times] : runs) {
        ids.insert(ids.end(), static_cast<std::size_t>(times), id);
    }
    return ids;
}

TEST_F(MouseLinks, UnansweredReceiverFallsThroughToBluetooth) {
    Connect(Route::Receiver);
    ConnectBluetooth();
    mouse.SetAckMode(sim::AckMode::Silent);
    pipeline.Synchronise(*profiles.record);
    profiles.forceFullApply = false;

    Slot().dpiStage = 4;
    Slot().lightColor = 0x0000FF00;
    Slot().reportRate = 3;
    BindMacro(Button(2), {{0x07, kActionPress, 2000}, {0x07, kActionRelease, 40}}, 0, 2, 0);
    const auto log = Apply();

    // Ten tries on the receiver for each report (ten passes of three frames for the macro), then
    // Bluetooth, which takes everything but the rate.
    EXPECT_EQ(IdsOn(log, sim::Link::Receiver),
              Repeated({{0x0C, 10}, {0x04, 10}, {0x05, 10}, {0x06, 10}, {0x08, 10}, {0x09, 30}}));
    EXPECT_EQ(IdsOn(log, sim::Link::Bluetooth),
              (std::vector<uint8_t>{0x0C, 0x04, 0x05, 0x08, 0x09}));
    EXPECT_TRUE(AllAccepted(log));
    // The silent mouse did take the rate over the receiver; only its answers were lost.
    EXPECT_TRUE(MouseMatchesRecord(mouse.Settings(), *profiles.record));
}

TEST_F(MouseLinks, RefusingMouseKeepsItsSettings) {
    Connect(Route::Receiver);
    mouse.SetAckMode(sim::AckMode::Refuse);

    Slot().dpiValue[0] = 12;
    Slot().lightMode = 4;
    Slot().reportRate = 0;
    Button(0).functionCode = 0x02;
    BindMacro(Button(4), {{0x08, kActionPress, 100}}, 0, 1, 0);
    const auto log = Apply();

    EXPECT_EQ(IdsOn(log, sim::Link::Receiver),
              Repeated({{0x0C, 10}, {0x04, 10}, {0x05, 10}, {0x06, 10}, {0x08, 10}, {0x09, 30}}));
    for (const auto& entry : log) {
        if (!entry.accepted) {
            continue;
        }
        // Only the first two frames of a macro pass are taken, waiting for the third; every
        // whole report is refused.
        EXPECT_EQ(entry.bytes.at(0), 0x09);
        EXPECT_NE(entry.bytes.at(3), 0x02);
    }
    EXPECT_EQ(mouse.Settings(), sim::FactorySettings());
    EXPECT_EQ(profiles.saves, 1);

    // Nothing the mouse refused counts as sent: once it takes reports again, the next apply
    // brings it in line without any further edit.
    mouse.SetAckMode(sim::AckMode::Accept);
    EXPECT_EQ(IdsOn(Apply(), sim::Link::Receiver),
              Repeated({{0x0C, 1}, {0x04, 1}, {0x05, 1}, {0x06, 1}, {0x08, 1}, {0x09, 3}}));
    EXPECT_TRUE(MouseMatchesRecord(mouse.Settings(), *profiles.record, RateCheck::Compare));
    EXPECT_TRUE(Apply().empty());
}

}  // namespace
