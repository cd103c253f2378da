#include "exchange/profile_json.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <limits>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "macro/macro_binding.h"
#include "protocol/report_tables.h"
#include "protocol/utf16_field.h"
#include "sys/printable_text.h"

namespace {

// What the page and the mouse accept: the ranges of the page's sliders and lists.
constexpr int kDpiValueMax = 160;  // 16,000 DPI; 0 marks a stage that is not in use
constexpr int kLightModeCount = 12;
constexpr int kLightBrightnessMax = 10;
constexpr int kLightSpeedMax = 8;
constexpr int kTimerMax = 60;
constexpr int kReportRateCount = 4;
constexpr int kModifierMask = 0x0F;  // Ctrl, Shift, Alt, Win
constexpr int kRepeatModeCount = 3;
constexpr int kLeftClickButtons = 16;  // one of buttons 0..15 must keep the left click
// Differing bytes closer together than this are written as one run of otherBytes.
constexpr std::size_t kRunGap = 4;

const QString kOtherBytes = QStringLiteral("otherBytes");
const QString kMacroKeys[] = {
    QStringLiteral("macroName"),        QStringLiteral("macroIndex"),
    QStringLiteral("macroRepeatMode"),  QStringLiteral("macroRepeatCount"),
    QStringLiteral("macroActionCount"), QStringLiteral("macroOption"),
    QStringLiteral("actions")};

bool IsHex(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
               (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
    });
}

QString ColorText(uint32_t stored) {
    return QStringLiteral("#%1")
        .arg(StoredToColor(stored) & 0xFFFFFF, 6, 16, QLatin1Char('0'))
        .toUpper();
}

template <class T, std::size_t N>
QJsonArray Table(const T (&values)[N]) {
    QJsonArray array;
    for (const T value : values) {
        array.append(static_cast<qint64>(value));
    }
    return array;
}

QJsonObject ButtonJson(const ButtonEntry& entry) {
    QJsonObject button{{QStringLiteral("functionCode"), entry.functionCode},
                       {QStringLiteral("shortcutUsage"), entry.shortcutUsage},
                       {QStringLiteral("shortcutModifiers"), entry.shortcutModifiers}};
    if (entry.functionCode != kFunctionMacro) {
        return button;
    }
    QJsonArray actions;
    for (int i = 0; i < UsableActionCount(entry); ++i) {
        const MacroAction& action = entry.macroActions[i];
        actions.append(QJsonObject{{QStringLiteral("code"), action.code},
                                   {QStringLiteral("kind"), action.kind},
                                   {QStringLiteral("delay"), action.delay}});
    }
    button.insert(QStringLiteral("macroName"), FieldToString(entry.macroName));
    button.insert(QStringLiteral("macroIndex"), entry.macroIndex);
    button.insert(QStringLiteral("macroRepeatMode"), entry.macroRepeatMode);
    button.insert(QStringLiteral("macroRepeatCount"), entry.macroRepeatCount);
    button.insert(QStringLiteral("macroActionCount"), entry.macroActionCount);
    button.insert(QStringLiteral("macroOption"), entry.macroOption);
    button.insert(QStringLiteral("actions"), actions);
    return button;
}

