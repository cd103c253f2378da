#include "cli/cli_support.h"

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

QString StoreDataFolder(const CommandContext& context) {
    // The same folder as DataFolderOf(), without creating it: a command that fails leaves no trace.
    QString folder = context.programFolder;
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder + QLatin1String("Data/");
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

QString DescribeImportError(ImportError error, const QString& path, const char* what) {
    switch (error) {
        case ImportError::CannotOpen:
            return QStringLiteral("cannot read %1").arg(path);
        case ImportError::TooShort:
            return QStringLiteral("%1 is shorter than one %2").arg(path, QLatin1String(what));
        case ImportError::None:
            break;
    }
    return {};
}
