#include "app/main_wnd.h"

#include <QLoggingCategory>
#include <QTimer>

#include <utility>

#include "dialogs/msg_wnd.h"
#include "link/connection_manager.h"
#include "link/program_messages.h"
#include "sys/folders.h"
#include "sys/ini_file.h"
#include "sys/program_layout.h"
#include "sys/session_type.h"
#include "sys/ui_language.h"
#include "ui/after_first_frame.h"
#include "ui/cursor.h"
#include "ui/language_manager.h"
#include "ui/ui_application.h"

Q_LOGGING_CATEGORY(lcMainWindow, "talvore.window")
// Every battery reading: silent unless asked for (talvore.battery.debug=true).
Q_LOGGING_CATEGORY(lcBattery, "talvore.battery", QtInfoMsg)

namespace {

using namespace program_messages;

constexpr char kIconImage[] = "skins/icon_256.png";
// The pages of device_tab_switch: the settings page, and what the window shows without a mouse.
constexpr int kSettingsPage = 0;
constexpr int kNoMousePage = 1;
// A DPI notification stays as briefly as the popup would.
constexpr int kDpiNoteMs = 2000;
constexpr quintptr kDeviceArrival = 0x8000;
constexpr quintptr kDeviceRemoveComplete = 0x8004;
constexpr quintptr kDeviceNodesChanged = 7;
constexpr int kDeviceInterfaceType = 5;
constexpr int kBluetoothWatchMs = 1000;
// A dialog or menu that is asked to end leaves its loop on the next pass; the window goes only
// once those loops have ended (after two seconds in any case). A timer of the window's own.
constexpr unsigned kEndTimer = 901;
constexpr int kMainLoopChecks = 200;
constexpr int kMainLoopCheckMs = 10;

const char* const kLanguageFiles[] = {"lan/CN.xml", "lan/EN.xml", "lan/RU.xml", "lan/ES.xml"};

QString LanguageFileOf(int languageId) {
    return QLatin1String(languageId >= 1 && languageId <= 4 ? kLanguageFiles[languageId - 1]
                                                            : kLanguageFiles[1]);
}

}  // namespace

CMainWnd::CMainWnd(PagePlatform platform)
    : platform_(platform),
      page_(std::move(platform)),
      menus_(ConfigPath(), [this] { dataNotices_.SaveFailed(); }) {}

CMainWnd::~CMainWnd() {
    RemoveVirtualWindow(QLatin1String(kPageVirtualWindow));
    page_.Teardown();
    tray_.Remove();
}

QString CMainWnd::ConfigPath() const {
    return DataFolderOf(platform_.programFolder) + QLatin1String(kConfigFileName);
}

void CMainWnd::EndProgram() {
    if (ending_) {
        return;
    }
    ending_ = true;
    if (page_.SaveProfilesNow()) {
        qCInfo(lcMainWindow) << "profiles saved before the windows close";
    }
    UiApplication::EndModalRuns();
    endChecksLeft_ = kMainLoopChecks;
    DestroyFromTheMainLoop();
}

void CMainWnd::DestroyFromTheMainLoop() {
    if (UiApplication::LoopDepth() > 1 && endChecksLeft_-- > 0) {
        SetTimer(kEndTimer, kMainLoopCheckMs);
        return;
    }
    KillTimer(kEndTimer);
    UiApplication::AllowModalRuns();  // nothing of the page's runs any more
    Destroy();
}

bool CMainWnd::IsBluetoothMouseInterface(const QString& name) {
    const QString upper = name.toUpper();
    return upper.contains(QLatin1String("VID&02045E")) && upper.contains(QLatin1String("PID&0069"));
}

