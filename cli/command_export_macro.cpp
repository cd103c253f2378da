// talvorectl export-macro INDEX OUT.macro: one stored macro as a *.macro file.
#include "cli/cli_support.h"
#include "macro/macro_store.h"

namespace {

constexpr char kUsage[] = "export-macro INDEX OUT.macro";

int RunExportMacro(const QStringList& args, CommandContext& context) {
    const auto index = args.size() == 2 ? ParseIndex(args[0]) : std::nullopt;
    if (!index) {
        return UsageError(context, kUsage);
    }
    MacroStore store(StoreDataFolder(context).path);
    if (const StoreLoad load = store.Load(); load.condition == StoreCondition::Unusable) {
        return FailStore(context, load);
    }
    if (*index >= store.Count()) {
        return Fail(context, kExitUsage,
                    QStringLiteral("no macro %1; there are %2").arg(*index).arg(store.Count()));
    }
    if (const StoreWriteResult written = store.Export(*index, PathArgument(context, 1)); !written) {
        return FailWrite(context, written);
    }
    return kExitOk;
}

const CommandRegistrar registrar({"export-macro", kUsage, "Write a stored macro to a macro file.",
                                  RunExportMacro});

}  // namespace
