// The main window's timers and messages as the page's link handling uses them.
#pragma once

#include <functional>

#include "link/device_view.h"
#include "ui/controls.h"

class WindowImplBase;

class PageWindowServices final : public WindowServices {
public:
    // chargeBar carries the charge animation's control timer; wait blocks the UI thread.
    PageWindowServices(WindowImplBase& window, Progress chargeBar, std::function<void(int)> wait)
        : window_(window), chargeBar_(std::move(chargeBar)), wait_(std::move(wait)) {}

    void SetTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    void StartChargeTimer() override;
    void StopChargeTimer() override;
    void PostMessage(uint32_t message, uint64_t wParam, int64_t lParam) override;
    void Wait(int milliseconds) override;

private:
    WindowImplBase& window_;
    Progress chargeBar_;
    std::function<void(int)> wait_;
};
