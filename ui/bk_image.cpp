#include "ui/bk_image.h"

#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QVariant>
#include <QWidget>

#include "ui/skin_reading.h"
#include "ui/ui_application.h"

namespace ui_internal {
namespace {

constexpr const char* kBkImageProperty = "bkImage";

// Draws the image under the control's own painting, so a label's text stays on top.
class BkImagePainter final : public QObject {
public:
    static BkImagePainter* Instance() {
        static BkImagePainter* painter = new BkImagePainter;
        return painter;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* widget = static_cast<QWidget*>(watched);
            const BkImagePlacement placement = ParseBkImage(BkImageOf(widget));
            const QPixmap pixmap = Load(placement.file);
            if (!pixmap.isNull()) {
                QPainter painter(widget);
                painter.drawPixmap(placement.dest.isValid() ? placement.dest : widget->rect(),
                                   pixmap);
            }
        }
        return false;
    }

private:
    static QPixmap Load(const QString& file) {
        if (file.isEmpty()) {
            return {};
        }
        const QString path = UiApplication::SkinPath(file);
        if (!SkinImageUsable(path)) {
            return {};
        }
        QPixmap pixmap;
        if (!QPixmapCache::find(path, &pixmap) && pixmap.load(path)) {
            QPixmapCache::insert(path, pixmap);
        }
        return pixmap;
    }
};

}  // namespace

BkImagePlacement ParseBkImage(const QString& text) {
    BkImagePlacement placement;
    static const QRegularExpression res(QStringLiteral("res\\s*=\\s*'([^']*)'"));
    static const QRegularExpression dest(QStringLiteral("dest\\s*=\\s*'([^']*)'"));
    const auto resMatch = res.match(text);
    if (!resMatch.hasMatch()) {
        placement.file = text.trimmed();
        return placement;
    }
    placement.file = resMatch.captured(1).trimmed();
    const auto destMatch = dest.match(text);
    if (destMatch.hasMatch()) {
        const QStringList parts = destMatch.captured(1).split(QLatin1Char(','));
        if (parts.size() == 4) {
            bool ok[4] = {};
            const int left = parts[0].trimmed().toInt(&ok[0]);
            const int top = parts[1].trimmed().toInt(&ok[1]);
            const int right = parts[2].trimmed().toInt(&ok[2]);
            const int bottom = parts[3].trimmed().toInt(&ok[3]);
            if (ok[0] && ok[1] && ok[2] && ok[3] && right > left && bottom > top) {
                placement.dest = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
            }
        }
    }
    return placement;
}

void SetBkImage(QWidget* widget, const QString& text) {
    widget->setProperty(kBkImageProperty, text);
    widget->removeEventFilter(BkImagePainter::Instance());
    if (!text.isEmpty()) {
        widget->installEventFilter(BkImagePainter::Instance());
    }
    widget->update();
}

QString BkImageOf(const QWidget* widget) {
    return widget->property(kBkImageProperty).toString();
}

}  // namespace ui_internal