// The named settings only.
QJsonObject NamedJson(const ProfileRecord& record) {
    const ProfileSlot& slot = record.slots[0];
    QJsonArray dpiColors;
    for (const uint32_t color : slot.dpiColor) {
        dpiColors.append(ColorText(color));
    }
    QJsonArray buttons;
    for (const ButtonEntry& entry : slot.buttons) {
        buttons.append(ButtonJson(entry));
    }
    return QJsonObject{
        {QStringLiteral("name"), ProfileName(record)},
        {QStringLiteral("activeSlot"), record.activeSlot},
        {QStringLiteral("dpiValue"), Table(slot.dpiValue)},
        {QStringLiteral("dpiValueAlt"), Table(slot.dpiValueAlt)},
        {QStringLiteral("dpiStageEnabled"), Table(slot.dpiStageEnabled)},
        {QStringLiteral("dpiStage"), slot.dpiStage},
        {QStringLiteral("dpiParamA"), slot.dpiParamA},
        {QStringLiteral("dpiParamB"), slot.dpiParamB},
        {QStringLiteral("dpiColor"), dpiColors},
        {QStringLiteral("lightMode"), slot.lightMode},
        {QStringLiteral("lightBrightness"), slot.lightBrightness},
        {QStringLiteral("lightSpeed"), slot.lightSpeed},
        {QStringLiteral("lightColor"), ColorText(slot.lightColor)},
        {QStringLiteral("sleepTimer"), slot.sleepTimer},
        {QStringLiteral("lightOffTimer"), slot.lightOffTimer},
        {QStringLiteral("reportRate"), slot.reportRate},
        {QStringLiteral("moveMode"), slot.moveMode},
        {QStringLiteral("buttonMode"), slot.buttonMode},
        {QStringLiteral("buttons"), buttons},
    };
}

struct Range {
    qint64 min;
    qint64 max;
};

// Reads the named settings into a record. With checkRanges a value outside what the page and the
// mouse accept is refused; without (reading back our own output of any record, however odd), a
// value only has to fit its field. The first problem ends the reading.
class NamedReader {
public:
    NamedReader(ProfileRecord& record, bool checkRanges)
        : record_(record), slot_(record.slots[0]), check_(checkRanges) {}

    bool Read(const QJsonObject& json) {
        static const std::initializer_list<const char*> kKeys = {
            "name",        "activeSlot",      "dpiValue",
            "dpiValueAlt", "dpiStageEnabled", "dpiStage",
            "dpiParamA",   "dpiParamB",       "dpiColor",
            "lightMode",   "lightBrightness", "lightSpeed",
            "lightColor",  "sleepTimer",      "lightOffTimer",
            "reportRate",  "moveMode",        "buttonMode",
            "buttons"};
        if (!OnlyKnownKeys(json, QString(), kKeys, {kOtherBytes})) {
            return false;
        }
        QString name;
        if (!Text(json, "name", QString(), {1, kProfileNameUnits - 1}, name)) {
            return false;
        }
        SetProfileName(record_, name);
        return Int(json, "activeSlot", {0, kSlotCount - 1}, record_.activeSlot) &&
               IntTable(json, "dpiStageEnabled", {0, 1}, slot_.dpiStageEnabled) &&
               DpiTable(json, "dpiValue", slot_.dpiValue) &&
               IntTable(json, "dpiValueAlt", {0, kDpiValueMax}, slot_.dpiValueAlt) &&
               Int(json, "dpiStage", {0, kDpiStageCount - 1}, slot_.dpiStage) &&
               Int(json, "dpiParamA", {0, 255}, slot_.dpiParamA) &&
               Int(json, "dpiParamB", {0, 255}, slot_.dpiParamB) &&
               ColorTable(json, "dpiColor", slot_.dpiColor) &&
               Int(json, "lightMode", {0, kLightModeCount - 1}, slot_.lightMode) &&
               Int(json, "lightBrightness", {1, kLightBrightnessMax}, slot_.lightBrightness) &&
               Int(json, "lightSpeed", {1, kLightSpeedMax}, slot_.lightSpeed) &&
               Color(json.value(QStringLiteral("lightColor")), QStringLiteral("lightColor"),
                     slot_.lightColor) &&
               Int(json, "sleepTimer", {1, kTimerMax}, slot_.sleepTimer) &&
               Int(json, "lightOffTimer", {1, kTimerMax}, slot_.lightOffTimer) &&
               Int(json, "reportRate", {0, kReportRateCount - 1}, slot_.reportRate) &&
               Int(json, "moveMode", {0, 1}, slot_.moveMode) &&
               Int(json, "buttonMode", {0, 1}, slot_.buttonMode) && Buttons(json) &&
               LeftClickKept();
    }

    QString Error() const { return error_; }

private:
    bool Fail(const QString& message) {
        error_ = message;
        return false;
    }

