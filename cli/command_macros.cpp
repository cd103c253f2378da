// talvorectl macros: the stored macros, one per line. Only reads: nothing is ever written.
#include "cli/cli_support.h"
#include "macro/macro_store.h"

namespace {

constexpr char kUsage[] = "macros";

int RunMacros(const QStringList& args, CommandContext& context) {
    if (!args.isEmpty()) {
        return UsageError(context, kUsage);
    }
    MacroStore store(StoreDataFolder(context).path);
    if (const StoreLoad load = store.Load(); load.condition == StoreCondition::Unusable) {
        return FailStore(context, load);
    }
    for (int i = 0; i < store.Count(); ++i) {
        PrintLine(context.out, QStringLiteral("%1\t%2\t%3")
                                   .arg(i)
                                   .arg(ListedName(store.NameAt(i)))
                                   .arg(UsableActionCount(store.At(i))));
    }
    return kExitOk;
}

const CommandRegistrar registrar({"macros", kUsage,
                                  "List the stored macros: index, name, number of actions.",
                                  RunMacros});

}  // namespace
