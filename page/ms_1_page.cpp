#include "page/ms_1_page.h"

#include <QLoggingCategory>

#include "dialogs/msg_wnd.h"
#include "macro/editor/ms_1_macro.h"
#include "macro/macro_binding.h"
#include "macro/macro_name_changes.h"
#include "macro/us_keyboard_layout.h"
#include "page/color_swatches.h"
#include "page/function_codes.h"
#include "page/page_operations.h"
#include "page/page_window_services.h"
#include "page/profile_list.h"
#include "sys/clock.h"
#include "sys/folders.h"
#include "sys/mouse_settings.h"
#include "sys/xkb_keyboard_layout.h"
#include "ui/language_manager.h"
#include "ui/window_impl_base.h"

Q_LOGGING_CATEGORY(lcPage, "talvore.page")

namespace {

constexpr int kSliderDebounceMs = 500;
constexpr int kLightingDebounceMs = 200;

std::unique_ptr<KeyboardLayout> UserKeyboardLayout() {
    auto us = std::make_shared<UsKeyboardLayout>();
    if (auto xkb = XkbKeyboardLayout::ForUser(us)) {
        return xkb;
    }
    return std::make_unique<UsKeyboardLayout>();
}

// Index of `control` in a family of handles, -1 when it is not one of them.
template <class Family>
int IndexIn(const Family& family, const Control& control) {
    for (std::size_t k = 0; k < family.size(); ++k) {
        if (family[k] == control) {
            return static_cast<int>(k);
        }
    }
    return -1;
}

}  // namespace

CMS_1_Page::CMS_1_Page(PagePlatform platform)
    : platform_(std::move(platform)),
      layout_(UserKeyboardLayout()),
      store_(DataFolderOf(platform_.programFolder), LanguageManager::Instance()),
      view_(controls_, LanguageManager::Instance(), *layout_),
      buttons_(controls_, store_, view_, *layout_, LanguageManager::Instance()),
      deviceView_(controls_, battery_, [this] { UpdateLightRows(); }) {
    Route(QStringLiteral("click"), this, &CMS_1_Page::OnClick);
    Route(QStringLiteral("selectchanged"), this, &CMS_1_Page::OnSelectChanged);
    Route(QStringLiteral("itemselect"), this, &CMS_1_Page::OnItemSelect);
    Route(QStringLiteral("checkclick"), this, &CMS_1_Page::OnCheckClick);
    Route(QStringLiteral("killfocus"), [](const Notification&) {});
    Route(QStringLiteral("timer"), this, &CMS_1_Page::OnTimer);
    Route(QStringLiteral("valuechanged"), this, &CMS_1_Page::OnValueChanged);
}

CMS_1_Page::~CMS_1_Page() {
    Teardown();
}

void CMS_1_Page::SetWindow(WindowImplBase* window, const HookTable* hooks) {
    window_ = window;
    hooks_ = hooks;
    buttons_.SetWindow(window, hooks);
}

void CMS_1_Page::Init() {
    if (window_ == nullptr) {
        qCCritical(lcPage) << "the page starts without its window";
        return;
    }
    controls_.Lookup(*window_);
    windowServices_ =
        std::make_unique<PageWindowServices>(*window_, controls_.progressPower, platform_.wait);
    profiles_ = std::make_unique<ProfileList>(
        store_, *window_, controls_.listProfile,
        ProfileList::PageHooks{[this] { RefreshPage(); }, [this] { PostApplyRequest(); }});
    operations_ =
        std::make_unique<PageOperations>(store_, *profiles_, [this] { PostApplyRequest(); });
    swatches_ = std::make_unique<ColorSwatches>(store_, *window_, [this] { PostApplyRequest(); });
    links_ = std::make_unique<DeviceLinks>(store_, deviceView_, *windowServices_, window_->Poster(),
                                           platform_);
    links_->Start();
}

void CMS_1_Page::Teardown() {
    if (links_) {
        links_->Stop();
    }
}

