#include "page/page_window_services.h"

#include "ui/window_impl_base.h"

void PageWindowServices::SetTimer(int id, int milliseconds) {
    window_.SetTimer(static_cast<unsigned>(id), milliseconds);
}

void PageWindowServices::KillTimer(int id) {
    window_.KillTimer(static_cast<unsigned>(id));
}

void PageWindowServices::StartChargeTimer() {
    window_.SetTimer(chargeBar_, page_timers::kChargeAnimation, page_timers::kChargeAnimationMs);
}

void PageWindowServices::StopChargeTimer() {
    window_.KillTimer(chargeBar_, page_timers::kChargeAnimation);
}

void PageWindowServices::PostMessage(uint32_t message, uint64_t wParam, int64_t lParam) {
    window_.PostMessage(message, static_cast<quintptr>(wParam), static_cast<qintptr>(lParam));
}

void PageWindowServices::Wait(int milliseconds) {
    if (wait_) {
        wait_(milliseconds);
    }
}
