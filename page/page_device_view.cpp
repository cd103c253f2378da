#include "page/page_device_view.h"

Control PageDeviceView::Find(std::string_view name) const {
    return c_.ByName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

void PageDeviceView::SetVisible(std::string_view control, bool visible) {
    Find(control).SetVisible(visible);
    battery_.OnVisible(control, visible);
    // The lighting effect's label goes with its combo box, and where the report rate cannot be
    // set (over Bluetooth) its card goes with its header instead of staying as an empty frame.
    if (control == link_controls::kLightCombo) {
        c_.horEffect.SetVisible(visible);
    } else if (control == link_controls::kCheckReportRate) {
        c_.cardReportRate.SetVisible(visible);
    }
}

bool PageDeviceView::IsChecked(std::string_view control) const {
    return CheckBox(Find(control).Widget()).GetCheck();
}

void PageDeviceView::SetChecked(std::string_view control, bool checked) {
    CheckBox(Find(control).Widget()).SetCheck(checked, Notify::kNo);
}

void PageDeviceView::SetLanguageText(std::string_view control, std::string_view key) {
    Find(control).SetTextKey(QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size())));
    battery_.OnLanguageText(control, key);
}

void PageDeviceView::SetPlainText(std::string_view control, const QString& text) {
    Find(control).SetText(text);
    battery_.OnPlainText(control, text);
}

void PageDeviceView::SetProgress(std::string_view control, int value) {
    Progress(Find(control).Widget()).SetValue(value);
}

void PageDeviceView::SelectDpiStageOption(int number) {
    if (number >= 1 && number <= static_cast<int>(c_.optionDpiStep.size())) {
        c_.optionDpiStep[static_cast<std::size_t>(number - 1)].Select(Notify::kNo);
    }
}

void PageDeviceView::SelectReportRateOption(int index) {
    if (index >= 0 && index < static_cast<int>(c_.btnReportRate.size())) {
        c_.btnReportRate[static_cast<std::size_t>(index)].Select(Notify::kNo);
    }
}

void PageDeviceView::UpdateLightRows() {
    if (updateLightRows_) {
        updateLightRows_();
    }
}
