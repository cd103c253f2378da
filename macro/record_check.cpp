#include "macro/record_check.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include <QStringList>

#include "protocol/profile_record.h"
#include "protocol/report_tables.h"
#include "protocol/utf16_field.h"

namespace {

QString Range(qint64 low, qint64 high) {
    return low == high ? QString::number(low) : QStringLiteral("%1–%2").arg(low).arg(high);
}

// Values of a sorted list as runs: {0, 1, 2, 5} gives "0–2, 5".
QString Runs(const std::vector<int>& values) {
    QStringList parts;
    for (std::size_t i = 0; i < values.size();) {
        std::size_t end = i;
        while (end + 1 < values.size() && values[end + 1] == values[end] + 1) {
            ++end;
        }
        parts.append(Range(values[i], values[end]));
        i = end + 1;
    }
    return parts.join(QStringLiteral(", "));
}

RecordFault OutOfRange(QString field, qint64 value, QString accepted) {
    return {RecordFault::Kind::OutOfRange, std::move(field), value, std::move(accepted)};
}

// Checks one value against low..high; `field` is only formatted for a fault.
template <class FieldName>
std::optional<RecordFault> Within(qint64 value, qint64 low, qint64 high, FieldName&& field) {
    if (value < low || value > high) {
        return OutOfRange(field(), value, Range(low, high));
    }
    return std::nullopt;
}

template <std::size_t N>
std::optional<RecordFault> CheckName(const char16_t (&field)[N], const QString& fieldName) {
    if (!IsUsableName(FieldToString(field))) {
        return RecordFault{RecordFault::Kind::NotText, fieldName, 0, {}};
    }
    return std::nullopt;
}

std::optional<RecordFault> CheckActions(const MacroAction* actions, qint64 count,
                                        const QString& prefix) {
    if (auto fault =
            Within(count, 0, kMacroMaxActions, [&] { return prefix + QStringLiteral("Count"); })) {
        return fault;
    }
    const int n = static_cast<int>(count);
    for (int i = 0; i < n; ++i) {
        const uint8_t kind = actions[i].kind;
        if (kind != kActionPress && kind != kActionRelease) {
            return OutOfRange(QStringLiteral("%1s[%2].kind").arg(prefix).arg(i), kind,
                              QStringLiteral("%1, %2").arg(kActionPress).arg(kActionRelease));
        }
    }
    if (const int cost = MacroCost(actions, n); cost > kMacroCostEditLimit) {
        return OutOfRange(QStringLiteral("%1s (cost)").arg(prefix), cost,
                          Range(0, kMacroCostEditLimit));
    }
    return std::nullopt;
}

bool KnownFunction(uint8_t code) {
    for (const FunctionReportRow& row : FunctionReportTable) {
        if (row.code == code) {
            return true;
        }
    }
    return false;
}

std::optional<RecordFault> CheckButton(const ButtonEntry& entry, const QString& name) {
    if (!KnownFunction(entry.functionCode)) {
        std::vector<int> codes;
        for (const FunctionReportRow& row : FunctionReportTable) {
            codes.push_back(row.code);
        }
        std::sort(codes.begin(), codes.end());
        return OutOfRange(name + QStringLiteral(".functionCode"), entry.functionCode, Runs(codes));
    }
    if (entry.functionCode == kFunctionShortcut) {
        return Within(entry.shortcutModifiers, 0, kModifierBitsMax,
                      [&] { return name + QStringLiteral(".shortcutModifiers"); });
    }
    if (entry.functionCode != kFunctionMacro) {
        return std::nullopt;  // macro fields left from an earlier macro are never sent
    }
    if (auto fault = CheckName(entry.macroName, name + QStringLiteral(".macroName"))) {
        return fault;
    }
    if (auto fault = CheckActions(entry.macroActions, entry.macroActionCount,
                                  name + QStringLiteral(".macroAction"))) {
        return fault;
    }
    if (auto fault = Within(entry.macroRepeatMode, 0, kRepeatModeMax,
                            [&] { return name + QStringLiteral(".macroRepeatMode"); })) {
        return fault;
    }
    return Within(entry.macroRepeatCount, kRepeatCountMin, kRepeatCountMax,
                  [&] { return name + QStringLiteral(".macroRepeatCount"); });
}

std::optional<RecordFault> CheckSettings(const ProfileSlot& slot) {
    std::vector<int> used;
    for (int k = 0; k < kDpiStageCount; ++k) {
        const int32_t dpi = slot.dpiValue[k];
        if (dpi != 0 && (dpi < kDpiValueMin || dpi > kDpiValueMax)) {
            return OutOfRange(QStringLiteral("dpiValue[%1]").arg(k), dpi,
                              QStringLiteral("0, %1").arg(Range(kDpiValueMin, kDpiValueMax)));
        }
        if (dpi != 0) {
            used.push_back(k);
        }
    }
    if (used.empty()) {
        return OutOfRange(QStringLiteral("dpiValue[0]"), 0, Range(kDpiValueMin, kDpiValueMax));
    }
    const auto field = [](const char* name) { return [name] { return QLatin1String(name); }; };
    const std::pair<qint64, std::pair<int, int>> ranges[] = {
        {slot.lightBrightness, {kBrightnessMin, kBrightnessMax}},
        {slot.lightSpeed, {kLightSpeedMin, kLightSpeedMax}},
        {slot.sleepTimer, {kTimerMin, kTimerMax}},
    };
    const char* const names[] = {"lightBrightness", "lightSpeed", "sleepTimer"};
    for (std::size_t i = 0; i < std::size(ranges); ++i) {
        const auto& [value, range] = ranges[i];
        if (auto fault = Within(value, range.first, range.second, field(names[i]))) {
            return fault;
        }
    }
    // The current stage must be one in use: stage 7 of 6 at 0 DPI leaves the mouse unusable.
    const int32_t stage = slot.dpiStage;
    if (stage < 0 || stage >= kDpiStageCount || slot.dpiValue[stage] == 0) {
        return OutOfRange(QStringLiteral("dpiStage"), stage, Runs(used));
    }
    if (auto fault = Within(slot.reportRate, 0, kReportRateMax, field("reportRate"))) {
        return fault;
    }
    if (auto fault = Within(slot.lightOffTimer, kTimerMin, kTimerMax, field("lightOffTimer"))) {
        return fault;
    }
    if (auto fault = Within(slot.lightMode, 0, kLightModeMax, field("lightMode"))) {
        return fault;
    }
    return Within(slot.buttonMode, 0, kButtonModeMax, field("buttonMode"));
}

bool IsControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

bool IsUsableName(const QString& name) {
    if (name.trimmed().isEmpty()) {
        return false;
    }
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (IsControl(c) || c == 0xFFFE || c == 0xFFFF) {
            return false;
        }
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= name.size() || !name[i + 1].isLowSurrogate()) {
                return false;
            }
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return false;
        }
    }
    return true;
}

