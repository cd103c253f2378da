// Device events from the cable or receiver (as the driver library's data message folds them) and
// from Bluetooth: whatever arrives, only the DPI stage and the report rate of the current profile
// change, each within its range, and the battery bar never leaves 0..100.
#include <cstring>
#include <map>
#include <string>

#include "fuzz/fuzz_support.h"
#include "link/connection_manager.h"
#include "link/device_events.h"

namespace {

class View final : public DeviceView {
public:
    void SetVisible(std::string_view, bool) override {}
    bool IsChecked(std::string_view) const override { return true; }
    void SetChecked(std::string_view, bool) override {}
    void SetLanguageText(std::string_view, std::string_view) override {}
    void SetPlainText(std::string_view, const QString&) override {}
    void SetProgress(std::string_view, int value) override {
        FUZZ_REQUIRE(value >= 0 && value <= 100);
    }
    void SelectDpiStageOption(int number) override {
        FUZZ_REQUIRE(number >= 1 && number <= kDpiStageCount);
    }
    void SelectReportRateOption(int index) override { FUZZ_REQUIRE(index >= 0 && index <= 3); }
    void UpdateLightRows() override {}
};

class Window final : public WindowServices {
public:
    void SetTimer(int, int) override {}
    void KillTimer(int) override {}
    void StartChargeTimer() override {}
    void StopChargeTimer() override {}
    void PostMessage(uint32_t, uint64_t, int64_t) override {}
    void Wait(int) override {}
};

class Profile final : public CurrentProfileAccess {
public:
    Profile() : record(CreateBlankRecord(QStringLiteral("Fuzz"))) {}
    bool EditSlot0(const std::function<void(ProfileSlot&)>& edit) override {
        edit(record->slots[0]);
        return true;
    }
    void Synchronise() override { *lastSent = *record; }
    void SynchroniseSlot0(const std::function<void(ProfileSlot&)>& change) override {
        change(lastSent->slots[0]);
    }
    std::unique_ptr<ProfileRecord> record;
    std::unique_ptr<ProfileRecord> lastSent = std::make_unique<ProfileRecord>(*record);
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LinkState links;
    View view;
    Window window;
    Profile profile;
    const ProfileRecord before = *profile.record;
    DeviceEvents events(links, view, window, profile, [](uint16_t) {});

    // Each event: a source byte, then four bytes as the source delivers them.
    for (size_t at = 0; at + 5 <= size; at += 5) {
        const uint8_t* e = data + at;
        links.cableState = (e[0] & 2) != 0 ? kLinkPresent : kLinkRemoved;
        links.bleConnected = (e[0] & 4) != 0 ? 1 : 0;
        if ((e[0] & 1) == 0) {
            // The driver library's data message: wParam the event key, lParam the value.
            const uint32_t code = ConnectionManager::FoldDataMessage(
                static_cast<uint64_t>(e[1] | e[2] << 8), static_cast<int64_t>(e[3] | e[4] << 8));
            events.Handle(static_cast<uint16_t>(code >> 16), static_cast<uint16_t>(code & 0xFFFF),
                          EventSource::Usb);
        } else {
            // A Bluetooth notification: key and value little-endian.
            events.Handle(static_cast<uint16_t>(e[1] | e[2] << 8),
                          static_cast<uint16_t>(e[3] | e[4] << 8), EventSource::Bluetooth);
        }
        events.OnChargeTimer();
        const ProfileSlot& slot = profile.record->slots[0];
        FUZZ_REQUIRE(slot.dpiStage >= 0 && slot.dpiStage < kDpiStageCount);
        FUZZ_REQUIRE(slot.reportRate >= 0 && slot.reportRate <= 3);
        // The copy last sent takes the mouse's own changes, and only those.
        FUZZ_REQUIRE(profile.lastSent->slots[0].dpiStage == slot.dpiStage);
        FUZZ_REQUIRE(profile.lastSent->slots[0].reportRate == slot.reportRate);
    }
    ProfileRecord expected = *profile.record;
    expected.slots[0].dpiStage = before.slots[0].dpiStage;
    expected.slots[0].reportRate = before.slots[0].reportRate;
    FUZZ_REQUIRE(std::memcmp(&expected, &before, sizeof before) == 0);
    return 0;
}