void CMainWnd::InitWindow() {
    dataNotices_.Attach(Poster());
    AddVirtualWindow(QLatin1String(kPageVirtualWindow), &page_);
    page_.SetWindow(this, &hookTable_);
    page_.Init();
    ChooseLanguage();
    const QString name = LanguageManager::Instance().Text(QStringLiteral("mouse_name_text"));
    menus_.Load(this);
    // The icon, the menus and the tray icon are not in the first frame: they come after it.
    RunAfterFirstFrame(RootWidget(), [this] {
        SetIcon(QLatin1String(kIconImage));
        menus_.Build();
        tray_.Create(this, QLatin1String(kIconImage),
                     LanguageManager::Instance().Text(QStringLiteral("mouse_name_text")),
                     &menus_.TrayMenu());
        UpdateTrayToolTip();
    });
    page_.Battery().SetListener([this] { OnBatteryChanged(); });

    comboLanguage_ = Find<ComboBox>(QStringLiteral("combo_lan"));
    skinButton_ = Find<Button>(QStringLiteral("skin_btn"));
    menuButton_ = Find<Button>(QStringLiteral("main_menu_btn"));
    skinButton_.SetToolTip(LanguageManager::Instance().Text(QStringLiteral("look_button_text")));
    menuButton_.SetToolTip(LanguageManager::Instance().Text(QStringLiteral("menu_button_text")));
    minButton_ = Find<Button>(QStringLiteral("min_btn"));
    exitButton_ = Find<Button>(QStringLiteral("exit_btn"));
    FindOptional<Control>(QStringLiteral("apply_progress"));
    deviceTabs_ = Find<TabLayout>(QStringLiteral("device_tab_switch"));
    comboLanguage_.Select(languageId_ - 1, TakeFocus::kNo, Notify::kNo);
    SetWindowTitle(name);

    if (hookLibrary_.Load(LibraryFolderOf(platform_.programFolder) + QStringLiteral("Hook.so"))) {
        hookTable_ = hookLibrary_.Table();
    }
    page_.Store().SetSaveFailedHandler([this](const StoreWriteResult& failure) {
        qCWarning(lcMainWindow) << DescribeFileError(failure.error, failure.path);
        dataNotices_.SaveFailed();
    });
    if (!ChooseDataFolder(platform_.programFolder).writable) {
        dataNotices_.SaveFailed();
    }
    if (!platform_.soleWriter) {
        // Another program writes this data folder: writing too would undo its changes.
        page_.Store().ForbidSaves();
        dataNotices_.SaveFailed();
    }
    if (!page_.LoadProfiles().keptAside.empty()) {
        dataNotices_.StoresKeptAside();
    }
    WatchBluetoothInterface();
}

void CMainWnd::ChooseLanguage() {
    int id =
        ReadIniInt(ConfigPath(), QLatin1String(kSettingSection), QLatin1String(kLanguageIdKey), -1);
    if (id < 1 || id > 4) {
        id = ProgramLanguageOf(UserUiLanguageId());
        WriteLanguageId(id);
    }
    // The layout is already built: the controls that hold language keys take the new texts.
    LanguageManager::Instance().Switch(LanguageFileOf(id));
    languageId_ = id;
}

void CMainWnd::SwitchLanguage(int index) {
    // Items: 0 Chinese, 1 English, 2 Russian, 3 Spanish; anything else reads as English.
    const int id = index >= 0 && index <= 3 ? index + 1 : 2;
    languageId_ = index + 1;
    LanguageManager::Instance().Switch(LanguageFileOf(id));
    page_.RefreshPage();
    UpdateTrayToolTip();
    menus_.ReloadTexts();
    skinButton_.SetToolTip(LanguageManager::Instance().Text(QStringLiteral("look_button_text")));
    menuButton_.SetToolTip(LanguageManager::Instance().Text(QStringLiteral("menu_button_text")));
    WriteLanguageId(index + 1);
}

void CMainWnd::WriteLanguageId(int id) {
    if (!WriteIniInt(ConfigPath(), QLatin1String(kSettingSection), QLatin1String(kLanguageIdKey),
                     id)) {
        qCWarning(lcMainWindow) << "cannot write" << ConfigPath();
        dataNotices_.SaveFailed();
    }
}

void CMainWnd::Notify(const Notification& n) {
    if (stateListener_) {
        stateListener_();
    }
    if (!n.virtualWindow.isEmpty()) {
        WindowImplBase::Notify(n);
        return;
    }
    if (n.Is("click")) {
        OnClick(n);
    } else if (n.Is("itemselect") && n.sender == comboLanguage_) {
        SwitchLanguage(static_cast<int>(n.wParam));
    }
}

