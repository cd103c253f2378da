// talvorectl show FILE.pro: a profile file's settings as JSON, by their record names.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/cli_support.h"
#include "cli/profile_file.h"
#include "macro/macro_binding.h"
#include "page/profile_store.h"
#include "protocol/utf16_field.h"
#include "sys/printable_text.h"

namespace {

constexpr char kUsage[] = "show FILE.pro";

QString ColorText(uint32_t stored) {
    return QStringLiteral("#%1")
        .arg(StoredToColor(stored) & 0xFFFFFF, 6, 16, QLatin1Char('0'))
        .toUpper();
}

template <class T>
QJsonArray Table(const T (&values)[kDpiStageCount]) {
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

QJsonObject ProfileJson(const ProfileRecord& record) {
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

int RunShow(const QStringList& args, CommandContext& context) {
    if (args.size() != 1) {
        return UsageError(context, kUsage);
    }
    QString error;
    auto record = ReadProfileFile(PathArgument(context, 0), error);
    if (!record) {
        return Fail(context, kExitBadInput, error);
    }
    const QByteArray json =
        EscapeLineLayout(QJsonDocument(ProfileJson(*record)).toJson(QJsonDocument::Indented));
    std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), context.out);
    return kExitOk;
}

const CommandRegistrar registrar({"show", kUsage, "Print a profile file's settings as JSON.",
                                  RunShow});

}  // namespace
