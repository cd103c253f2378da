// The hint for a mouse that is there but may not be opened by this user (its hidraw nodes belong
// to root until the device rules are installed). Without it the mouse would only look absent.
#pragma once

#include <functional>

#include "sys/device_access.h"

class DeviceAccessNotice {
public:
    using Diagnosis = std::function<DeviceAccessReport()>;

    inline static constexpr char kTextKey[] = "device_access_text";

    // Without a diagnosis (the demo's simulated mouse) nothing is ever refused.
    void SetDiagnosis(Diagnosis diagnosis) { diagnosis_ = std::move(diagnosis); }

    // Looks at the mouse's nodes again; true when one of them is refused.
    bool Look();
    // Looks again after a link change; true only the first time in a run that a refusal is seen,
    // when the hint is to be shown without being asked for.
    bool ShouldShowOnce();
    bool Refused() const { return refused_; }

private:
    Diagnosis diagnosis_;
    bool refused_ = false;
    bool shown_ = false;
};
