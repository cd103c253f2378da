// The link and device-event handling's view of the settings page: its controls by name.
#pragma once

#include <functional>

#include "link/device_view.h"
#include "page/battery_display.h"
#include "page/page_controls.h"

class PageDeviceView final : public DeviceView {
public:
    PageDeviceView(PageControls& controls, BatteryDisplay& battery,
                   std::function<void()> updateLightRows)
        : c_(controls), battery_(battery), updateLightRows_(std::move(updateLightRows)) {}

    void SetVisible(std::string_view control, bool visible) override;
    bool IsChecked(std::string_view control) const override;
    void SetChecked(std::string_view control, bool checked) override;
    void SetLanguageText(std::string_view control, std::string_view key) override;
    void SetPlainText(std::string_view control, const QString& text) override;
    void SetProgress(std::string_view control, int value) override;
    void SelectDpiStageOption(int number) override;
    void SelectReportRateOption(int index) override;
    void UpdateLightRows() override;

private:
    Control Find(std::string_view name) const;

    PageControls& c_;
    BatteryDisplay& battery_;
    std::function<void()> updateLightRows_;
};