    static QString Where(const QString& prefix, const QString& key) {
        return prefix.isEmpty() ? key : prefix + QLatin1Char('.') + key;
    }

    bool OnlyKnownKeys(const QJsonObject& object, const QString& where,
                       std::initializer_list<const char*> required,
                       std::initializer_list<QString> optional) {
        for (const char* key : required) {
            if (!object.contains(QLatin1String(key))) {
                return Fail(QStringLiteral("%1 is missing").arg(Where(where, QLatin1String(key))));
            }
        }
        for (auto it = object.begin(); it != object.end(); ++it) {
            const bool known =
                std::any_of(required.begin(), required.end(),
                            [&](const char* key) { return it.key() == QLatin1String(key); }) ||
                std::find(optional.begin(), optional.end(), it.key()) != optional.end();
            if (!known) {
                return Fail(QStringLiteral("unknown field %1").arg(Where(where, it.key())));
            }
        }
        return true;
    }

    // A whole number that fits T and, when ranges are checked, lies in `accepted`.
    template <class T>
    bool Number(const QJsonValue& value, const QString& where, Range accepted, T& out) {
        if (!value.isDouble()) {
            return Fail(QStringLiteral("%1 must be a number").arg(where));
        }
        const double number = value.toDouble();
        const qint64 whole = value.toInteger();
        if (static_cast<double>(whole) != number) {
            return Fail(QStringLiteral("%1 must be a whole number").arg(where));
        }
        const Range fits{static_cast<qint64>(std::numeric_limits<T>::min()),
                         static_cast<qint64>(std::numeric_limits<T>::max())};
        const Range range = check_ ? accepted : fits;
        if (whole < range.min || whole > range.max || whole < fits.min || whole > fits.max) {
            return Fail(QStringLiteral("%1 is %2, outside %3..%4")
                            .arg(where)
                            .arg(whole)
                            .arg(range.min)
                            .arg(range.max));
        }
        out = static_cast<T>(whole);
        return true;
    }

    template <class T>
    bool Int(const QJsonObject& object, const char* key, Range accepted, T& out,
             const QString& prefix = QString()) {
        return Number(object.value(QLatin1String(key)), Where(prefix, QLatin1String(key)), accepted,
                      out);
    }

