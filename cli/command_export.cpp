// talvorectl export INDEX OUT.pro: one stored profile as a *.pro file.
#include "cli/cli_support.h"
#include "page/profile_store.h"

namespace {

constexpr char kUsage[] = "export INDEX OUT.pro";

int RunExport(const QStringList& args, CommandContext& context) {
    const auto index = args.size() == 2 ? ParseIndex(args[0]) : std::nullopt;
    if (!index) {
        return UsageError(context, kUsage);
    }
    CliTexts texts(context.programFolder);
    ProfileStore store(StoreDataFolder(context).path, texts);
    if (const auto ended = ReadProfilesOnly(store, context)) {
        return *ended;
    }
    if (*index >= store.Count()) {
        return Fail(context, kExitUsage,
                    QStringLiteral("no profile %1; there are %2").arg(*index).arg(store.Count()));
    }
    if (const StoreWriteResult written = store.ExportProfile(*index, PathArgument(context, 1));
        !written) {
        return FailWrite(context, written);
    }
    return kExitOk;
}

const CommandRegistrar registrar({"export", kUsage, "Write a stored profile to a profile file.",
                                  RunExport});

}  // namespace
