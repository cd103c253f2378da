#include "page/settings_view.h"

#include "macro/key_table.h"
#include "page/function_codes.h"
#include "protocol/utf16_field.h"
#include "sys/text_lookup.h"
#include "ui/controls.h"

namespace {

// Selects option `index` of a family when it has one; a stored value outside the family
// selects nothing rather than a control past the last.
template <std::size_t N>
void SelectOption(std::array<Option, N>& options, int32_t index) {
    if (index >= 0 && static_cast<std::size_t>(index) < N) {
        options[static_cast<std::size_t>(index)].Select(Notify::kNo);
    }
}

}  // namespace

void SettingsView::Show(const ProfileRecord& record) {
    const ProfileSlot& slot = ActiveSlot(record);
    SelectOption(c_.buttonMode, slot.buttonMode);
    SelectOption(c_.optionDpiStep, slot.dpiStage);
    for (int k = 0; k < kDpiStageCount; ++k) {
        ShowStageInUse(k, slot.dpiValue[k] != 0);
        c_.sliderDpi[k].SetValue(slot.dpiValue[k]);
        c_.labelDpi[k].SetText(QString::number(static_cast<int64_t>(slot.dpiValue[k]) * 100));
        c_.btnDpiColor[k].SetBkColor(StoredToColor(slot.dpiColor[k]));
    }
    c_.comboLight.Select(slot.lightMode, TakeFocus::kNo, Notify::kNo);
    c_.sliderBrightness.SetValue(slot.lightBrightness);
    c_.sliderBreathSpeed.SetValue(slot.lightSpeed);
    c_.btnLightColor.SetBkColor(StoredToColor(slot.lightColor));
    SelectOption(c_.btnReportRate, slot.reportRate);
    c_.sliderLightOff.SetValue(slot.lightOffTimer);
    ShowLightOffLabel(slot.lightOffTimer);
    c_.sliderSleepTimer.SetValue(slot.sleepTimer);
    ShowSleepLabel(slot.sleepTimer);
    for (int j = 0; j < kButtonCount; ++j) {
        ShowButtonLabel(j, slot.buttons[j]);
    }
}

void SettingsView::ShowStageInUse(int stage, bool inUse) {
    if (stage < 0 || stage >= kDpiStageCount) {
        return;
    }
    // A stage at 0 DPI is off: the mouse could not run on it, so it cannot be made the active
    // one until its slider gives it a value.
    Option& option = c_.optionDpiStep[static_cast<std::size_t>(stage)];
    option.SetEnabled(inUse);
    option.SetToolTip(inUse ? QString() : texts_.Text(QStringLiteral("dpi_stage_unused_tip_text")));
}

void SettingsView::UpdateLightRows(int32_t lightMode) {
    c_.horBrightness.SetVisible(lightMode == 1);
    c_.horBreathSpeed.SetVisible(lightMode >= 2 && lightMode <= 11);
    c_.horLightColor.SetVisible(lightMode == 1 || lightMode == 2);
}

void SettingsView::ShowSleepLabel(int32_t sleepTimer) {
    c_.labelSleepTimer.SetText(QStringLiteral("%1%2 %3")
                                   .arg(texts_.Text(QStringLiteral("sleep_timer_3_text")))
                                   .arg(sleepTimer)
                                   .arg(texts_.Text(QStringLiteral("sleep_timer_2_text"))));
}

void SettingsView::ShowLightOffLabel(int32_t lightOffTimer) {
    c_.labelLightOff.SetText(QStringLiteral("%1%2 %3")
                                 .arg(texts_.Text(QStringLiteral("sleep_timer_1_text")))
                                 .arg(lightOffTimer * 0.5, 0, 'f', 1)
                                 .arg(texts_.Text(QStringLiteral("sleep_timer_2_text"))));
}

QString SettingsView::ShortcutText(const ButtonEntry& entry) const {
    static const char* const kModifierKeys[] = {"keyboard_ctrl_text", "keyboard_shift_text",
                                                "keyboard_alt_text", "keyboard_win_text"};
    QString text;
    for (int bit = 0; bit < 4; ++bit) {
        if ((entry.shortcutModifiers >> bit) & 1) {
            text += texts_.Text(QLatin1String(kModifierKeys[bit])) + QLatin1Char('+');
        }
    }
    return text + UsageToKeyName(entry.shortcutUsage, layout_, texts_);
}

void SettingsView::ShowButtonLabel(int button, const ButtonEntry& entry) {
    if (button < 0 || button >= kButtonCount) {
        return;
    }
    Button& label = c_.btnKey[static_cast<std::size_t>(button)];
    QString text;  // composed labels are plain texts; the others follow the language
    QString key;
    if (entry.functionCode == kFunctionShortcut) {
        text = ShortcutText(entry);
    } else if (entry.functionCode == kFunctionMacro) {
        text = texts_.Text(QStringLiteral("assign_macro_text")) + FieldToString(entry.macroName);
    } else {
        key = FunctionTextKey(entry.functionCode);
    }
    if (!key.isEmpty()) {
        label.SetTextKey(key);
    } else {
        // A macro name or key combination can be longer than the row: it is cut with "…" and
        // stays whole in the tooltip.
        label.SetElidedText(text);
    }
    // A function without a name keeps an empty label; the theme shows a dimmed dash in the row
    // and the tooltip says why, so the row does not read as a blank box.
    const bool named = !key.isEmpty() || entry.functionCode == kFunctionShortcut ||
                       entry.functionCode == kFunctionMacro;
    label.SetStyleState("function", named ? QString() : QStringLiteral("none"));
    label.SetToolTip(named ? text : texts_.Text(QStringLiteral("unnamed_function_text")));
    if (button == kButtonCount - 1) {
        // The mouse keeps the last button on its function: shown, but not offered for change.
        label.SetStyleState("fixed", QStringLiteral("true"));
        label.SetToolTip(texts_.Text(QStringLiteral("fixed_button_tip_text")));
    }
}
