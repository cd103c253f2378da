#include "sim/panel/transfer_text.h"

#include <algorithm>
#include <bit>

#include <QStringList>

namespace sim {

QString ShortHex(const std::vector<uint8_t>& bytes, int shown) {
    const std::size_t count = std::min(bytes.size(), static_cast<std::size_t>(std::max(shown, 0)));
    QString text;
    text.reserve(static_cast<qsizetype>(count * 3 + 12));
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            text += QLatin1Char(' ');
        }
        text += QStringLiteral("%1").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper();
    }
    if (bytes.size() > count) {
        text += QStringLiteral("%1… (+%2)")
                    .arg(count > 0 ? QStringLiteral(" ") : QString())
                    .arg(bytes.size() - count);
    }
    return text;
}

QString TransferVerdict(const TransferLogEntry& entry) {
    const QString size = entry.bytes.size() == 1
                             ? QStringLiteral("1 byte")
                             : QStringLiteral("%1 bytes").arg(entry.bytes.size());
    const QString verdict =
        entry.accepted ? QStringLiteral("accepted")
                       : QStringLiteral("rejected: %1").arg(QString::fromStdString(entry.reason));
    return QStringLiteral("%1 · %2 · %3")
        .arg(QString::fromLatin1(LinkName(entry.link)), size, verdict);
}

QString DpiStageText(const DpiSettings& dpi) {
    const int inUse = std::popcount(static_cast<unsigned>(dpi.stageMask));
    const int stage = dpi.currentStage;
    QString text = QStringLiteral("Stage %1 of %2").arg(stage).arg(inUse);
    if (stage >= 1 && stage <= kStageCount) {
        text += QStringLiteral(" · %1 DPI").arg(dpi.dpi[static_cast<std::size_t>(stage - 1)]);
    }
    return text;
}

QString ColorsText(const DpiSettings& dpi, const Rgb& lighting) {
    const auto chip = [](const Rgb& c) {
        return QStringLiteral("<span style=\"color:#%1%2%3\">■</span>")
            .arg(c.r, 2, 16, QLatin1Char('0'))
            .arg(c.g, 2, 16, QLatin1Char('0'))
            .arg(c.b, 2, 16, QLatin1Char('0'));
    };
    QString text;
    for (int k = 0; k < kStageCount; ++k) {
        if ((dpi.stageMask >> k) & 1) {
            text += chip(dpi.colors[static_cast<std::size_t>(k)]);
        }
    }
    return text + QStringLiteral(" · light ") + chip(lighting);
}

QString ReportRateText(uint8_t rateCode) {
    if (rateCode == 0) {
        return QStringLiteral("code 0");
    }
    return QStringLiteral("%1 ms · %2 Hz").arg(rateCode).arg(1000 / rateCode);
}

QString EventText(Link link, uint16_t key, uint16_t value) {
    return QStringLiteral("0x%1 = 0x%2 over the %3")
        .arg(key, 4, 16, QLatin1Char('0'))
        .arg(value, 4, 16, QLatin1Char('0'))
        .arg(QString::fromLatin1(LinkName(link)));
}

namespace {

struct NamedFunction {
    uint8_t t1;
    const char* name;
};

// The device's functions (the first byte a button is sent as) that have a short name here.
constexpr NamedFunction kNamedFunctions[] = {
    {0x01, "off"},          {0x02, "left click"},  {0x03, "right click"},   {0x04, "middle click"},
    {0x05, "back"},         {0x06, "forward"},     {0x07, "double click"},  {0x08, "fire"},
    {0x09, "scroll up"},    {0x0A, "scroll down"}, {0x0B, "tilt left"},     {0x0C, "tilt right"},
    {0x0D, "DPI cycle"},    {0x0E, "DPI up"},      {0x0F, "DPI down"},      {0x10, "sniper"},
    {0x15, "player"},       {0x16, "previous"},    {0x17, "next"},          {0x18, "play/pause"},
    {0x19, "stop"},         {0x1A, "mute"},        {0x1B, "volume up"},     {0x1C, "volume down"},
    {0x1D, "calculator"},   {0x1E, "mail"},        {0x20, "web forward"},   {0x21, "web back"},
    {0x22, "web stop"},     {0x23, "computer"},    {0x24, "refresh"},       {0x25, "web home"},
    {0x26, "web search"},   {0x29, "light cycle"}, {0x34, "profile cycle"}, {0x35, "profile up"},
    {0x36, "profile down"}, {0x3D, "zoom in"},     {0x3E, "zoom out"},
};

constexpr uint8_t kKeyCombination = 0x11;
constexpr uint8_t kMacro = 0x12;

}  // namespace

QString ButtonFunctionText(const ButtonFunction& function) {
    if (function.t1 == kKeyCombination) {
        static const char* const kModifiers[] = {"Ctrl", "Shift", "Alt", "Win"};
        QStringList modifiers;
        for (int bit = 0; bit < 4; ++bit) {
            if ((function.t2 >> bit) & 1) {
                modifiers << QLatin1String(kModifiers[bit]);
            }
        }
        QString text = QStringLiteral("keys ");
        if (!modifiers.isEmpty()) {
            text += modifiers.join(QLatin1Char('+')) + QLatin1Char(' ');
        }
        return text + QStringLiteral("0x%1").arg(function.t3, 2, 16, QLatin1Char('0'));
    }
    if (function.t1 == kMacro) {
        return QStringLiteral("macro %1").arg(function.t3);
    }
    for (const NamedFunction& named : kNamedFunctions) {
        if (named.t1 == function.t1) {
            return QLatin1String(named.name);
        }
    }
    return QStringLiteral("function 0x%1").arg(function.t1, 2, 16, QLatin1Char('0'));
}

}  // namespace sim