    bool Text(const QJsonObject& object, const char* key, const QString& prefix, Range units,
              QString& out) {
        const QString where = Where(prefix, QLatin1String(key));
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isString()) {
            return Fail(QStringLiteral("%1 must be a text").arg(where));
        }
        out = value.toString();
        if (check_ && (out.size() < units.min || out.size() > units.max)) {
            return Fail(QStringLiteral("%1 has %2 characters; it may have %3 to %4")
                            .arg(where)
                            .arg(out.size())
                            .arg(units.min)
                            .arg(units.max));
        }
        if (check_ && out.contains(QChar(u'\0'))) {
            return Fail(QStringLiteral("%1 holds a NUL character").arg(where));
        }
        return true;
    }

    bool Array(const QJsonObject& object, const char* key, const QString& where, qsizetype size,
               QJsonArray& out) {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isArray()) {
            return Fail(QStringLiteral("%1 must be a list").arg(where));
        }
        out = value.toArray();
        if (out.size() != size) {
            return Fail(QStringLiteral("%1 has %2 entries; it must have %3")
                            .arg(where)
                            .arg(out.size())
                            .arg(size));
        }
        return true;
    }

    template <class T, std::size_t N>
    bool IntTable(const QJsonObject& object, const char* key, Range accepted, T (&out)[N]) {
        QJsonArray array;
        if (!Array(object, key, QLatin1String(key), N, array)) {
            return false;
        }
        for (std::size_t i = 0; i < N; ++i) {
            const QString where = QStringLiteral("%1[%2]").arg(QLatin1String(key)).arg(i);
            if (!Number(array.at(static_cast<qsizetype>(i)), where, accepted, out[i])) {
                return false;
            }
        }
        return true;
    }

    // A stage in use needs a DPI value; one that is not may keep 0.
    bool DpiTable(const QJsonObject& object, const char* key, int32_t (&out)[kDpiStageCount]) {
        QJsonArray array;
        if (!Array(object, key, QLatin1String(key), kDpiStageCount, array)) {
            return false;
        }
        for (int i = 0; i < kDpiStageCount; ++i) {
            const bool inUse = slot_.dpiStageEnabled[i] == 1;
            const QString where = QStringLiteral("%1[%2]").arg(QLatin1String(key)).arg(i);
            if (!Number(array.at(i), where, {inUse ? 1 : 0, kDpiValueMax}, out[i])) {
                return false;
            }
        }
        return true;
    }

    // "#RRGGBB", stored as 0x00BBGGRR.
    bool Color(const QJsonValue& value, const QString& where, uint32_t& out) {
        const QString text = value.toString();
        if (!value.isString() || text.size() != 7 || !text.startsWith(QLatin1Char('#')) ||
            !IsHex(text.mid(1))) {
            return Fail(QStringLiteral("%1 must be a colour written #RRGGBB").arg(where));
        }
        out = ColorToStored(0xFF000000u | text.mid(1).toUInt(nullptr, 16));
        return true;
    }

    bool ColorTable(const QJsonObject& object, const char* key, uint32_t (&out)[kDpiStageCount]) {
        QJsonArray array;
        if (!Array(object, key, QLatin1String(key), kDpiStageCount, array)) {
            return false;
        }
        for (int i = 0; i < kDpiStageCount; ++i) {
            if (!Color(array.at(i), QStringLiteral("%1[%2]").arg(QLatin1String(key)).arg(i),
                       out[i])) {
                return false;
            }
        }
        return true;
    }

    bool Buttons(const QJsonObject& json) {
        QJsonArray buttons;
        if (!Array(json, "buttons", QStringLiteral("buttons"), kButtonCount, buttons)) {
            return false;
        }
        for (int j = 0; j < kButtonCount; ++j) {
            const QString where = QStringLiteral("buttons[%1]").arg(j);
            if (!buttons.at(j).isObject()) {
                return Fail(QStringLiteral("%1 must be an object").arg(where));
            }
            if (!Button(buttons.at(j).toObject(), where, slot_.buttons[j])) {
                return false;
            }
        }
        return true;
    }

    bool Button(const QJsonObject& button, const QString& where, ButtonEntry& entry) {
        if (!Int(button, "functionCode", {0, 255}, entry.functionCode, where)) {
            return false;
        }
        const bool macro = entry.functionCode == kFunctionMacro;
        if (check_ && !FunctionKnown(entry.functionCode)) {
            return Fail(QStringLiteral("%1.functionCode %2 is no function the mouse knows")
                            .arg(where)
                            .arg(entry.functionCode));
        }
        const std::initializer_list<QString> noKeys;
        const bool keysKnown =
            macro ? OnlyKnownKeys(button, where,
                                  {"functionCode", "shortcutUsage", "shortcutModifiers",
                                   "macroName", "macroIndex", "macroRepeatMode", "macroRepeatCount",
                                   "macroActionCount", "macroOption", "actions"},
                                  noKeys)
                  : OnlyKnownKeys(button, where,
                                  {"functionCode", "shortcutUsage", "shortcutModifiers"}, noKeys);
        if (!keysKnown) {
            if (!macro) {
                for (const QString& key : kMacroKeys) {
                    if (button.contains(key)) {
                        return Fail(QStringLiteral("%1 belongs to a macro button (functionCode "
                                                   "17) only")
                                        .arg(Where(where, key)));
                    }
                }
            }
            return false;
        }
        if (!Int(button, "shortcutUsage", {0, 255}, entry.shortcutUsage, where) ||
            !Int(button, "shortcutModifiers", {0, kModifierMask}, entry.shortcutModifiers, where)) {
            return false;
        }
        return !macro || Macro(button, where, entry);
    }

    bool Macro(const QJsonObject& button, const QString& where, ButtonEntry& entry) {
        QString name;
        if (!Text(button, "macroName", where, {1, kMacroNameUnits - 1}, name)) {
            return false;
        }
        StringToField(entry.macroName, name);
        if (!Int(button, "macroIndex", {-1, std::numeric_limits<int32_t>::max()}, entry.macroIndex,
                 where) ||
            !Int(button, "macroRepeatMode", {0, kRepeatModeCount - 1}, entry.macroRepeatMode,
                 where) ||
            !Int(button, "macroRepeatCount", {0, 255}, entry.macroRepeatCount, where) ||
            !Int(button, "macroActionCount", {0, kMacroMaxActions}, entry.macroActionCount,
                 where) ||
            !Int(button, "macroOption", {0, 255}, entry.macroOption, where)) {
            return false;
        }
        const QJsonValue value = button.value(QStringLiteral("actions"));
        const QJsonArray actions = value.toArray();
        const qsizetype expected = std::min<qsizetype>(entry.macroActionCount, kMacroMaxActions);
        if (!value.isArray() || actions.size() != expected) {
            return Fail(QStringLiteral("%1.actions must list macroActionCount (%2) actions")
                            .arg(where)
                            .arg(entry.macroActionCount));
        }
        for (qsizetype i = 0; i < actions.size(); ++i) {
            const QString at = QStringLiteral("%1.actions[%2]").arg(where).arg(i);
            const QJsonObject action = actions.at(i).toObject();
            MacroAction& out = entry.macroActions[i];
            if (!actions.at(i).isObject()) {
                return Fail(QStringLiteral("%1 must be an object").arg(at));
            }
            if (!OnlyKnownKeys(action, at, {"code", "kind", "delay"}, {}) ||
                !Int(action, "code", {0, 255}, out.code, at) ||
                !Int(action, "kind", {kActionPress, kActionRelease}, out.kind, at) ||
                !Int(action, "delay", {0, 65535}, out.delay, at)) {
                return false;
            }
        }
        return true;
    }

    static bool FunctionKnown(uint8_t code) {
        return std::any_of(std::begin(FunctionReportTable), std::end(FunctionReportTable),
                           [code](const FunctionReportRow& row) { return row.code == code; });
    }

    bool LeftClickKept() {
        if (!check_) {
            return true;
        }
        for (int j = 0; j < kLeftClickButtons; ++j) {
            if (slot_.buttons[j].functionCode == kFunctionLeftClick) {
                return true;
            }
        }
        return Fail(
            QStringLiteral("none of buttons[0] to buttons[15] is a left click "
                           "(functionCode 1); the mouse would have no left button"));
    }

    ProfileRecord& record_;
    ProfileSlot& slot_;
    bool check_;
    QString error_;
};

