#include "page/battery_display.h"

#include "link/device_view.h"
#include "sys/text_lookup.h"

void BatteryDisplay::OnVisible(std::string_view control, bool visible) {
    if (control == link_controls::kPowerView && visible != panelShown_) {
        panelShown_ = visible;
        Changed();
    }
}

void BatteryDisplay::OnPlainText(std::string_view control, const QString& text) {
    if (control == link_controls::kPowerLabel) {
        plainText_ = text;
        textKey_.clear();
        Changed();
    }
}

void BatteryDisplay::OnLanguageText(std::string_view control, std::string_view key) {
    if (control == link_controls::kPowerLabel) {
        textKey_ = QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
        Changed();
    }
}

QString BatteryDisplay::Text(const TextLookup& texts) const {
    if (!panelShown_) {
        return {};
    }
    return textKey_.isEmpty() ? plainText_ : texts.Text(textKey_);
}

int BatteryDisplay::Level() const {
    if (!panelShown_ || !textKey_.isEmpty() || !plainText_.endsWith(QLatin1Char('%'))) {
        return -1;
    }
    bool ok = false;
    const int level = plainText_.chopped(1).toInt(&ok);
    return ok && level >= 0 && level <= 100 ? level : -1;
}

bool BatteryDisplay::Charging() const {
    return panelShown_ && textKey_ == QLatin1String("charging_text");
}

void BatteryDisplay::Changed() {
    if (listener_) {
        listener_();
    }
}