QString RecordFault::Describe() const {
    switch (kind) {
        case Kind::NotText:
            return QStringLiteral("%1 is not a usable name").arg(field);
        case Kind::NoLeftClick:
            return QStringLiteral("%1: none of buttons 1 to 16 is a left click").arg(field);
        case Kind::OutOfRange:
            break;
    }
    return QStringLiteral("%1 is %2; the mouse takes %3").arg(field).arg(value).arg(accepted);
}

std::optional<RecordFault> CheckProfileRecord(const ProfileRecord& record) {
    if (record.activeSlot != 0) {
        return OutOfRange(QStringLiteral("activeSlot"), record.activeSlot, QStringLiteral("0"));
    }
    if (auto fault = CheckName(record.profileName, QStringLiteral("profileName"))) {
        return fault;
    }
    if (auto fault = CheckSettings(record.slots[0])) {
        return fault;
    }
    for (int s = 0; s < kSlotCount; ++s) {
        for (int j = 0; j < kButtonCount; ++j) {
            const QString name = s == 0 ? QStringLiteral("buttons[%1]").arg(j)
                                        : QStringLiteral("slots[%1].buttons[%2]").arg(s).arg(j);
            if (auto fault = CheckButton(record.slots[s].buttons[j], name)) {
                return fault;
            }
        }
    }
    constexpr int kLeftClickRuleButtons = 16;
    for (int j = 0; j < kLeftClickRuleButtons; ++j) {
        if (record.slots[0].buttons[j].functionCode == kFunctionLeftClick) {
            return std::nullopt;
        }
    }
    return RecordFault{
        RecordFault::Kind::NoLeftClick, QStringLiteral("buttons[0–15].functionCode"), 0, {}};
}

std::optional<RecordFault> CheckMacroRecord(const MacroRecord& record) {
    if (auto fault = CheckName(record.name, QStringLiteral("name"))) {
        return fault;
    }
    return CheckActions(record.actions, record.actionCount, QStringLiteral("action"));
}