const unsigned char* BytesOf(const ProfileRecord& record) {
    return reinterpret_cast<const unsigned char*>(&record);
}

// The runs of bytes in which `record` differs from `base`.
QJsonArray OtherBytes(const ProfileRecord& base, const ProfileRecord& record) {
    const unsigned char* a = BytesOf(base);
    const unsigned char* b = BytesOf(record);
    constexpr std::size_t kSize = sizeof(ProfileRecord);
    QJsonArray runs;
    std::size_t i = 0;
    while (i < kSize) {
        if (a[i] == b[i]) {
            ++i;
            continue;
        }
        std::size_t last = i;
        for (std::size_t k = i + 1; k < kSize && k - last <= kRunGap; ++k) {
            if (a[k] != b[k]) {
                last = k;
            }
        }
        const QByteArray run(reinterpret_cast<const char*>(b + i),
                             static_cast<qsizetype>(last + 1 - i));
        runs.append(QJsonObject{{QStringLiteral("offset"), static_cast<qint64>(i)},
                                {QStringLiteral("hex"), QString::fromLatin1(run.toHex())}});
        i = last + 1;
    }
    return runs;
}

// Writes the runs over the record; false with `error` set when one is malformed, lies outside
// the record or overlaps the run before it.
bool ApplyOtherBytes(const QJsonValue& value, ProfileRecord& record, QString& error) {
    if (!value.isArray()) {
        error = QStringLiteral("otherBytes must be a list");
        return false;
    }
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    qint64 end = 0;
    const QJsonArray runs = value.toArray();
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const QString where = QStringLiteral("otherBytes[%1]").arg(i);
        const QJsonObject run = runs.at(i).toObject();
        const QJsonValue offsetValue = run.value(QStringLiteral("offset"));
        const QString hex = run.value(QStringLiteral("hex")).toString();
        const QByteArray data = QByteArray::fromHex(hex.toLatin1());
        const qint64 offset = offsetValue.toInteger(-1);
        const bool hexOk = !hex.isEmpty() && hex.size() % 2 == 0 && IsHex(hex);
        if (!runs.at(i).isObject() || run.size() != 2 || !offsetValue.isDouble() ||
            static_cast<double>(offset) != offsetValue.toDouble() || !hexOk) {
            error = QStringLiteral(
                        "%1 must be {\"offset\": N, \"hex\": \"..\"} with an even "
                        "number of hex digits")
                        .arg(where);
            return false;
        }
        if (offset < end || offset + data.size() > static_cast<qint64>(sizeof(ProfileRecord))) {
            error = QStringLiteral(
                        "%1 (offset %2, %3 bytes) overlaps the run before it or lies "
                        "outside the record's %4 bytes")
                        .arg(where)
                        .arg(offset)
                        .arg(data.size())
                        .arg(sizeof(ProfileRecord));
            return false;
        }
        std::memcpy(bytes + offset, data.constData(), static_cast<std::size_t>(data.size()));
        end = offset + data.size();
    }
    return true;
}

