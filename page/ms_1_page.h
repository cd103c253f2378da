// The settings page of the MS_1 mouse. It is not a window: it receives the notifications of the
// main window's controls tagged with the virtual window "MS_1_Page", owns the profile store and the
// links to the mouse, and keeps the page's controls in line with the current profile.
#pragma once

#include <cstdint>
#include <memory>

#include <QString>

#include "link/driver_functions.h"
#include "page/battery_display.h"
#include "page/button_assignment.h"
#include "page/device_links.h"
#include "page/page_controls.h"
#include "page/page_device_view.h"
#include "page/profile_store.h"
#include "page/settings_view.h"
#include "sys/keyboard_layout.h"
#include "ui/notify_pump.h"

class ColorSwatches;
class PageOperations;
class PageWindowServices;
class ProfileList;
class WindowImplBase;

inline constexpr char kPageVirtualWindow[] = "MS_1_Page";

class CMS_1_Page final : public CNotifyPump {
public:
    explicit CMS_1_Page(PagePlatform platform);
    ~CMS_1_Page() override;

    // Handed over by the main window before Init: the window (target of every message and
    // timer of the page) and the hook table (filled later, when the hook library loads).
    void SetWindow(WindowImplBase* window, const HookTable* hooks);
    // The page's start-up: finds its controls, then opens the links to the mouse.
    void Init();
    // Loads the profile and macro stores and shows the stored selection; tells what the start
    // found in the data folder.
    StoreStartReport LoadProfiles();
    // Stops the worker before the driver libraries are closed and unloaded.
    void Teardown();
    // Writes the profiles now, before anything else happens (nothing before they are loaded).
    bool SaveProfilesNow();

    // From the main window's message handling (UI thread).
    void OnReceiverEvent(uint32_t code);
    void OnCableEvent(uint32_t code);
    void OnBleChange(int connected);
    void OnWatchdogTimer();         // timer 100
    void OnBleRegistrationTimer();  // timer 517
    void OnBluetoothEvent(uint16_t key, uint16_t value);
    // The worker's apply started / sent / finished (wParam 1: something was not delivered).
    void OnApplyMessage(uint32_t message, quintptr wParam = 0);
    void RequestApply();  // thread message 1648 for the worker
    // A menu item whose name agrees with "ms_1" was chosen.
    void OnMenuCommand(const QString& itemName);

    // Every control from the current profile.
    void RefreshPage();

    int DeviceConnected() const;
    int BleConnected() const;
    ProfileStore& Store() { return store_; }
    const PageControls& Controls() const { return controls_; }
    DeviceLinks* Links() { return links_.get(); }
    const HookTable* Hooks() const { return hooks_; }
    ButtonAssignment& Buttons() { return buttons_; }
    // What other programs may ask of the page; null before Init.
    PageOperations* Operations() { return operations_.get(); }
    // What the battery panel shows, for the tray.
    BatteryDisplay& Battery() { return battery_; }

private:
    void OnClick(const Notification& n);
    void OnSelectChanged(const Notification& n);
    void OnItemSelect(const Notification& n);
    void OnCheckClick(const Notification& n);
    void OnValueChanged(const Notification& n);
    void OnTimer(const Notification& n);

    void OpenDesktopMouseSettings();
    // The macro editor, modal; then every profile's macro copies follow the edited macros.
    void OpenMacroEditor();
    void UpdateLightRows();
    // Runs edit on the displayed slot of the current profile under the store's lock.
    bool EditCurrent(const std::function<void(ProfileRecord&)>& edit);
    void PostApplyRequest();
    void RestartApplyDebounce(int milliseconds);

    PagePlatform platform_;
    WindowImplBase* window_ = nullptr;
    const HookTable* hooks_ = nullptr;
    std::unique_ptr<KeyboardLayout> layout_;
    PageControls controls_;
    ProfileStore store_;
    SettingsView view_;
    ButtonAssignment buttons_;
    BatteryDisplay battery_;
    PageDeviceView deviceView_;
    std::unique_ptr<PageWindowServices> windowServices_;
    std::unique_ptr<ProfileList> profiles_;
    std::unique_ptr<PageOperations> operations_;
    std::unique_ptr<ColorSwatches> swatches_;
    std::unique_ptr<DeviceLinks> links_;
};
