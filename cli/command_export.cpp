// talvorectl export INDEX OUT.pro|OUT.json: one stored profile as a *.pro file, or as the JSON
// `show` prints.
#include "cli/cli_support.h"
#include "cli/profile_file.h"
#include "exchange/profile_json.h"
#include "page/profile_store.h"

namespace {

constexpr char kUsage[] = "export INDEX OUT.pro|OUT.json";

StoreWriteResult ExportJson(ProfileStore& store, int index, const NativePath& out) {
    if (IsStoreFile(store.Folder(), out)) {
        return {FileError::IsStore, out};
    }
    const QByteArray json = ProfileToJson(store.At(index));
    const FileError error = WriteFileAtomically(
        out, [&json](QIODevice& file) { return WriteAll(file, json.constData(), json.size()); });
    return {error, out};
}

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
    const NativePath out = PathArgument(context, 1);
    const StoreWriteResult written =
        IsJsonProfilePath(out) ? ExportJson(store, *index, out) : store.ExportProfile(*index, out);
    if (!written) {
        return FailWrite(context, written);
    }
    return kExitOk;
}

const CommandRegistrar registrar({"export", kUsage,
                                  "Write a stored profile to a profile file, or as JSON when the "
                                  "name ends in .json.",
                                  RunExport});

}  // namespace
