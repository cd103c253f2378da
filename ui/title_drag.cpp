#include "ui/title_drag.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QMouseEvent>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace {

bool IsTitleWidget(const QWidget* w) {
    const QString role = w->property("role").toString();
    if (role == QLatin1String("titlebar")) {
        // The title bar's tool buttons and the language box share the role; they are controls.
        return qobject_cast<const QAbstractButton*>(w) == nullptr &&
               qobject_cast<const QComboBox*>(w) == nullptr;
    }
    return role == QLatin1String("title") || role == QLatin1String("caption");
}

}  // namespace

TitleDrag::TitleDrag(QWidget* window) : QObject(window), window_(window) {}

void TitleDrag::Attach(QWidget* window) {
    if (window == nullptr || window->findChild<TitleDrag*>(QString(), Qt::FindDirectChildrenOnly)) {
        return;
    }
    window->installEventFilter(new TitleDrag(window));
}

int TitleDrag::TitleBandHeight(const QWidget* window) {
    int bottom = 0;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (IsTitleWidget(w) && w->isVisibleTo(window)) {
            bottom = std::max(bottom, w->mapTo(window, QPoint(0, w->height())).y());
        }
    }
    return bottom;
}

bool TitleDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            // Presses that reach the window itself are those no control took.
            auto* press = static_cast<QMouseEvent*>(event);
            if (press->button() != Qt::LeftButton ||
                press->position().y() >= TitleBandHeight(window_)) {
                return false;
            }
            QWindow* handle = window_->windowHandle();
            if (handle != nullptr && handle->startSystemMove()) {
                return true;
            }
            followingPointer_ = true;
            grabOffset_ = press->globalPosition().toPoint() - window_->frameGeometry().topLeft();
            return true;
        }
        case QEvent::MouseMove:
            if (followingPointer_) {
                auto* move = static_cast<QMouseEvent*>(event);
                window_->move(move->globalPosition().toPoint() - grabOffset_);
                return true;
            }
            return false;
        case QEvent::MouseButtonRelease:
            if (followingPointer_) {
                followingPointer_ = false;
                return true;
            }
            return false;
        case QEvent::MouseButtonDblClick:
            // No maximising or anything else a title bar's double-click may do elsewhere.
            return static_cast<QMouseEvent*>(event)->position().y() < TitleBandHeight(window_);
        default:
            return false;
    }
}
