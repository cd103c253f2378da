#include "macro/dialogs/capture_mode.h"

#include <QString>
#include <QtGlobal>

namespace {

std::optional<CaptureMode>& Override() {
    static std::optional<CaptureMode> mode;
    return mode;
}

bool IsSet(const char* name) {
    return !qEnvironmentVariableIsEmpty(name);
}

}  // namespace

CaptureMode CurrentCaptureMode() {
    if (Override()) {
        return *Override();
    }
    const bool wayland =
        IsSet("WAYLAND_DISPLAY") ||
        qEnvironmentVariable("XDG_SESSION_TYPE")
                .compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0 ||
        qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("wayland"));
    if (wayland) {
        return CaptureMode::OwnWindow;
    }
    return IsSet("DISPLAY") ? CaptureMode::GlobalHook : CaptureMode::OwnWindow;
}

void OverrideCaptureMode(std::optional<CaptureMode> mode) {
    Override() = mode;
}
