// What the link and device-event handling needs from the settings page and the main window: the
// page's controls by name, the window's timers and messages. The page implements these on its
// layout; tests implement them with plain maps, so the link logic runs without windows.
#pragma once

#include <cstdint>
#include <string_view>

#include <QString>

#include "link/program_messages.h"

// Controls the link state and the device events drive.
namespace link_controls {
inline constexpr std::string_view kWired = "ms_1_wired";
inline constexpr std::string_view kWireless = "ms_1_wireless";
inline constexpr std::string_view kBle = "ms_1_BLE";
inline constexpr std::string_view kSleepLabel = "ms_1_sleep_label";
inline constexpr std::string_view kPowerLabel = "ms_1_label_power";
inline constexpr std::string_view kPowerProgress = "ms_1_progress_power";
inline constexpr std::string_view kPowerView = "ms_1_ver_power";
inline constexpr std::string_view kNoPowerView = "ms_1_ver_no_power";
inline constexpr std::string_view kCheckPower = "ms_1_check_power";
inline constexpr std::string_view kCheckReportRate = "ms_1_check_prate";
inline constexpr std::string_view kReportRatePanel = "ms_1_ver_prate";
inline constexpr std::string_view kLightPanel = "ms_1_ver_light";
inline constexpr std::string_view kCheckLight = "ms_1_check_light";
inline constexpr std::string_view kLightCombo = "ms_1_combo_light";
}  // namespace link_controls

class DeviceView {
public:
    virtual ~DeviceView() = default;
    virtual void SetVisible(std::string_view control, bool visible) = 0;
    virtual bool IsChecked(std::string_view control) const = 0;
    virtual void SetChecked(std::string_view control, bool checked) = 0;
    // The control shows the text of a language key and follows language switches.
    virtual void SetLanguageText(std::string_view control, std::string_view key) = 0;
    // The control shows a plain text (no language key).
    virtual void SetPlainText(std::string_view control, const QString& text) = 0;
    virtual void SetProgress(std::string_view control, int value) = 0;
    // Selects stage option number (1-based) of "ms_1_option_dpi_step_%d" without a notification.
    virtual void SelectDpiStageOption(int number) = 0;
    // Selects rate option index (0..3) of "ms_1_btn_prate_%d" without a notification.
    virtual void SelectReportRateOption(int index) = 0;
    // Shows the lighting rows for the current lighting effect.
    virtual void UpdateLightRows() = 0;
};

// The main window's timers and messages, as the page uses them.
class WindowServices {
public:
    virtual ~WindowServices() = default;
    // Window timers (43, 52, 100, 517); setting a running timer restarts it.
    virtual void SetTimer(int id, int milliseconds) = 0;
    virtual void KillTimer(int id) = 0;
    // The charge animation: control timer 53 on the battery bar.
    virtual void StartChargeTimer() = 0;
    virtual void StopChargeTimer() = 0;
    virtual void PostMessage(uint32_t message, uint64_t wParam, int64_t lParam) = 0;
    // The arrival handlers wait for the device to settle; blocking, on the UI thread.
    virtual void Wait(int milliseconds) = 0;
};
