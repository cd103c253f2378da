// talvorectl import FILE.pro|FILE.json: add a profile file, or the JSON `show` prints, to the
// store, as the window's import does.
#include "cli/cli_support.h"
#include "cli/profile_file.h"
#include "cli/store_command.h"
#include "page/profile_store.h"

namespace {

constexpr char kUsage[] = "import FILE.pro|FILE.json";

int RunImport(const QStringList& args, CommandContext& context) {
    if (args.size() != 1) {
        return UsageError(context, kUsage);
    }
    // Everything is checked before the store is written, so a refused import changes nothing.
    const NativePath file = PathArgument(context, 0);
    QString error;
    auto record = ReadProfileFile(file, error);
    if (!record) {
        return Fail(context, kExitBadInput, error);
    }
    const auto folder = WritableDataFolder(context);
    if (!folder) {
        return kExitBadInput;
    }
    return RunStoreCommand(
        context, *folder, QStringLiteral("import"), {AbsolutePathBytes(file)},
        [&](DataFolderHold& hold) {
            if (!hold.Hold()) {
                return kExitBadInput;
            }
            CliTexts texts(context.programFolder);
            ProfileStore store(*folder, texts);
            // Read under the lock the commit keeps to: no other writer comes in between.
            const ProfileStore::Loads loads = store.ReadForChange();
            // Writing over a store that holds more than could be read would destroy it.
            for (const StoreLoad* load : {&loads.profiles, &loads.macros}) {
                if (!load->Writable()) {
                    return FailStore(context, *load);
                }
            }
            if (store.Count() == 0) {
                store.AddDefaultProfile();  // the store the program would have started with
            }
            const ImportResult result = store.ImportProfileRecord(std::move(record));
            if (!result.Ok()) {
                return Fail(context, kExitBadInput, DescribeImportError(result, file, "profile"));
            }
            PrintLine(context.out, ListedName(result.name));
            return kExitOk;
        });
}

const CommandRegistrar registrar({"import", kUsage,
                                  "Add a profile file (or its JSON) to the store and select it; "
                                  "prints its name. While talvore runs on the same data, it does "
                                  "the import.",
                                  RunImport});

}  // namespace
