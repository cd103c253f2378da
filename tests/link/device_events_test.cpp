#include "link/device_events.h"

#include <gtest/gtest.h>

#include "tests/link/fake_page.h"

namespace {

using namespace link_controls;

class DeviceEventsTest : public ::testing::Test {
protected:
    LinkState links;
    FakeView view;
    FakeWindow window;
    FakeProfile profile;
    std::vector<uint16_t> acks;
    std::vector<bool> answered;  // wokeUp of each power status
    DeviceEvents events{links,
                        view,
                        window,
                        profile,
                        [this](uint16_t v) { acks.push_back(v); },
                        [this](bool wokeUp) { answered.push_back(wokeUp); }};
};

TEST_F(DeviceEventsTest, DpiStageFromTheMouseSelectsTheOptionShowsThePopupAndSynchronises) {
    events.Handle(0x1069, 3, EventSource::Usb);
    EXPECT_EQ(profile.record->slots[0].dpiStage, 2);
    EXPECT_EQ(view.selectedStageOption, 3);
    ASSERT_EQ(window.CountPosted(1129), 1);
    EXPECT_EQ(window.posted.back().wParam, 0u);
    EXPECT_EQ(window.posted.back().lParam, 16);  // the third default stage: 1600 DPI
    EXPECT_EQ(profile.synchronised, 1);
    EXPECT_TRUE(profile.changeMatchesRecord);
}

TEST_F(DeviceEventsTest, OutOfRangeStagesForeignCodesAndUnknownTypesChangeNothing) {
    events.Handle(0x1069, 0, EventSource::Usb);
    events.Handle(0x1069, 9, EventSource::Usb);
    events.Handle(0x1068, 3, EventSource::Usb);
    events.Handle(0x6069, 3, EventSource::Usb);
    events.Handle(0x7069, 3, EventSource::Bluetooth);
    events.Handle(0x9969, 3, EventSource::Usb);
    EXPECT_EQ(profile.record->slots[0].dpiStage, 2);
    EXPECT_TRUE(window.posted.empty());
    EXPECT_EQ(profile.synchronised, 0);
    EXPECT_EQ(view.selectedStageOption, 0);
}

TEST_F(DeviceEventsTest, StageEventBeforeProfilesAreLoadedIsDropped) {
    profile.loaded = false;
    events.Handle(0x1069, 2, EventSource::Usb);
    EXPECT_TRUE(window.posted.empty());
    EXPECT_EQ(profile.synchronised, 0);
}

TEST_F(DeviceEventsTest, ReportRateCodesAreStoredAsTheirOptionIndex) {
    const std::pair<uint16_t, int32_t> cases[] = {{8, 0}, {4, 1}, {2, 2}, {1, 3}};
    for (auto [code, index] : cases) {
        events.Handle(0x2069, code, EventSource::Usb);
        EXPECT_EQ(profile.record->slots[0].reportRate, index) << code;
        EXPECT_EQ(view.selectedRateOption, index) << code;  // the page shows what it holds
    }
    EXPECT_EQ(profile.synchronised, 4);
    // Values that are no rate code never reach the record, so it stays within 0..3.
    for (uint16_t bad : {0, 3, 5, 7, 9, 0x0108}) {
        events.Handle(0x2069, bad, EventSource::Usb);
    }
    EXPECT_EQ(profile.record->slots[0].reportRate, 3);
    EXPECT_EQ(view.selectedRateOption, 3);
    EXPECT_EQ(profile.synchronised, 4);
}

TEST_F(DeviceEventsTest, SettingsChangedEventsSynchroniseAndAcksGoToTheSendEngine) {
    events.Handle(0x3269, 0, EventSource::Usb);
    events.Handle(0x8069, 0, EventSource::Bluetooth);
    EXPECT_EQ(profile.synchronised, 2);
    events.Handle(0x5069, 0x0000, EventSource::Usb);
    events.Handle(0x5069, 0x0001, EventSource::Usb);
    EXPECT_EQ(acks, (std::vector<uint16_t>{0x0000, 0x0001}));
}

TEST_F(DeviceEventsTest, BatteryLevelOverTheReceiverWakesTheMouseAndShowsTheLevel) {
    links.receiverState = 1;
    events.Handle(0x4069, 0x5A01, EventSource::Usb);  // state 1, level 90
    EXPECT_EQ(view.Progress(kPowerProgress), 90);
    EXPECT_EQ(view.Text(kPowerLabel), "90%");
    EXPECT_EQ(links.wirelessAwake, 1);
    EXPECT_EQ(view.Visible(kWireless), 1);
    EXPECT_EQ(view.Visible(kPowerView), 1);
    EXPECT_EQ(view.Visible(kNoPowerView), 0);
    EXPECT_EQ(view.Visible(kSleepLabel), 0);
    EXPECT_EQ(window.timers.at(100), 6000);

    // A level above 100 still counts as a sign of life but leaves the bar and its text alone.
    window.timers.clear();
    view.SetVisible(kSleepLabel, true);
    events.Handle(0x4069, 0x6500, EventSource::Usb);
    EXPECT_EQ(view.Progress(kPowerProgress), 90);
    EXPECT_EQ(view.Text(kPowerLabel), "90%");
    EXPECT_EQ(view.Visible(kSleepLabel), 0);
    EXPECT_EQ(window.timers.at(100), 6000);
    // Only the first status woke the mouse; each one says it is reachable.
    EXPECT_EQ(answered, (std::vector<bool>{true, false}));
}

TEST_F(DeviceEventsTest, ChargingOrChargedWhileOnTheCableMeansTheMouseIsNotAwakeBehindTheReceiver) {
    links.cableState = 1;
    links.receiverState = 1;
    links.wirelessAwake = 1;
    events.Handle(0x4069, 0x3203, EventSource::Usb);  // charging
    EXPECT_EQ(links.wirelessAwake, 0);
    EXPECT_EQ(view.Visible(kWireless), 0);
    EXPECT_TRUE(window.chargeTimerRunning);
    EXPECT_EQ(view.Text(kPowerLabel), "key:charging_text");

    events.Handle(0x4069, 0x6402, EventSource::Usb);  // charged
    EXPECT_FALSE(window.chargeTimerRunning);
    EXPECT_EQ(view.Progress(kPowerProgress), 100);
    EXPECT_EQ(view.Text(kPowerLabel), "100%");
}

TEST_F(DeviceEventsTest, BluetoothLevelStopsTheChargeAnimationWhileUsbLevelLeavesItRunning) {
    links.bleConnected = 1;
    events.Handle(0x4069, 0x0003, EventSource::Bluetooth);
    EXPECT_TRUE(window.chargeTimerRunning);
    EXPECT_EQ(view.Text(kPowerLabel), "key:charging_text");
    // Bluetooth events never touch the watchdog or the awake state.
    EXPECT_FALSE(window.TimerRunning(100));
    EXPECT_EQ(links.wirelessAwake, 0);

    events.Handle(0x4069, 0x5001, EventSource::Usb);
    EXPECT_TRUE(window.chargeTimerRunning);
    EXPECT_EQ(view.Progress(kPowerProgress), 80);

    events.Handle(0x4069, 0x4B01, EventSource::Bluetooth);
    EXPECT_FALSE(window.chargeTimerRunning);
    EXPECT_EQ(view.Progress(kPowerProgress), 75);
    EXPECT_EQ(view.Visible(kPowerView), 1);
    EXPECT_EQ(view.Visible(kNoPowerView), 0);
}

TEST_F(DeviceEventsTest, ChargeAnimationRunsFromZeroToHundredInStepsOfTwoAndWraps) {
    std::vector<int> shown;
    for (int i = 0; i < 52; ++i) {
        events.OnChargeTimer();
        shown.push_back(view.Progress(kPowerProgress));
    }
    EXPECT_EQ(shown[0], 0);
    EXPECT_EQ(shown[1], 2);
    EXPECT_EQ(shown[50], 100);
    EXPECT_EQ(shown[51], 0);
    events.ResetChargeAnimation();
    events.OnChargeTimer();
    EXPECT_EQ(view.Progress(kPowerProgress), 0);
}

TEST_F(DeviceEventsTest, SettingsViewFollowsTheLinkThatCarriesTheSettings) {
    links.bleConnected = 1;
    view.SetChecked(kCheckReportRate, true);
    view.SetChecked(kCheckLight, true);
    events.RefreshSettingsView();
    EXPECT_FALSE(view.IsChecked(kCheckReportRate));
    EXPECT_EQ(view.Visible(kCheckReportRate), 0);
    EXPECT_EQ(view.Visible(kReportRatePanel), 0);
    EXPECT_EQ(view.Visible(kLightPanel), 0);
    EXPECT_EQ(view.Visible(kLightCombo), 0);
    EXPECT_FALSE(view.IsChecked(kCheckLight));

    links.receiverState = 1;
    links.wirelessAwake = 1;
    events.RefreshSettingsView();
    EXPECT_EQ(view.Visible(kCheckReportRate), 1);
    EXPECT_EQ(view.Visible(kCheckPower), 1);
    EXPECT_EQ(view.Visible(kPowerView), 1);
    EXPECT_EQ(view.lightRowUpdates, 2);
}

}  // namespace
