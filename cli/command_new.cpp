// talvorectl new NAME OUT.pro: a profile file with the default settings.
#include <QFile>

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
    const auto record = CreateBlankRecord(name);
    if (!WriteFileWhole(args[1], [&](QIODevice& file) {
            return WriteAll(file, record.get(), sizeof(ProfileRecord));
        })) {
        return Fail(context, kExitBadInput, QStringLiteral("cannot write %1").arg(args[1]));
    }
    return kExitOk;
}

const CommandRegistrar registrar({"new", kUsage, "Write a profile file with the default settings.",
                                  RunNew});

}  // namespace
