// talvorectl import-macro FILE.macro: add a macro file to the macro store.
#include "cli/cli_support.h"
#include "macro/macro_store.h"

namespace {

constexpr char kUsage[] = "import-macro FILE.macro";

int RunImportMacro(const QStringList& args, CommandContext& context) {
    if (args.size() != 1) {
        return UsageError(context, kUsage);
    }
    const auto folder = WritableDataFolder(context);
    if (!folder) {
        return kExitBadInput;
    }
    MacroStore store(*folder);
    if (const StoreLoad load = store.Load(); !load.Writable()) {
        return FailStore(context, load);
    }
    StoreWriteResult failure;
    store.SetSaveFailedHandler([&failure](const StoreWriteResult& result) { failure = result; });
    const NativePath path = PathArgument(context, 0);
    const ImportResult result = store.Import(path);
    if (result.error == ImportError::CannotSave) {
        return FailWrite(context, failure);
    }
    if (result.error == ImportError::Refused) {
        return Fail(context, kExitBadInput, RefusedImportText(path, result));
    }
    if (!result.Ok()) {
        return Fail(context, kExitBadInput, DescribeImportError(result.error, path, "macro"));
    }
    PrintLine(context.out, ListedName(result.name));
    return kExitOk;
}

const CommandRegistrar registrar({"import-macro", kUsage,
                                  "Add a macro file to the macro store; prints its name.",
                                  RunImportMacro});

}  // namespace