void CMainWnd::OnClick(const Notification& n) {
    if (n.sender == exitButton_) {
        HideOrMinimise();
    } else if (n.sender == minButton_) {
        Minimize();
    } else if (n.sender == menuButton_) {
        menus_.OpenProgramMenu(menuButton_);
    } else if (n.sender == skinButton_) {
        menus_.OpenLookMenu(skinButton_);
    }
}

// The program lives on in the notification area; without one, a hidden window could not be
// brought back, so it is only minimised.
void CMainWnd::HideOrMinimise() {
    if (TrayIcon::HostPresent()) {
        ShowWindow(false);
    } else {
        Minimize();
    }
}

void CMainWnd::ShowRequest() {
    if (!activationToken_.isEmpty()) {
        // The compositor lets a window take the focus with the launcher's token only.
        UiApplication::UseActivationToken(std::exchange(activationToken_, QString()));
    }
    if (deviceShown_ != 0) {
        BringToFront();
    } else {
        ShowNoDeviceWarning();
    }
}

void CMainWnd::ShowNoDeviceWarning() {
    if (noDeviceWarningOpen_) {
        return;
    }
    noDeviceWarningOpen_ = true;
    showWhenMouseArrives_ = true;
    // A mouse that is there but may not be opened is not absent: say what keeps it out.
    const QString text = accessNotice_.Look() ? QLatin1String(DeviceAccessNotice::kTextKey)
                                              : QStringLiteral("no_device_text");
    CMsgWnd::Show(this, QStringLiteral("warning_title_text"), text, CMsgWnd::Kind::kWarning);
    noDeviceWarningOpen_ = false;
}

// The tray shows its menu itself on a right click; this is for a right click it reports
// instead: beside the icon when the tray says where it is, else at the pointer.
void CMainWnd::OpenTrayMenu() {
    QRect icon = tray_.Geometry();
    if (!icon.isValid()) {
        icon = QRect(CursorPosition(), QSize(1, 1));
    }
    menus_.TrayMenu().PopupBeside(icon);
}

void CMainWnd::OnMenuCommand(quintptr wParam) {
    const MenuCommand* command = MenuCommand::FromParam(wParam);
    if (command == nullptr) {
        return;
    }
    const QString name = command->name;  // the record ends with this message
    if (name.compare(QLatin1String("configuration"), Qt::CaseInsensitive) == 0) {
        ShowRequest();
    } else if (name.compare(QLatin1String("exit"), Qt::CaseInsensitive) == 0) {
        EndProgram();
    } else if (menus_.HandleCommand(name)) {
        return;
    } else {
        const QString prefix = QStringLiteral("ms_1");
        const qsizetype shorter = std::min(name.size(), prefix.size());
        if (name.left(shorter).compare(prefix.left(shorter), Qt::CaseInsensitive) == 0) {
            page_.OnMenuCommand(name);
        }
    }
}

void CMainWnd::OnDeviceChange(quintptr event, qintptr data) {
    if (event == kDeviceArrival) {
        qCDebug(lcMainWindow) << "DBT_DEVICEARRIVAL.";
    } else if (event == kDeviceNodesChanged) {
        qCDebug(lcMainWindow) << "Succuss";
    }
    if (event != kDeviceArrival && event != kDeviceRemoveComplete) {
        return;
    }
    const auto* record = reinterpret_cast<const DeviceInterfaceRecord*>(data);
    if (record == nullptr || record->deviceType != kDeviceInterfaceType ||
        !IsBluetoothMouseInterface(record->name)) {
        return;
    }
    if (event == kDeviceArrival) {
        if (page_.BleConnected() == 0) {
            page_.OnBleChange(1);
        }
    } else {
        page_.OnBleChange(0);
    }
}