bool CMS_1_Page::SaveProfilesNow() {
    // An empty list before the load must never replace pro.data.
    const bool loaded = store_.WithLock([](ProfileStore& s) { return s.Current() != nullptr; });
    return loaded && store_.SaveProfiles();
}

StoreStartReport CMS_1_Page::LoadProfiles() {
    const StoreStartReport report = store_.LoadProfiles();
    if (profiles_) {
        profiles_->Fill();
    }
    OnBleChange(BleConnected());
    RefreshPage();
    return report;
}

void CMS_1_Page::RefreshPage() {
    const auto record = store_.TakeSnapshotOfCurrent();
    if (!record) {
        return;
    }
    if (links_) {
        links_->Events().RefreshSettingsView();
    }
    view_.Show(*record);
}

void CMS_1_Page::UpdateLightRows() {
    const auto record = store_.TakeSnapshotOfCurrent();
    if (record) {
        view_.UpdateLightRows(ActiveSlot(*record).lightMode);
    }
}

int CMS_1_Page::DeviceConnected() const {
    return links_ ? links_->Links().deviceConnected.load() : 0;
}

int CMS_1_Page::BleConnected() const {
    return links_ ? links_->Links().bleConnected.load() : 0;
}

void CMS_1_Page::OnReceiverEvent(uint32_t code) {
    if (links_) {
        links_->Connection().OnReceiverEvent(code);
    }
}

void CMS_1_Page::OnCableEvent(uint32_t code) {
    if (links_) {
        links_->Connection().OnCableEvent(code);
    }
}

void CMS_1_Page::OnBleChange(int connected) {
    if (links_) {
        links_->Connection().OnBleChange(connected);
    }
}

void CMS_1_Page::OnWatchdogTimer() {
    if (links_) {
        links_->Connection().OnWatchdogExpired();
    }
}

void CMS_1_Page::OnBleRegistrationTimer() {
    if (links_) {
        links_->Connection().OnBleRegistrationTimer();
    }
}

void CMS_1_Page::OnBluetoothEvent(uint16_t key, uint16_t value) {
    if (links_) {
        links_->Events().Handle(key, value, EventSource::Bluetooth);
    }
}

void CMS_1_Page::OnApplyMessage(uint32_t message, quintptr wParam) {
    if (window_ == nullptr) {
        return;
    }
    Control ring = window_->FindOptional<Control>(QStringLiteral("apply_ring"));
    switch (message) {
        case program_messages::kApplyStarted:
            window_->KillTimer(page_timers::kReceiverWatchdog);
            ring.SetVisible(true);
            break;
        case program_messages::kApplyReportsSent:
            window_->SetTimer(page_timers::kReceiverWatchdog, page_timers::kWatchdogMs);
            break;
        case program_messages::kApplyFinished:
            ring.SetVisible(false);
            // Stays until a later apply delivers everything; "Try again" sends at once.
            controls_.applyNotice.SetVisible(wParam != 0);
            controls_.btnRetry.SetVisible(wParam != 0);
            break;
        default:
            break;
    }
}

void CMS_1_Page::RequestApply() {
    if (links_) {
        links_->RequestApply();
    }
}

void CMS_1_Page::OnMenuCommand(const QString& itemName) {
    buttons_.AssignFunction(itemName);
}

bool CMS_1_Page::EditCurrent(const std::function<void(ProfileRecord&)>& edit) {
    return store_.WithLock([&](ProfileStore& s) {
        ProfileRecord* record = s.Current();
        if (record == nullptr) {
            return false;
        }
        edit(*record);
        return true;
    });
}

void CMS_1_Page::PostApplyRequest() {
    if (window_ != nullptr) {
        window_->PostMessage(program_messages::kApplyRequest);
    }
}

void CMS_1_Page::RestartApplyDebounce(int milliseconds) {
    if (window_ != nullptr) {
        window_->KillTimer(page_timers::kApplyDebounce);
        window_->SetTimer(page_timers::kApplyDebounce, milliseconds);
    }
}

