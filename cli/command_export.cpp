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
    const StoreLoad load = store.ReadProfiles();
    switch (load.condition) {
        case StoreCondition::Unusable:
            return FailStore(context, load);
        case StoreCondition::Partial:
            WarnPartialStore(context, load);
            break;
        case StoreCondition::Missing:
            // Without a store the program would start with one default profile; it is not
            // written here.
            store.AddDefaultProfile();
            break;
        case StoreCondition::Whole:
            break;
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
