// Message numbers the UI library itself sends to windows. The program's own messages are
// declared beside the code that sends them.
#pragma once

namespace ui {

inline constexpr unsigned kMsgDestroy = 2;  // the window is being destroyed
inline constexpr unsigned kMsgTimer = 275;  // a window timer fired; wParam = timer id

inline constexpr unsigned kMsgUser = 1024;
inline constexpr unsigned kMsgTrayIcon = kMsgUser + 1;     // 1025; lParam = mouse message
inline constexpr unsigned kMsgMenuCommand = kMsgUser + 3;  // 1027; wParam = const MenuCommand*

// Mouse messages a tray icon reports in lParam.
inline constexpr int kMouseLeftButtonUp = 514;
inline constexpr int kMouseRightButtonUp = 517;

}  // namespace ui
