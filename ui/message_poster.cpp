#include "ui/message_poster.h"

#include <QMetaObject>

#include "ui/post_target.h"
#include "ui/window_impl_base.h"

bool MessagePoster::Post(unsigned message, quintptr wParam, qintptr lParam) const {
    return Post(message, wParam, lParam, nullptr);
}

bool MessagePoster::Post(unsigned message, quintptr wParam, qintptr lParam,
                         std::shared_ptr<const void> keepAlive) const {
    if (!target_) {
        return false;
    }
    const std::lock_guard lock(target_->mutex);
    if (target_->host == nullptr) {
        return false;
    }
    WindowImplBase* window = target_->window;
    // An event queued for the host is dropped, functor and all, if the window goes first.
    QMetaObject::invokeMethod(
        target_->host,
        [window, message, wParam, lParam, keepAlive = std::move(keepAlive)] {
            window->DeliverMessage(message, wParam, lParam);
        },
        Qt::QueuedConnection);
    return true;
}
