// The seven entry points of a USB driver library, bound by export name; all null until bound and
// whenever the library did not load. Nothing of an unbound library is ever called.
#pragma once

#include "link/driver_abi.h"

struct DriverFunctions {
    TalvoreSetVidPid Set_VIDPID = nullptr;
    TalvoreOpenDevMonitor Open_DevMonitor = nullptr;
    TalvoreCloseDevMonitor Close_DevMonitor = nullptr;
    TalvoreOpenFeatureDevice Open_FeatureDevice = nullptr;
    TalvoreCloseFeatureDevice Close_FeatureDevice = nullptr;
    TalvoreSetFeature SetFeature = nullptr;
    TalvoreGetFeature GetFeature = nullptr;

    bool Bound() const {
        return Set_VIDPID != nullptr && Open_DevMonitor != nullptr && Close_DevMonitor != nullptr &&
               Open_FeatureDevice != nullptr && Close_FeatureDevice != nullptr &&
               SetFeature != nullptr && GetFeature != nullptr;
    }
};

// The seven entry points of the input hook library, in the order the program binds them.
struct HookTable {
    TalvoreInstallHook installmousehook = nullptr;
    TalvoreRemoveHook removemousehook = nullptr;
    TalvoreEnableHook enablemousehook = nullptr;
    TalvoreInstallHook installhook = nullptr;
    TalvoreRemoveHook removehook = nullptr;
    TalvoreEnableHook enablehook = nullptr;
    TalvoreEnableHook mousewheelenable = nullptr;

    bool Bound() const {
        return installmousehook != nullptr && removemousehook != nullptr &&
               enablemousehook != nullptr && installhook != nullptr && removehook != nullptr &&
               enablehook != nullptr && mousewheelenable != nullptr;
    }
};
