// The one top-level window: hosts the settings page, the tray icon and its menu, the language
// choice and the DPI popup, and receives nearly every message the program's parts exchange.
#pragma once

#include <functional>
#include <memory>

#include <QString>

#include "app/data_notices.h"
#include "app/device_access_notice.h"
#include "app/dpi_popup_holder.h"
#include "app/low_battery_alert.h"
#include "app/program_menus.h"
#include "link/driver_functions.h"
#include "link/driver_library.h"
#include "page/ms_1_page.h"
#include "sys/desktop_notifications.h"
#include "ui/menu_window.h"
#include "ui/tray_icon.h"
#include "ui/window_impl_base.h"

class CDPIMsg;
class QTimer;

// A device-interface arrival or removal as message 537 carries it (lParam points to one).
struct DeviceInterfaceRecord {
    int deviceType = 0;  // 5: a device interface
    QString name;
};

inline constexpr char kMainWindowClass[] = "Corvane TALVORE Mouse";

class CMainWnd final : public WindowImplBase {
public:
    explicit CMainWnd(PagePlatform platform);
    ~CMainWnd() override;

    QString GetWindowClassName() const override { return QString::fromLatin1(kMainWindowClass); }
    QString GetSkinFile() const override { return QStringLiteral("main.xml"); }

    // How to tell a mouse that may not be opened from an absent one; set before Create.
    void SetDeviceAccessDiagnosis(DeviceAccessNotice::Diagnosis diagnosis) {
        accessNotice_.SetDiagnosis(std::move(diagnosis));
    }

    // Start in the tray without showing the window (--hidden); shown all the same when there is
    // no tray to come back from. Set before Create.
    void SetStartHidden(bool hidden) { startHidden_ = hidden; }
    bool StartHidden() const { return startHidden_; }
    // The launcher's activation token of a later start, used when the window comes forward so
    // that a Wayland compositor raises and focuses it.
    void SetActivationToken(const QString& token) { activationToken_ = token; }

    CMS_1_Page& Page() { return page_; }
    ProgramMenus& Menus() { return menus_; }
    const LowBatteryAlert& BatteryAlert() const { return batteryAlert_; }
    int LanguageId() const { return languageId_; }
    int DeviceShown() const { return deviceShown_; }
    bool NoDeviceWarningOpen() const { return noDeviceWarningOpen_; }
    CDPIMsg* DpiPopup() const { return dpiPopup_.Current(); }
    const TrayIcon& Tray() const { return tray_; }

    // The path of CONFIG.ini.
    QString ConfigPath() const;

    // Ends the program whatever is open (the tray's Exit, a signal): the profiles are saved
    // first; every dialog, file dialog and menu that runs a loop of its own ends as if
    // cancelled, so that none calls into what the window's end takes away; the window goes once
    // control is back in the main loop.
    void EndProgram();
    bool Ending() const { return ending_; }
    // Runs whenever a message or notification may have changed what the page shows (the session
    // D-Bus API looks again).
    void SetStateListener(std::function<void()> listener) { stateListener_ = std::move(listener); }
    // Whether a device-interface name is the Bluetooth mouse's ("VID&02045E" and "PID&0069" in
    // any letter case).
    static bool IsBluetoothMouseInterface(const QString& name);

protected:
    void InitWindow() override;
    void Notify(const Notification& n) override;
    void OnClick(const Notification& n) override;
    qintptr HandleCustomMessage(unsigned message, quintptr wParam, qintptr lParam,
                                bool& handled) override;
    void OnDestroy() override;

private:
    void ChooseLanguage();
    void SwitchLanguage(int index);
    void ShowRequest();
    void ShowNoDeviceWarning();
    void OpenTrayMenu();
    void HideOrMinimise();
    void OnBatteryChanged();
    void OnMenuCommand(quintptr wParam);
    void OnDeviceChange(quintptr event, qintptr data);
    void OnDeviceConnected();
    void ShowDpiPopup(quintptr wParam, qintptr lParam);
    void OnTimer(unsigned id);
    void WatchBluetoothInterface();
    void WriteLanguageId(int id);
    void CheckDeviceAccess();
    void DestroyFromTheMainLoop();
    void UpdateTrayToolTip();

    PagePlatform platform_;
    DataNotices dataNotices_;
    CMS_1_Page page_;
    HookLibrary hookLibrary_;
    HookTable hookTable_;
    TrayIcon tray_;
    DeviceAccessNotice accessNotice_;
    ProgramMenus menus_;
    DpiPopupHolder dpiPopup_;
    DesktopNotifications dpiNotes_;
    DesktopNotifications batteryNotes_;
    LowBatteryAlert batteryAlert_;
    bool startHidden_ = false;
    // The user was told that no mouse is there: the window comes up when one arrives.
    bool showWhenMouseArrives_ = false;
    QString activationToken_;
    int deviceShown_ = 0;
    bool firstDeviceMessage_ = true;
    int languageId_ = 0;
    bool noDeviceWarningOpen_ = false;
    bool bluetoothInterfacePresent_ = false;
    bool ending_ = false;
    std::function<void()> stateListener_;
    int endChecksLeft_ = 0;
    std::unique_ptr<QTimer> bluetoothWatch_;
    ComboBox comboLanguage_;
    Button minButton_, exitButton_, skinButton_, menuButton_;
    TabLayout deviceTabs_;
};
