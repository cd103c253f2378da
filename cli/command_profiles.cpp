// talvorectl profiles: the stored profiles, one per line. Only reads: nothing is ever written.
#include "cli/cli_support.h"
#include "page/profile_store.h"

namespace {

constexpr char kUsage[] = "profiles";

int RunProfiles(const QStringList& args, CommandContext& context) {
    if (!args.isEmpty()) {
        return UsageError(context, kUsage);
    }
    CliTexts texts(context.programFolder);
    ProfileStore store(StoreDataFolder(context).path, texts);
    if (const auto ended = ReadProfilesOnly(store, context)) {
        return *ended;
    }
    for (int i = 0; i < store.Count(); ++i) {
        QString line = QStringLiteral("%1\t%2").arg(i).arg(ListedName(ProfileName(store.At(i))));
        if (i == store.SelectedIndex()) {
            line += QLatin1String("\tselected");
        }
        PrintLine(context.out, line);
    }
    return kExitOk;
}

const CommandRegistrar registrar({"profiles", kUsage,
                                  "List the stored profiles: index, name, and which is selected.",
                                  RunProfiles});

}  // namespace