void CMainWnd::OnDeviceConnected() {
    deviceShown_ = page_.DeviceConnected();
    const bool first = std::exchange(firstDeviceMessage_, false);
    const bool tray = TrayIcon::HostPresent();
    if (deviceShown_ != 0) {
        deviceTabs_.SelectPage(kSettingsPage);
        if (std::exchange(showWhenMouseArrives_, false)) {
            BringToFront();  // the user asked for the window and was told no mouse was there
        } else if (first && !(startHidden_ && tray)) {
            ShowWindow(true);  // the start-up shows the window once a mouse is there
        }
        return;
    }
    deviceTabs_.SelectPage(kNoMousePage);
    if (tray) {
        ShowWindow(false);  // back in the tray until a mouse is there
    } else if (first || !IsVisible()) {
        // Without a tray a hidden window could never come back: it stays on screen and says
        // that no mouse is there.
        ShowWindow(true, first && !startHidden_);
    }
}

void CMainWnd::ShowDpiPopup(quintptr wParam, qintptr lParam) {
    QString text = QStringLiteral("DPI :");
    if (wParam == 0) {
        text += QString::number(static_cast<qlonglong>(lParam) * 100);
    }
    // A Wayland window cannot put itself at the screen's corner: the desktop shows the change.
    if (CurrentSessionKind() == SessionKind::Wayland && dpiNotes_.Available()) {
        DesktopNote note;
        note.summary = LanguageManager::Instance().Text(QStringLiteral("mouse_name_text"));
        note.body = text;
        note.icon = UiApplication::SkinPath(QLatin1String(kIconImage));
        note.expireMs = kDpiNoteMs;
        dpiNotes_.Show(note);
        return;
    }
    KillTimer(page_timers::kDpiPopup);
    SetTimer(page_timers::kDpiPopup, page_timers::kDpiPopupMs);
    dpiPopup_.Show(this, text);
}

void CMainWnd::OnTimer(unsigned id) {
    switch (id) {
        case page_timers::kApplyDebounce:
            KillTimer(id);
            PostMessage(kApplyRequest);
            break;
        case page_timers::kDpiPopup:
            KillTimer(id);
            dpiPopup_.Close();
            break;
        case page_timers::kReceiverWatchdog:
            page_.OnWatchdogTimer();
            break;
        case page_timers::kBleRegistration:
            page_.OnBleRegistrationTimer();
            break;
        case kEndTimer:
            DestroyFromTheMainLoop();
            break;
        default:
            break;
    }
}

// Bluetooth devices come and go without a window message here: follow the mouse's presence and
// report it the way a device-interface notification would.
void CMainWnd::WatchBluetoothInterface() {
    if (!platform_.bluetoothPresentAtStart) {
        return;
    }
    bluetoothInterfacePresent_ = platform_.bluetoothPresentAtStart();
    auto* timer = new QTimer(nullptr);
    timer->setInterval(kBluetoothWatchMs);
    QObject::connect(timer, &QTimer::timeout, [this] {
        const bool present = platform_.bluetoothPresentAtStart();
        if (present == bluetoothInterfacePresent_) {
            return;
        }
        bluetoothInterfacePresent_ = present;
        auto record = std::make_shared<DeviceInterfaceRecord>();
        record->deviceType = kDeviceInterfaceType;
        record->name = QStringLiteral("\\\\?\\BTHLEDevice#VID&02045E_PID&0069");
        Poster().Post(kDeviceChange, present ? kDeviceArrival : kDeviceRemoveComplete,
                      reinterpret_cast<qintptr>(record.get()), record);
    });
    bluetoothWatch_.reset(timer);
    timer->start();
}

// After every link change: the first time a node of the mouse turns out to be refused, the user
// is told why the mouse cannot be reached (once a run).
void CMainWnd::CheckDeviceAccess() {
    if (accessNotice_.ShouldShowOnce()) {
        ShowNoDeviceWarning();
    }
}

