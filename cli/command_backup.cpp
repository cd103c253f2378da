// talvorectl backup FILE: every profile, the selection and every macro in one file. Only reads
// the stores.
#include "cli/cli_support.h"
#include "exchange/store_backup.h"
#include "page/profile_store.h"

namespace {

constexpr char kUsage[] = "backup FILE";

int RunBackup(const QStringList& args, CommandContext& context) {
    if (args.size() != 1) {
        return UsageError(context, kUsage);
    }
    CliTexts texts(context.programFolder);
    ProfileStore store(StoreDataFolder(context).path, texts);
    {
        // One reading of both stores: a writer's commit is seen whole or not at all.
        StoreFolderLock lock(store.Folder(), StoreFolderLock::Mode::Shared);
        if (const auto ended = ReadProfilesOnly(store, context)) {
            return *ended;
        }
        const StoreLoad macros = store.Macros().LoadLocked();
        if (macros.condition == StoreCondition::Unusable) {
            return FailStore(context, macros);
        }
        if (macros.condition == StoreCondition::Partial) {
            WarnPartialStore(context, macros);
        }
    }
    const NativePath out = PathArgument(context, 0);
    if (IsStoreFile(store.Folder(), out)) {
        return FailWrite(context, {FileError::IsStore, out});
    }
    const StoreBackup backup = BackupOf(store);
    const QByteArray bytes = EncodeBackup(backup);
    if (const FileError error = WriteFileAtomically(
            out,
            [&bytes](QIODevice& file) { return WriteAll(file, bytes.constData(), bytes.size()); });
        error != FileError::None) {
        return FailWrite(context, {error, out});
    }
    PrintLine(context.out, QStringLiteral("%1 profiles (selected: %2) and %3 macros written to %4")
                               .arg(backup.ProfileCount())
                               .arg(ListedName(ProfileName(store.At(backup.SelectedIndex()))))
                               .arg(backup.MacroCount())
                               .arg(out.Display()));
    return kExitOk;
}

const CommandRegistrar registrar({"backup", kUsage,
                                  "Write every profile, the selection and every macro into one "
                                  "file.",
                                  RunBackup});

}  // namespace