// JSON keeps these characters as they are; written as \uXXXX they can no longer split a line of
// the output or reverse how a name reads on a terminal. (Outside strings JSON is plain ASCII.)
QByteArray EscapeLineLayout(const QByteArray& json) {
    const QString text = QString::fromUtf8(json);
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (ChangesLineLayout(c.unicode())) {
            out += QStringLiteral("\\u") +
                   QString::number(c.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out.toUtf8();
}

}  // namespace

QByteArray ProfileToJson(const ProfileRecord& record) {
    QJsonObject json = NamedJson(record);
    auto base = CreateBlankRecord(QString());
    NamedReader reader(*base, false);
    reader.Read(json);  // our own output of any record always reads back unchecked
    json.insert(kOtherBytes, OtherBytes(*base, record));
    return EscapeLineLayout(QJsonDocument(json).toJson(QJsonDocument::Indented));
}

ProfileJsonRead ProfileFromJson(const QByteArray& json) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return {nullptr, QStringLiteral("not JSON: %1 at byte %2")
                             .arg(parseError.errorString())
                             .arg(parseError.offset)};
    }
    if (!document.isObject()) {
        return {nullptr, QStringLiteral("not a profile: the JSON is not an object")};
    }
    const QJsonObject object = document.object();
    auto named = CreateBlankRecord(QString());
    NamedReader reader(*named, true);
    if (!reader.Read(object)) {
        return {nullptr, reader.Error()};
    }
    auto record = std::make_unique<ProfileRecord>(*named);
    if (object.contains(kOtherBytes)) {
        QString error;
        if (!ApplyOtherBytes(object.value(kOtherBytes), *record, error)) {
            return {nullptr, error};
        }
    }
    // The named settings are what the user reads and edits: otherBytes may not change them.
    const QJsonObject wanted = NamedJson(*named);
    const QJsonObject got = NamedJson(*record);
    for (auto it = wanted.begin(); it != wanted.end(); ++it) {
        if (got.value(it.key()) != it.value()) {
            return {nullptr,
                    QStringLiteral("otherBytes change %1, which is given by name").arg(it.key())};
        }
    }
    return {std::move(record), QString()};
}
