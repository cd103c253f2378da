// A copyable, thread-safe way to post window messages to one window. Worker threads and device
// callbacks keep one instead of a window pointer: posting after the window is gone does nothing.
#pragma once

#include <QtGlobal>
#include <memory>

struct PostTarget;

class MessagePoster {
public:
    MessagePoster() = default;
    explicit MessagePoster(std::shared_ptr<PostTarget> target) : target_(std::move(target)) {}

    // Queues the message for the window's HandleCustomMessage on the UI thread. Messages posted
    // from one thread arrive in the order they were posted. False when the window is gone.
    bool Post(unsigned message, quintptr wParam = 0, qintptr lParam = 0) const;
    // As Post; `keepAlive` lives until the message has been handled (or dropped), so wParam can
    // point into it.
    bool Post(unsigned message, quintptr wParam, qintptr lParam,
              std::shared_ptr<const void> keepAlive) const;

private:
    std::shared_ptr<PostTarget> target_;
};
