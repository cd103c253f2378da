// What a MessagePoster points at; cleared under the lock when the window goes.
#pragma once

#include <mutex>

class QObject;
class WindowImplBase;

struct PostTarget {
    std::mutex mutex;
    WindowImplBase* window = nullptr;
    QObject* host = nullptr;
};
