#include "drivers/hidapi_lock/hidapi_lock.h"

#include <mutex>

namespace {

std::recursive_mutex& Lock() {
    static std::recursive_mutex lock;
    return lock;
}

}  // namespace

extern "C" {

void TalvoreHidapiLock(void) {
    Lock().lock();
}

void TalvoreHidapiUnlock(void) {
    Lock().unlock();
}

}  // extern "C"
