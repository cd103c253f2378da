// talvorectl import-macro FILE.macro: add a macro file to the macro store.
#include "cli/cli_support.h"
#include "macro/macro_store.h"

namespace {

constexpr char kUsage[] = "import-macro FILE.macro";

int RunImportMacro(const QStringList& args, CommandContext& context) {
    if (args.size() != 1) {
        return UsageError(context, kUsage);
    }
    MacroStore store(StoreDataFolder(context));
    store.Load();
    const ImportResult result = store.Import(args[0]);
    if (!result.Ok()) {
        return Fail(context, kExitBadInput, DescribeImportError(result.error, args[0], "macro"));
    }
    PrintLine(context.out, result.name);
    return kExitOk;
}

const CommandRegistrar registrar({"import-macro", kUsage,
                                  "Add a macro file to the macro store; prints its name.",
                                  RunImportMacro});

}  // namespace
