// What talvorectl's commands share: the texts for default names, the data folder, argument and
// error helpers.
#pragma once

#include <optional>

#include <QString>

#include "cli/command.h"
#include "macro/import_result.h"
#include "macro/store_file.h"
#include "sys/folders.h"
#include "sys/language_file.h"

class ProfileStore;

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

// The data folder the program would use (Data/ beside it, or the XDG data folder), without
// creating anything.
DataFolderChoice StoreDataFolder(const CommandContext& context);
// For commands that write a store: the data folder, or nothing after telling the user that no
// data folder can be written.
std::optional<QString> WritableDataFolder(CommandContext& context);

// Argument i (counted after the command name) as a file name: its bytes as given.
NativePath PathArgument(const CommandContext& context, int index);

// A non-negative decimal index, or nothing.
std::optional<int> ParseIndex(const QString& text);

// Prints "talvorectl: <message>" to the error stream and returns the exit code.
int Fail(CommandContext& context, int exitCode, const QString& message);
int UsageError(CommandContext& context, const char* usage);
// Exit 2 for a store that could not be written; nothing was changed.
int FailWrite(CommandContext& context, const StoreWriteResult& result);
// Exit 2 for a store file that is there but cannot be used, or that another writer kept locked;
// nothing was changed.
int FailStore(CommandContext& context, const StoreLoad& load);
// A warning on the error stream for a store whose damaged tail was left out.
void WarnPartialStore(CommandContext& context, const StoreLoad& load);
// Reads pro.data for a command that only reads it: an unusable store ends the command (the exit
// code is returned), a damaged tail is warned about, and a missing store reads as the one default
// profile the program would start with, which is not written. Nothing: go on with `store`.
std::optional<int> ReadProfilesOnly(ProfileStore& store, CommandContext& context);

// A name from a file, printable on one line of a listing (control characters, line separators and
// the controls that change the reading direction escaped).
QString ListedName(const QString& name);
