// talvorectl restore FILE: puts a backup's profiles, selection and macros in place of the stores,
// in one commit, keeping the replaced store files aside. While talvore runs on the same data, the
// program restores it, so its page shows the restored profiles and sends the selected one.
#include "cli/cli_support.h"
#include "cli/store_command.h"
#include "exchange/backup_restore.h"
#include "page/profile_store.h"

namespace {

constexpr char kUsage[] = "restore FILE";

int RunRestore(const QStringList& args, CommandContext& context) {
    if (args.size() != 1) {
        return UsageError(context, kUsage);
    }
    // The whole backup is read and checked before anything is touched: a damaged one changes
    // nothing.
    const NativePath file = PathArgument(context, 0);
    const BackupRead read = ReadBackupFile(file);
    if (!read.backup) {
        return Fail(context, kExitBadInput, read.error + QStringLiteral("; nothing was changed"));
    }
    const auto folder = WritableDataFolder(context);
    if (!folder) {
        return kExitBadInput;
    }
    return RunStoreCommand(
        context, *folder, QStringLiteral("restore"), {AbsolutePathBytes(file)},
        [&](DataFolderHold& hold) {
            if (!hold.Hold()) {
                return kExitBadInput;
            }
            CliTexts texts(context.programFolder);
            ProfileStore store(*folder, texts);
            // Stores in any state are replaced (a damaged one is kept aside as it is); only a
            // folder another writer keeps stops the restore.
            if (const ProfileStore::Loads loads = store.ReadForChange();
                loads.profiles.condition == StoreCondition::Busy) {
                return FailStore(context, loads.profiles);
            }
            const RestoreOutcome outcome = RestoreBackup(store, *read.backup, file);
            if (!outcome.done) {
                return Fail(context, kExitBadInput, outcome.error);
            }
            for (const QString& line : outcome.lines) {
                PrintLine(context.out, line);
            }
            return kExitOk;
        });
}

const CommandRegistrar registrar({"restore", kUsage,
                                  "Put a backup's profiles, selection and macros in place of the "
                                  "stored ones, keeping the replaced stores aside. While talvore "
                                  "runs on the same data, it does the restore.",
                                  RunRestore});

}  // namespace
