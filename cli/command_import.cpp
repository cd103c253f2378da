// talvorectl import FILE.pro: add a profile file to the store, as the window's import does.
#include "cli/cli_support.h"
#include "cli/profile_file.h"
#include "page/profile_store.h"

namespace {

constexpr char kUsage[] = "import FILE.pro";

int RunImport(const QStringList& args, CommandContext& context) {
    if (args.size() != 1) {
        return UsageError(context, kUsage);
    }
    // The file is checked before the store is touched, so a refused file changes nothing.
    QString error;
    auto record = ReadProfileFile(args[0], error);
    if (!record) {
        return Fail(context, kExitBadInput, error);
    }
    CliTexts texts(context.programFolder);
    ProfileStore store(StoreDataFolder(context), texts);
    store.LoadProfiles();
    const ImportResult result = store.ImportProfileRecord(std::move(record));
    if (!store.SaveProfiles()) {
        return Fail(context, kExitBadInput,
                    QStringLiteral("cannot write %1").arg(store.FilePath()));
    }
    PrintLine(context.out, result.name);
    return kExitOk;
}

const CommandRegistrar registrar({"import", kUsage,
                                  "Add a profile file to the store and select it; prints its name.",
                                  RunImport});

}  // namespace
