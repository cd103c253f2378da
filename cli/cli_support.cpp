#include "cli/cli_support.h"

#include "page/profile_store.h"

#include "sys/printable_text.h"
#include "sys/program_layout.h"

CliTexts::CliTexts(const QString& programFolder) {
    loaded_ = file_.Load(ResourceFolderOf(programFolder) + QLatin1String("lan/EN.xml"));
}

QString CliTexts::Text(const QString& key) const {
    if (loaded_ && file_.Contains(key)) {
        return file_.Text(key);
    }
    if (key == QLatin1String("add_profile_text")) {
        return QStringLiteral("Profile");
    }
    if (key == QLatin1String("add_macro_text")) {
        return QStringLiteral("Macro");
    }
    return {};
}

DataFolderChoice StoreDataFolder(const CommandContext& context) {
    return ChooseDataFolder(context.programFolder);
}

std::optional<QString> WritableDataFolder(CommandContext& context) {
    const DataFolderChoice choice = StoreDataFolder(context);
    if (!choice.writable) {
        QString program = context.programFolder;
        if (!program.endsWith(QLatin1Char('/'))) {
            program += QLatin1Char('/');
        }
        Fail(context, kExitBadInput,
             QStringLiteral("no data folder can be written: neither %1 nor %2; nothing was changed")
                 .arg(EscapeControls(program + QLatin1String("Data/")),
                      EscapeControls(XdgDataFolder())));
        return std::nullopt;
    }
    return choice.path;
}

NativePath PathArgument(const CommandContext& context, int index) {
    return NativePath::FromBytes(context.rawArgs.value(index));
}

std::optional<int> ParseIndex(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < 0 || text.startsWith(QLatin1Char('+'))) {
        return std::nullopt;
    }
    return value;
}

int Fail(CommandContext& context, int exitCode, const QString& message) {
    PrintLine(context.err, QStringLiteral("talvorectl: ") + message);
    return exitCode;
}

int UsageError(CommandContext& context, const char* usage) {
    return Fail(context, kExitUsage,
                QStringLiteral("usage: talvorectl %1").arg(QLatin1String(usage)));
}

int FailWrite(CommandContext& context, const StoreWriteResult& result) {
    return Fail(
        context, kExitBadInput,
        DescribeFileError(result.error, result.path) + QLatin1String("; nothing was changed"));
}

int FailStore(CommandContext& context, const StoreLoad& load) {
    if (load.condition == StoreCondition::Busy) {
        return Fail(context, kExitBadInput, load.problem + QLatin1String("; nothing was changed"));
    }
    return Fail(
        context, kExitBadInput,
        load.problem + QLatin1String("; nothing was changed (the program keeps such a file aside "
                                     "under a .damaged name when it starts)"));
}

void WarnPartialStore(CommandContext& context, const StoreLoad& load) {
    PrintLine(context.err,
              QStringLiteral("talvorectl: warning: %1; only its whole records are used")
                  .arg(load.problem));
}

std::optional<int> ReadProfilesOnly(ProfileStore& store, CommandContext& context) {
    const StoreLoad load = store.ReadProfiles();
    switch (load.condition) {
        case StoreCondition::Unusable:
        case StoreCondition::Busy:
            return FailStore(context, load);
        case StoreCondition::Partial:
            WarnPartialStore(context, load);
            break;
        case StoreCondition::Missing:
            store.AddDefaultProfile();
            break;
        case StoreCondition::Whole:
            break;
    }
    return std::nullopt;
}

QString ListedName(const QString& name) {
    return EscapeControls(name);
}
