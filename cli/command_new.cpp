// talvorectl new NAME OUT.pro: a profile file with the default settings.
#include "cli/cli_support.h"
#include "macro/store_file.h"
#include "page/profile_store.h"

namespace {

constexpr char kUsage[] = "new NAME OUT.pro";

int RunNew(const QStringList& args, CommandContext& context) {
    if (args.size() != 2) {
        return UsageError(context, kUsage);
    }
    const QString& name = args[0];
    if (name.isEmpty() || name.size() > kProfileNameMaxLength) {
        return Fail(
            context, kExitUsage,
            QStringLiteral("a profile name has 1 to %1 characters").arg(kProfileNameMaxLength));
    }
    const NativePath out = PathArgument(context, 1);
    const NativePath storeFolder(StoreDataFolder(context).path + QLatin1String("ms_1"));
    if (IsStoreFile(storeFolder, out)) {
        return FailWrite(context, {FileError::IsStore, out});
    }
    const auto record = CreateBlankRecord(name);
    const FileError error = WriteFileAtomically(
        out, [&](QIODevice& file) { return WriteAll(file, record.get(), sizeof(ProfileRecord)); });
    if (error != FileError::None) {
        return FailWrite(context, {error, out});
    }
    return kExitOk;
}

const CommandRegistrar registrar({"new", kUsage, "Write a profile file with the default settings.",
                                  RunNew});

}  // namespace
