// talvorectl import FILE.pro|FILE.json: add a profile file, or the JSON `show` prints, to the
// store, as the window's import does.
#include "cli/cli_support.h"
#include "cli/profile_file.h"
#include "page/profile_store.h"

namespace {

constexpr char kUsage[] = "import FILE.pro|FILE.json";

int RunImport(const QStringList& args, CommandContext& context) {
    if (args.size() != 1) {
        return UsageError(context, kUsage);
    }
    // Everything is checked before the store is written, so a refused import changes nothing.
    QString error;
    auto record = ReadProfileFile(PathArgument(context, 0), error);
    if (!record) {
        return Fail(context, kExitBadInput, error);
    }
    const auto folder = WritableDataFolder(context);
    if (!folder) {
        return kExitBadInput;
    }
    CliTexts texts(context.programFolder);
    ProfileStore store(*folder, texts);
    // Writing over a store that holds more than could be read would destroy it.
    if (const StoreLoad load = store.ReadProfiles(); !load.Writable()) {
        return FailStore(context, load);
    }
    if (const StoreLoad load = store.Macros().Load(); !load.Writable()) {
        return FailStore(context, load);
    }
    if (store.Count() == 0) {
        store.AddDefaultProfile();  // the store the program would have started with
    }
    StoreWriteResult failure;
    store.SetSaveFailedHandler([&failure](const StoreWriteResult& result) { failure = result; });
    const ImportResult result = store.ImportProfileRecord(std::move(record));
    if (!result.Ok()) {
        return FailWrite(context, failure);
    }
    PrintLine(context.out, ListedName(result.name));
    return kExitOk;
}

const CommandRegistrar registrar(
    {"import", kUsage,
     "Add a profile file (or its JSON) to the store and select it; prints "
     "its name.",
     RunImport});

}  // namespace