// Every change of the battery panel: the tray's tooltip and badge, and a desktop notification
// when the level has just fallen low.
void CMainWnd::OnBatteryChanged() {
    UpdateTrayToolTip();
    const BatteryDisplay& battery = page_.Battery();
    qCDebug(lcBattery) << "battery reading:" << battery.Level() << "charging" << battery.Charging();
    const std::optional<LowBatteryAlert::Warning> warning =
        batteryAlert_.Update(battery.Level(), battery.Charging());
    tray_.SetLowBatteryBadge(batteryAlert_.Low());
    if (!warning) {
        return;
    }
    const bool critical = *warning == LowBatteryAlert::Warning::Critical;
    const LanguageManager& texts = LanguageManager::Instance();
    DesktopNote note;
    note.summary = texts.Text(critical ? QStringLiteral("battery_critical_title_text")
                                       : QStringLiteral("battery_low_title_text"));
    note.body = texts
                    .Text(critical ? QStringLiteral("battery_critical_body_text")
                                   : QStringLiteral("battery_low_body_text"))
                    .arg(battery.Level());
    note.icon = UiApplication::SkinPath(QLatin1String(kIconImage));
    note.critical = critical;
    qCInfo(lcMainWindow) << "battery low:" << battery.Level();
    batteryNotes_.Show(note);  // nothing without a notification service, and no error
}

// The mouse's name, and what the battery panel shows while it shows something, in the current
// language: "Corvane TALVORE Mouse: 80%", "...: Charging".
void CMainWnd::UpdateTrayToolTip() {
    const LanguageManager& texts = LanguageManager::Instance();
    QString tip = texts.Text(QStringLiteral("mouse_name_text"));
    const QString battery = page_.Battery().Text(texts);
    if (!battery.isEmpty()) {
        tip += QStringLiteral(": ") + battery;
    }
    tray_.SetToolTip(tip);
}

qintptr CMainWnd::HandleCustomMessage(unsigned message, quintptr wParam, qintptr lParam,
                                      bool& handled) {
    if (stateListener_) {
        stateListener_();
    }
    handled = true;
    switch (message) {
        case ui::kMsgDestroy:
            UiApplication::PostQuitMessage(0);
            return 0;
        case ui::kMsgTimer:
            handled = false;
            OnTimer(static_cast<unsigned>(wParam));
            return 0;
        case kDeviceChange:
            OnDeviceChange(wParam, lParam);
            return 0;
        case kTrayIcon:
            if (lParam == ui::kMouseLeftButtonUp) {
                ShowRequest();
            } else if (lParam == ui::kMouseRightButtonUp) {
                OpenTrayMenu();
            }
            return 0;
        case kMenuCommand:
            OnMenuCommand(wParam);
            return 0;
        case kHookInput:
        case kIgnored1130:
        case kIgnored1261:
        case kIgnored5121:
            return 0;
        case kOpenInstance:
            qCInfo(lcMainWindow) << "another start asked this instance to come forward";
            ShowRequest();
            return 0;
        case kDeviceConnected:
            OnDeviceConnected();
            CheckDeviceAccess();
            return 0;
        case kDpiPopup:
            ShowDpiPopup(wParam, lParam);
            return 0;
        case kReceiverData:
            page_.OnReceiverEvent(ConnectionManager::FoldDataMessage(wParam, lParam));
            return 0;
        case kReceiverStatus:
            page_.OnReceiverEvent(ConnectionManager::FoldStatusMessage(wParam));
            CheckDeviceAccess();
            return 0;
        case kCableData:
            page_.OnCableEvent(ConnectionManager::FoldDataMessage(wParam, lParam));
            return 0;
        case kCableStatus:
            page_.OnCableEvent(ConnectionManager::FoldStatusMessage(wParam));
            CheckDeviceAccess();
            return 0;
        case kApplyRequest:
            page_.RequestApply();  // thread message 1648 for the page's worker
            return 0;
        case kApplyStarted:
        case kApplyReportsSent:
        case kApplyFinished:
            page_.OnApplyMessage(message, wParam);
            return 0;
        case kBluetoothEvent:
            page_.OnBluetoothEvent(static_cast<uint16_t>(wParam), static_cast<uint16_t>(lParam));
            return 0;
        case kDataNotSaved:
        case kStoreKeptAside:
            dataNotices_.Handle(*this, message);
            return 0;
        default:
            handled = false;
            return 0;
    }
}

void CMainWnd::OnDestroy() {
    bluetoothWatch_.reset();
    dpiPopup_.Close();
    if (hookTable_.Bound()) {
        hookTable_.removemousehook();
        hookTable_.removehook();
    }
    hookTable_ = HookTable{};
    hookLibrary_.Unload();
    UiApplication::PostQuitMessage(0);
}
