// talvorectl select NAME: makes a stored profile the selected one, as a click on its row. While
// talvore runs on the same data the program selects it, so the page, the mouse and the store agree.
#include "cli/cli_support.h"
#include "cli/store_command.h"
#include "page/profile_store.h"

namespace {

constexpr char kUsage[] = "select NAME";

int RunSelect(const QStringList& args, CommandContext& context) {
    if (args.size() != 1) {
        return UsageError(context, kUsage);
    }
    const QString name = args.front();
    const auto folder = WritableDataFolder(context);
    if (!folder) {
        return kExitBadInput;
    }
    return RunStoreCommand(
        context, *folder, QStringLiteral("select"), {name.toUtf8()}, [&](DataFolderHold& hold) {
            if (!hold.Hold()) {
                return kExitBadInput;
            }
            CliTexts texts(context.programFolder);
            ProfileStore store(*folder, texts);
            const ProfileStore::Loads loads = store.ReadForChange();
            if (!loads.profiles.Writable()) {
                return FailStore(context, loads.profiles);
            }
            int index = -1;
            for (int i = 0; i < store.Count() && index < 0; ++i) {
                if (ProfileName(store.At(i)) == name) {
                    index = i;
                }
            }
            if (index < 0) {
                return Fail(context, kExitBadInput,
                            QStringLiteral("no profile is named %1; nothing was changed")
                                .arg(ListedName(name)));
            }
            store.Select(index);
            if (const StoreWriteResult saved = store.SaveProfiles(); !saved) {
                return FailWrite(context, saved);
            }
            PrintLine(context.out, ListedName(name));
            return kExitOk;
        });
}

const CommandRegistrar registrar({"select", kUsage,
                                  "Select the profile of that name (as a click on its row). While "
                                  "talvore runs on the same data, it selects it and sends it to "
                                  "the mouse.",
                                  RunSelect});

}  // namespace
