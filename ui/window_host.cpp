#include "ui/window_host.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include "ui/ui_internal.h"
#include "ui/window_impl_base.h"

void WindowHost::SetTimer(unsigned id, int milliseconds) {
    QTimer*& timer = timers_[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this,
                [this, id] { window_->DeliverMessage(ui::kMsgTimer, id, 0); });
    }
    timer->start(milliseconds);
}

void WindowHost::KillTimer(unsigned id) {
    if (QTimer* timer = timers_.take(id)) {
        timer->stop();
        timer->deleteLater();
    }
}

int WindowHost::TimerInterval(unsigned id) const {
    const QTimer* timer = timers_.value(id);
    return timer == nullptr ? -1 : timer->interval();
}

void WindowHost::SetControlTimer(QObject* control, unsigned id, int milliseconds) {
    QTimer*& timer = controlTimers_[qMakePair(control, id)];
    if (timer == nullptr) {
        timer = new QTimer(this);
        auto* widget = static_cast<QWidget*>(control);
        connect(timer, &QTimer::timeout, widget,
                [widget, id] { ui_internal::RaiseNotify(widget, "timer", id); });
        // The timer ends with its control.
        connect(control, &QObject::destroyed, this,
                [this, control, id] { KillControlTimer(control, id); });
    }
    timer->start(milliseconds);
}

void WindowHost::KillControlTimer(QObject* control, unsigned id) {
    if (QTimer* timer = controlTimers_.take(qMakePair(control, id))) {
        timer->stop();
        timer->deleteLater();
    }
}

void WindowHost::KillAllTimers() {
    for (QTimer* timer : std::as_const(timers_)) {
        timer->stop();
        timer->deleteLater();
    }
    timers_.clear();
    for (QTimer* timer : std::as_const(controlTimers_)) {
        timer->stop();
        timer->deleteLater();
    }
    controlTimers_.clear();
}

bool WindowHost::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) {
        return false;
    }
    switch (event->type()) {
        case QEvent::Close:
            if (widget == window_->RootWidget()) {
                // The desktop's close button: the window's own close path, result 0.
                event->ignore();
                window_->Close(0);
                return true;
            }
            break;
        case QEvent::KeyPress:
            // Escape closes a dialog as its cancel does. It reaches the window only when the
            // control with the focus had no use for it.
            if (widget == window_->RootWidget() &&
                (window_->Owner() != nullptr || window_->modalLoop_ != nullptr) &&
                static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                window_->Close(0);
                return true;
            }
            break;
        case QEvent::FocusIn:
            if (qobject_cast<QLineEdit*>(widget) != nullptr) {
                ui_internal::RaiseNotify(widget, "setfocus");
            }
            break;
        case QEvent::FocusOut:
            if (qobject_cast<QLineEdit*>(widget) != nullptr) {
                ui_internal::RaiseNotify(widget, "killfocus");
            }
            break;
        case QEvent::Wheel:
            // Only the control the user is working with takes the wheel; left ignored, the
            // event goes on to the scroll area around it.
            if ((qobject_cast<QAbstractSlider*>(widget) != nullptr ||
                 qobject_cast<QComboBox*>(widget) != nullptr) &&
                !widget->hasFocus()) {
                event->ignore();
                return true;
            }
            break;
        case QEvent::Enter:
            if (qobject_cast<QAbstractButton*>(widget) != nullptr) {
                ui_internal::RaiseNotify(widget, "mouseenter");
            }
            break;
        case QEvent::Leave:
            if (qobject_cast<QAbstractButton*>(widget) != nullptr) {
                ui_internal::RaiseNotify(widget, "mouseleave");
            }
            break;
        default:
            break;
    }
    return false;
}
