// talvorectl show FILE.pro: a profile's settings as JSON, by their record names, with the bytes
// the names do not cover, so that `import FILE.json` gives back the same record.
#include "cli/cli_support.h"
#include "cli/profile_file.h"
#include "exchange/profile_json.h"

namespace {

constexpr char kUsage[] = "show FILE.pro|FILE.json";

int RunShow(const QStringList& args, CommandContext& context) {
    if (args.size() != 1) {
        return UsageError(context, kUsage);
    }
    QString error;
    auto record = ReadProfileFile(PathArgument(context, 0), error);
    if (!record) {
        return Fail(context, kExitBadInput, error);
    }
    const QByteArray json = ProfileToJson(*record);
    std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), context.out);
    return kExitOk;
}

const CommandRegistrar registrar({"show", kUsage,
                                  "Print a profile file's settings as JSON (what import and "
                                  "export take as FILE.json).",
                                  RunShow});

}  // namespace
