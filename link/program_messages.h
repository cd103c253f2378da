// The program's window messages, thread messages and timers, by number.
#pragma once

#include <cstdint>

namespace program_messages {
inline constexpr uint32_t kTrayIcon = 1025;         // tray icon mouse event, lParam 514 / 517
inline constexpr uint32_t kMenuCommand = 1027;      // menu item chosen, wParam = MenuCommand
inline constexpr uint32_t kHookInput = 1034;        // key or mouse-button input from the hook
inline constexpr uint32_t kOpenInstance = 1037;     // a second start asks to be shown
inline constexpr uint32_t kDeviceConnected = 1128;  // deviceConnected changed or computed
inline constexpr uint32_t kDpiPopup = 1129;         // the mouse changed its DPI stage
inline constexpr uint32_t kIgnored1130 = 1130;
inline constexpr uint32_t kIgnored1261 = 1261;
inline constexpr uint32_t kReceiverData = 1325;    // receiver device event
inline constexpr uint32_t kReceiverStatus = 1326;  // receiver arrived / removed
inline constexpr uint32_t kCableData = 1327;       // cable device event
inline constexpr uint32_t kCableStatus = 1328;     // cable arrived / removed
inline constexpr uint32_t kApplyRequest = 1329;    // forwarded to the worker as 1648
inline constexpr uint32_t kWorkerApply = 1648;     // the worker's "run one apply"
inline constexpr uint32_t kIgnored5121 = 5121;
inline constexpr uint32_t kDeviceChange = 537;  // device interface arrival / removal
// Ours: the worker tells the window about an apply (it never touches controls itself).
inline constexpr uint32_t kApplyStarted = 1650;
inline constexpr uint32_t kApplyReportsSent = 1651;
inline constexpr uint32_t kApplyFinished = 1652;
// Ours: a Bluetooth notification handed to the UI thread; wParam key, lParam value.
inline constexpr uint32_t kBluetoothEvent = 1653;
// Ours: the data cannot be saved; a damaged store was kept aside (boxes for the user).
inline constexpr uint32_t kDataNotSaved = 1670;
inline constexpr uint32_t kStoreKeptAside = 1671;
}  // namespace program_messages

namespace page_timers {
inline constexpr int kApplyDebounce = 43;
inline constexpr int kDpiPopup = 52;
inline constexpr int kChargeAnimation = 53;
inline constexpr int kReceiverWatchdog = 100;
inline constexpr int kBleRegistration = 517;
inline constexpr int kWatchdogMs = 6000;
inline constexpr int kBleRegistrationMs = 2000;
inline constexpr int kChargeAnimationMs = 30;
inline constexpr int kArrivalSettleMs = 1000;
inline constexpr int kDpiPopupMs = 2000;
}  // namespace page_timers

namespace page_messages {
inline constexpr uint32_t kDeviceConnected = program_messages::kDeviceConnected;
inline constexpr uint32_t kDpiPopup = program_messages::kDpiPopup;
inline constexpr uint32_t kApplyRequest = program_messages::kApplyRequest;
}  // namespace page_messages
