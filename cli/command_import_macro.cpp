// talvorectl import-macro FILE.macro: add a macro file to the macro store.
#include "cli/cli_support.h"
#include "cli/store_command.h"
#include "macro/macro_store.h"

namespace {

constexpr char kUsage[] = "import-macro FILE.macro";

int RunImportMacro(const QStringList& args, CommandContext& context) {
    if (args.size() != 1) {
        return UsageError(context, kUsage);
    }
    // Everything is checked before the store is written, so a refused import changes nothing.
    const NativePath file = PathArgument(context, 0);
    QByteArray bytes;
    if (const ImportResult read = MacroStore::ReadMacroFile(file, bytes); !read.Ok()) {
        return Fail(context, kExitBadInput, DescribeImportError(read, file, "macro"));
    }
    const auto folder = WritableDataFolder(context);
    if (!folder) {
        return kExitBadInput;
    }
    return RunStoreCommand(context, *folder, QStringLiteral("import-macro"),
                           {AbsolutePathBytes(file)}, [&](DataFolderHold& hold) {
                               if (!hold.Hold()) {
                                   return kExitBadInput;
                               }
                               MacroStore store(*folder);
                               // Read under the lock the commit keeps to: no other writer comes in
                               // between.
                               if (const StoreLoad load = store.ReadForChange(); !load.Writable()) {
                                   return FailStore(context, load);
                               }
                               const ImportResult result = store.ImportBytes(bytes);
                               if (!result.Ok()) {
                                   return Fail(context, kExitBadInput,
                                               DescribeImportError(result, file, "macro"));
                               }
                               PrintLine(context.out, ListedName(result.name));
                               return kExitOk;
                           });
}

const CommandRegistrar registrar({"import-macro", kUsage,
                                  "Add a macro file to the macro store; prints its name. While "
                                  "talvore runs on the same data, it does the import.",
                                  RunImportMacro});

}  // namespace
