#include "page/page_controls.h"

#include "ui/window_impl_base.h"

namespace {

class Finder {
public:
    Finder(const WindowImplBase& window, QHash<QString, Control>& byName)
        : window_(window), byName_(byName) {}

    template <class T>
    void operator()(T& handle, const QString& name) {
        handle = window_.Find<T>(name);
        byName_.insert(name, handle);
    }
    template <class T>
    void operator()(T& handle, const char* pattern, int number) {
        (*this)(handle, WindowImplBase::FormatName(QLatin1String(pattern), number));
    }

private:
    const WindowImplBase& window_;
    QHash<QString, Control>& byName_;
};

}  // namespace

void PageControls::Lookup(const WindowImplBase& window) {
    byName.clear();
    Finder find(window, byName);
    for (int k = 1; k <= 18; ++k) {
        find(horKey[k - 1], "ms_1_hor_key_%d", k);
        find(btnKey[k - 1], "ms_1_btn_key_%d", k);
        find(keyControl[k - 1], "ms_1_key_control_%d", k);
    }
    for (int k = 1; k <= 2; ++k) {
        find(buttonMode[k - 1], "ms_1_option_button_mode_%d", k);
    }
    find(btnMacro, QStringLiteral("ms_1_btn_macro"));
    find(listProfile, QStringLiteral("ms_1_list_profile"));
    find(profileAdd, QStringLiteral("ms_1_profile_add_btn"));
    find(profileDelete, QStringLiteral("ms_1_profile_delete_btn"));
    find(profileRename, QStringLiteral("ms_1_profile_rename_btn"));
    find(profileImport, QStringLiteral("ms_1_profile_import_btn"));
    find(profileExport, QStringLiteral("ms_1_profile_export_btn"));
    find(profileReset, QStringLiteral("ms_1_profile_reset_btn"));
    find(wired, QStringLiteral("ms_1_wired"));
    find(wireless, QStringLiteral("ms_1_wireless"));
    find(ble, QStringLiteral("ms_1_BLE"));
    find(checkButton, QStringLiteral("ms_1_check_button"));
    find(checkProfile, QStringLiteral("ms_1_check_profile"));
    find(checkPower, QStringLiteral("ms_1_check_power"));
    find(horButton, QStringLiteral("ms_1_hor_button"));
    find(verProfile, QStringLiteral("ms_1_ver_profile"));
    find(verPower, QStringLiteral("ms_1_ver_power"));
    find(verNoPower, QStringLiteral("ms_1_ver_no_power"));
    find(checkDpi, QStringLiteral("ms_1_check_dpi"));
    find(checkLight, QStringLiteral("ms_1_check_light"));
    find(checkReportRate, QStringLiteral("ms_1_check_prate"));
    find(checkMouseAttribute, QStringLiteral("ms_1_check_mouse_attribute"));
    find(checkPowerSetting, QStringLiteral("ms_1_check_power_setting"));
    find(verSetting, QStringLiteral("ms_1_ver_setting"));
    find(horDpi, QStringLiteral("ms_1_hor_dpi"));
    find(verLight, QStringLiteral("ms_1_ver_light"));
    find(verReportRate, QStringLiteral("ms_1_ver_prate"));
    find(verMouseAttribute, QStringLiteral("ms_1_ver_mouse_attribute"));
    find(verPowerSetting, QStringLiteral("ms_1_ver_power_setting"));
    for (int k = 1; k <= 8; ++k) {
        find(sliderDpi[k - 1], "ms_1_slider_dpi_%d", k);
        find(labelDpi[k - 1], "ms_1_label_dpi_%d", k);
        find(optionDpiStep[k - 1], "ms_1_option_dpi_step_%d", k);
        find(btnDpiColor[k - 1], "ms_1_btn_dpi_color_%d", k);
    }
    find(comboLight, QStringLiteral("ms_1_combo_light"));
    find(horBrightness, QStringLiteral("ms_1_hor_brightness"));
    find(sliderBrightness, QStringLiteral("ms_1_slider_brightness"));
    find(horBreathSpeed, QStringLiteral("ms_1_hor_breathspeed"));
    find(sliderBreathSpeed, QStringLiteral("ms_1_slider_breathspeed"));
    find(horLightColor, QStringLiteral("ms_1_hor_light_color"));
    find(btnLightColor, QStringLiteral("ms_1_btn_light_color"));
    for (int k = 1; k <= 4; ++k) {
        find(btnReportRate[k - 1], "ms_1_btn_prate_%d", k);
    }
    find(labelReportRate, QStringLiteral("ms_1_label_prate"));
    find(btnMouseAttribute, QStringLiteral("ms_1_btn_mouse_attribute"));
    find(sliderLightOff, QStringLiteral("ms_1_slider_light_off"));
    find(labelLightOff, QStringLiteral("ms_1_label_light_off"));
    find(sliderSleepTimer, QStringLiteral("ms_1_slider_sleep_timer"));
    find(labelSleepTimer, QStringLiteral("ms_1_label_sleep_timer"));
    find(checkMoveMode, QStringLiteral("ms_1_check_movemode"));
    find(btnApply, QStringLiteral("ms_1_btn_apply"));
    find(progressPower, QStringLiteral("ms_1_progress_power"));
    find(labelPower, QStringLiteral("ms_1_label_power"));
    find(lowPowerLabel, QStringLiteral("ms_1_low_power_label"));
    find(sleepLabel, QStringLiteral("ms_1_sleep_label"));
    horEffect = window.FindOptional<Control>(QStringLiteral("ms_1_hor_effect"));
    cardReportRate = window.FindOptional<Control>(QStringLiteral("card_prate"));
    applyNotice = window.FindOptional<Label>(QStringLiteral("ms_1_apply_notice"));
    btnRetry = window.FindOptional<Button>(QStringLiteral("ms_1_btn_retry"));
}
