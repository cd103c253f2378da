#include "sim/panel/transfer_text.h"

#include <algorithm>
#include <bit>

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

}  // namespace sim
