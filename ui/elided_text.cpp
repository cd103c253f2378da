#include "ui/elided_text.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolTip>
#include <QVariant>

#include "ui/ui_internal.h"

namespace ui_internal {
namespace {

constexpr const char* kFullTextProperty = "talvoreFullText";
constexpr int kSlack = 2;

// The width a button's text may take: the control without its border and padding (the theme's
// box model) and without its icon.
int TextWidth(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        QRect contents =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        // Styles size a button a pixel or two beyond its contents rectangle.
        int width = contents.width() - kSlack;
        if (!button->icon().isNull()) {
            width -= button->iconSize().width() + 4;
        }
        return width;
    }
    return widget->contentsRect().width();
}

void Elide(QWidget* widget) {
    const QString full = widget->property(kFullTextProperty).toString();
    const QString shown =
        widget->fontMetrics().elidedText(full, Qt::ElideRight, std::max(0, TextWidth(widget)));
    if (WidgetText(widget) != shown) {
        SetWidgetText(widget, shown);
    }
}

class ElidingFilter final : public QObject {
public:
    static ElidingFilter* Instance() {
        static ElidingFilter* filter = new ElidingFilter;
        return filter;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::FontChange:
            case QEvent::StyleChange:
            case QEvent::Polish:
                Elide(static_cast<QWidget*>(watched));
                break;
            default:
                break;
        }
        return false;
    }
};

// Tooltips of list rows: the whole text, only for a row the list had to cut.
class CutRowTips final : public QObject {
public:
    explicit CutRowTips(QListWidget* list) : QObject(list), list_(list) {}

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) {
            return false;
        }
        const auto* help = static_cast<QHelpEvent*>(event);
        const QListWidgetItem* item = list_->itemAt(help->pos());
        if (item == nullptr || !item->data(Qt::ToolTipRole).isNull()) {
            return false;
        }
        const QRect row = list_->visualItemRect(item);
        const int room =
            row.width() - 2 * list_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin);
        const bool cut = list_->fontMetrics().horizontalAdvance(item->text()) > room;
        if (cut) {
            QToolTip::showText(help->globalPos(), item->text(), list_->viewport(), row);
        } else {
            QToolTip::hideText();
        }
        return true;
    }

private:
    QListWidget* list_;
};

}  // namespace

void ShowCutRowsInToolTips(QListWidget* list) {
    constexpr const char* kInstalled = "talvoreCutRowTips";
    if (!list->property(kInstalled).toBool()) {
        list->setProperty(kInstalled, true);
        list->viewport()->installEventFilter(new CutRowTips(list));
    }
}

void SetElidedText(QWidget* widget, const QString& text) {
    widget->setProperty(kFullTextProperty, text);
    widget->removeEventFilter(ElidingFilter::Instance());
    widget->installEventFilter(ElidingFilter::Instance());
    Elide(widget);
}

void StopEliding(QWidget* widget) {
    if (widget->property(kFullTextProperty).isValid()) {
        widget->removeEventFilter(ElidingFilter::Instance());
        widget->setProperty(kFullTextProperty, QVariant());
    }
}

QString FullText(const QWidget* widget) {
    return widget->property(kFullTextProperty).toString();
}

}  // namespace ui_internal