void CMS_1_Page::OpenDesktopMouseSettings() {
    const bool opened =
        platform_.openMouseSettings ? platform_.openMouseSettings() : OpenMouseSettings();
    if (!opened && window_ != nullptr) {
        CMsgWnd::Show(window_, QStringLiteral("warning_title_text"),
                      QStringLiteral("no_mouse_settings_text"), CMsgWnd::Kind::kWarning);
    }
}

void CMS_1_Page::OpenMacroEditor() {
    if (window_ == nullptr || hooks_ == nullptr) {
        return;
    }
    static const SteadyClock clock;
    // The buttons follow their macros through renames; a deletion names who loses one.
    MacroNameChanges changes(store_.Macros());
    RunMacroEditor(*window_, {store_.Macros(), *hooks_, *layout_, LanguageManager::Instance(),
                              clock, DataFolderOf(platform_.programFolder), &changes,
                              [this](const QString& name) { return MacroUsersText(name); }});
    const bool currentHadMacros = store_.ReconcileMacros(&changes);
    // Other profiles may have changed too, and no apply saves them while the mouse is away.
    store_.SaveProfiles();
    if (!currentHadMacros) {
        return;
    }
    if (const auto record = store_.TakeSnapshotOfCurrent()) {
        for (int j = 0; j < kButtonCount; ++j) {
            view_.ShowButtonLabel(j, ActiveSlot(*record).buttons[j]);
        }
    }
    PostApplyRequest();
}

QString CMS_1_Page::MacroUsersText(const QString& macroName) {
    return store_.WithLock([&](ProfileStore& s) {
        QStringList profiles;
        for (int i = 0; i < s.Count(); ++i) {
            QStringList numbers;
            for (const int j : ButtonsUsingMacro(s.At(i), macroName)) {
                numbers.append(QString::number(j + 1));
            }
            if (!numbers.isEmpty()) {
                profiles.append(QStringLiteral("%1 (%2)").arg(ProfileName(s.At(i)),
                                                              numbers.join(QStringLiteral(", "))));
            }
        }
        return profiles.join(QStringLiteral("; "));
    });
}

// The first control that matches handles the click.
void CMS_1_Page::OnClick(const Notification& n) {
    const Control& c = n.sender;
    if (!profiles_ || !swatches_) {
        return;  // the page has not started
    }
    if (c == controls_.profileAdd) {
        profiles_->Add();
    } else if (c == controls_.profileDelete) {
        profiles_->Delete();
    } else if (c == controls_.profileRename) {
        profiles_->Rename();
    } else if (c == controls_.profileImport) {
        profiles_->Import();
    } else if (c == controls_.profileExport) {
        profiles_->Export();
    } else if (c == controls_.btnApply || c == controls_.btnRetry) {
        PostApplyRequest();
    } else if (c == controls_.btnMouseAttribute) {
        OpenDesktopMouseSettings();
    } else if (c == controls_.profileReset) {
        profiles_->Reset();
    } else if (c == controls_.btnLightColor) {
        swatches_->ChooseLightColor(controls_.btnLightColor);
    } else if (c == controls_.btnMacro) {
        OpenMacroEditor();
    } else if (const int stage = IndexIn(controls_.btnDpiColor, c); stage >= 0) {
        swatches_->ChooseDpiColor(controls_.btnDpiColor[static_cast<std::size_t>(stage)], stage);
    } else if (const int k = IndexIn(controls_.btnKey, c); k >= 0) {
        buttons_.OpenButtonMenu(k);
    }
}

