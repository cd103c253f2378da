// What the mouse tells us: DPI-stage and report-rate changes made on the mouse, battery and
// charging state, acknowledgements. Events come from both USB links (through the connection
// manager) and from Bluetooth notifications; all are handled on the UI thread.
#pragma once

#include <cstdint>
#include <functional>

#include "link/device_view.h"
#include "protocol/link_state.h"
#include "protocol/profile_record.h"

enum class EventSource { Usb, Bluetooth };

// The power status event: its value holds the level (0..100) in the high byte and the state in
// the low byte.
inline constexpr uint16_t kPowerEventKey = 0x4069;
inline constexpr int kPowerStateCharged = 2;
inline constexpr int kPowerStateCharging = 3;

// The current profile as the event handling needs it.
class CurrentProfileAccess {
public:
    virtual ~CurrentProfileAccess() = default;
    // Runs edit on slot 0 of the current record under the store's lock; false (and edit not run)
    // when no profile is loaded yet.
    virtual bool EditSlot0(const std::function<void(ProfileSlot&)>& edit) = 0;
    // Takes the current record as the last one sent and saves the store, so that a change the
    // mouse made itself is not sent back by the next apply.
    virtual void Synchronise() = 0;
    // The mouse made this change to slot 0 itself: the copy last sent takes the same change and
    // the store is saved. Edits of the user's not sent yet stay to be sent.
    virtual void SynchroniseSlot0(const std::function<void(ProfileSlot&)>& change) = 0;
};

class DeviceEvents {
public:
    // onMouseAnswered runs after each power status, stage or rate change, from either link: the
    // mouse is reachable now; wokeUp tells that it has just woken behind the receiver.
    DeviceEvents(LinkState& links, DeviceView& view, WindowServices& window,
                 CurrentProfileAccess& profile, std::function<void(uint16_t)> onAcknowledgement,
                 std::function<void(bool wokeUp)> onMouseAnswered = {});

    // One event: key = 0x69 | type << 8, value 16 bits.
    void Handle(uint16_t key, uint16_t value, EventSource source);

    // Timer 53: one step of the charging animation on the battery bar.
    void OnChargeTimer();
    void ResetChargeAnimation() { chargeAnimStep_ = 0; }
    int ChargeAnimStep() const { return chargeAnimStep_; }

    // Shows what the current link can configure (called on every link change).
    void RefreshSettingsView();

    // The bar and its text show level n.
    void ShowBatteryLevel(int level);

private:
    void HandleDpiStage(uint16_t value);
    void HandleReportRate(uint16_t value);
    // Returns whether the mouse has just woken behind the receiver.
    bool HandlePowerOverUsb(uint16_t value);
    void HandlePowerOverBluetooth(uint16_t value);
    void ShowCharging();
    void Answered(bool wokeUp);

    LinkState& links_;
    DeviceView& view_;
    WindowServices& window_;
    CurrentProfileAccess& profile_;
    std::function<void(uint16_t)> onAcknowledgement_;
    std::function<void(bool)> onMouseAnswered_;
    int chargeAnimStep_ = 0;
};

// Report-rate codes the mouse announces, as the index the record keeps (8, 4, 2, 1 -> 0..3);
// -1 for any other value.
int ReportRateIndexFromCode(uint16_t code);
