#include "cli/device_event_text.h"

namespace {

constexpr uint8_t kEventMarker = 0x69;
constexpr int kMaxStage = 8;
constexpr int kMaxLevel = 100;

QString Hex4(uint16_t number) {
    return QStringLiteral("0x") + QString::number(number, 16).toUpper().rightJustified(4, u'0');
}

QString PowerText(uint16_t value) {
    const int state = value & 0xFF;
    const int level = value >> 8;
    QString text = level <= kMaxLevel ? QStringLiteral("power: level %1").arg(level)
                                      : QStringLiteral("power: level %1 out of range").arg(level);
    switch (state) {
        case 2:
            return text + QLatin1String(", charged");
        case 3:
            return text + QLatin1String(", charging");
        default:
            return text + QLatin1String(", on battery");
    }
}

QString Meaning(uint16_t key, uint16_t value) {
    if ((key & 0xFF) != kEventMarker) {
        return QStringLiteral("not a device event, ignored");
    }
    switch (key >> 8) {
        case 0x10:
            if (value >= 1 && value <= kMaxStage) {
                return QStringLiteral("DPI stage %1").arg(value);
            }
            return QStringLiteral("DPI stage %1 out of range, ignored").arg(value);
        case 0x20:
            if (value >= 1 && value <= kMaxStage) {
                return QStringLiteral("report rate %1").arg(value);
            }
            return QStringLiteral("report rate %1 out of range, ignored").arg(value);
        case 0x32:
        case 0x80:
            return QStringLiteral("settings changed on the mouse");
        case 0x40:
            return PowerText(value);
        case 0x50:
            return (value & 0xFF) == 0
                       ? QStringLiteral("acknowledgement: accepted")
                       : QStringLiteral("acknowledgement: refused (%1)").arg(value & 0xFF);
        case 0x60:
        case 0x70:
            return QStringLiteral("no action");
        default:
            return QStringLiteral("unknown event");
    }
}

}  // namespace

QString DescribeDeviceEvent(uint16_t key, uint16_t value) {
    return Hex4(key) + QLatin1Char(' ') + Hex4(value) + QLatin1Char(' ') + Meaning(key, value);
}