void CMS_1_Page::OnSelectChanged(const Notification& n) {
    if (const int k = IndexIn(controls_.optionDpiStep, n.sender); k >= 0) {
        if (EditCurrent([k](ProfileRecord& r) { r.slots[0].dpiStage = k; })) {
            PostApplyRequest();
        }
    } else if (const int rate = IndexIn(controls_.btnReportRate, n.sender); rate >= 0) {
        if (EditCurrent([rate](ProfileRecord& r) { r.slots[0].reportRate = rate; })) {
            PostApplyRequest();
        }
    } else if (const int mode = IndexIn(controls_.buttonMode, n.sender); mode >= 0) {
        // Standard or alternate: kept in the profile and sent with the lighting report.
        if (EditCurrent([mode](ProfileRecord& r) { r.slots[0].buttonMode = mode; })) {
            PostApplyRequest();
        }
    }
}

void CMS_1_Page::OnItemSelect(const Notification& n) {
    if (n.sender == controls_.listProfile) {
        if (profiles_) {
            profiles_->Select(static_cast<int>(n.wParam));
        }
    } else if (n.sender == controls_.comboLight) {
        const int mode = static_cast<int>(n.wParam);
        if (EditCurrent([mode](ProfileRecord& r) { r.slots[0].lightMode = mode; })) {
            UpdateLightRows();
            RestartApplyDebounce(kLightingDebounceMs);
        }
    }
}

void CMS_1_Page::OnCheckClick(const Notification& n) {
    const bool checked = n.wParam != 0;
    const std::pair<CheckBox*, Control*> sections[] = {
        {&controls_.checkButton, &controls_.horButton},
        {&controls_.checkProfile, &controls_.verProfile},
        {&controls_.checkPower, &controls_.verPower},
        {&controls_.checkDpi, &controls_.horDpi},
        {&controls_.checkLight, &controls_.verLight},
        {&controls_.checkReportRate, &controls_.verReportRate},
        {&controls_.checkMouseAttribute, &controls_.verMouseAttribute},
        {&controls_.checkPowerSetting, &controls_.verPowerSetting},
    };
    for (const auto& [box, section] : sections) {
        if (n.sender == *box) {
            section->SetVisible(checked);
            return;
        }
    }
    if (n.sender == controls_.checkMoveMode) {
        if (EditCurrent([checked](ProfileRecord& r) { r.slots[0].moveMode = checked ? 1 : 0; })) {
            PostApplyRequest();
        }
    }
}

void CMS_1_Page::OnValueChanged(const Notification& n) {
    const int value = static_cast<int>(n.wParam);
    int32_t ProfileSlot::*field = nullptr;
    if (const int k = IndexIn(controls_.sliderDpi, n.sender); k >= 0) {
        if (EditCurrent([k, value](ProfileRecord& r) { r.slots[0].dpiValue[k] = value; })) {
            controls_.labelDpi[static_cast<std::size_t>(k)].SetText(QString::number(value * 100));
            view_.ShowStageInUse(k, value != 0);
            RestartApplyDebounce(kSliderDebounceMs);
        }
        return;
    }
    if (n.sender == controls_.sliderBrightness) {
        field = &ProfileSlot::lightBrightness;
    } else if (n.sender == controls_.sliderBreathSpeed) {
        field = &ProfileSlot::lightSpeed;
    } else if (n.sender == controls_.sliderLightOff) {
        field = &ProfileSlot::lightOffTimer;
    } else if (n.sender == controls_.sliderSleepTimer) {
        field = &ProfileSlot::sleepTimer;
    } else {
        return;
    }
    if (!EditCurrent([field, value](ProfileRecord& r) { r.slots[0].*field = value; })) {
        return;
    }
    if (field == &ProfileSlot::lightOffTimer) {
        view_.ShowLightOffLabel(value);
    } else if (field == &ProfileSlot::sleepTimer) {
        view_.ShowSleepLabel(value);
    }
    RestartApplyDebounce(kSliderDebounceMs);
}

void CMS_1_Page::OnTimer(const Notification& n) {
    if (n.wParam == static_cast<quintptr>(page_timers::kChargeAnimation) && links_) {
        links_->Events().OnChargeTimer();
    }
}
