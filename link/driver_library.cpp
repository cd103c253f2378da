#include "link/driver_library.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcLibraries, "talvore.libraries")

namespace {

// Loads the library and runs bind; keeps nothing when the library is missing or incomplete.
template <typename Table, typename Bind>
bool LoadAndBind(DynamicLibrary& library, Table& table, QString& error, const QString& path,
                 Bind bind) {
    table = Table{};
    if (!library.Load(path)) {
        error = library.ErrorString();
        qCInfo(lcLibraries) << "not loaded:" << error;
        return false;
    }
    ExportBinder binder(library);
    bind(binder, table);
    if (!binder.Complete()) {
        error = QStringLiteral("%1 lacks %2").arg(path, binder.Missing().join(QLatin1String(", ")));
        qCWarning(lcLibraries) << error;
        table = Table{};
        library.Unload();
        return false;
    }
    error.clear();
    return true;
}

}  // namespace

bool DriverLibrary::Load(const QString& path) {
    return LoadAndBind(library_, functions_, error_, path, [](ExportBinder& b, DriverFunctions& f) {
        b.Bind("Set_VIDPID", f.Set_VIDPID)
            .Bind("Open_DevMonitor", f.Open_DevMonitor)
            .Bind("Close_DevMonitor", f.Close_DevMonitor)
            .Bind("Open_FeatureDevice", f.Open_FeatureDevice)
            .Bind("Close_FeatureDevice", f.Close_FeatureDevice)
            .Bind("SetFeature", f.SetFeature)
            .Bind("GetFeature", f.GetFeature);
    });
}

void DriverLibrary::Unload() {
    functions_ = DriverFunctions{};
    library_.Unload();
}

bool HookLibrary::Load(const QString& path) {
    return LoadAndBind(library_, table_, error_, path, [](ExportBinder& b, HookTable& t) {
        b.Bind("installmousehook", t.installmousehook)
            .Bind("removemousehook", t.removemousehook)
            .Bind("enablemousehook", t.enablemousehook)
            .Bind("installhook", t.installhook)
            .Bind("removehook", t.removehook)
            .Bind("enablehook", t.enablehook)
            .Bind("mousewheelenable", t.mousewheelenable);
    });
}

void HookLibrary::Unload() {
    table_ = HookTable{};
    library_.Unload();
}
