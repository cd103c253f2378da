// What talvorectl's commands share: the texts for default names, the store folder, argument and
// error helpers.
#pragma once

#include <optional>

#include <QString>

#include "cli/command.h"
#include "macro/import_result.h"
#include "sys/language_file.h"

// The English language file of the program folder, with the two default-name words built in so
// the tool works without res/.
class CliTexts final : public TextLookup {
public:
    explicit CliTexts(const QString& programFolder);
    QString Text(const QString& key) const override;

private:
    LanguageFile file_;
    bool loaded_ = false;
};

// The data folder of the program folder (Data/), where ms_1/ holds the stores.
QString StoreDataFolder(const CommandContext& context);

// A non-negative decimal index, or nothing.
std::optional<int> ParseIndex(const QString& text);

// Prints "talvorectl: <message>" to the error stream and returns the exit code.
int Fail(CommandContext& context, int exitCode, const QString& message);
int UsageError(CommandContext& context, const char* usage);

// Why an import file was refused, for the error stream.
QString DescribeImportError(ImportError error, const QString& path, const char* what);
