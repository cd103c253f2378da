// talvorectl's commands. Each command lives in its own command_*.cpp and registers itself with a
// static CommandRegistrar, so adding a command touches no other file.
#pragma once

#include <cstdio>
#include <vector>

#include <QByteArrayList>
#include <QString>
#include <QStringList>

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;     // wrong arguments
inline constexpr int kExitBadInput = 2;  // a file that is missing, short or damaged; a write
                                         // that failed; no mouse

struct CommandContext {
    QString programFolder;   // ends in '/'; the stores live in the data folder chosen for it
    QByteArrayList rawArgs;  // the arguments after the command name as argv holds them (bytes)
    std::FILE* out = stdout;
    std::FILE* err = stderr;
};

// Runs with the arguments after the command name; returns the exit code.
using CommandFunction = int (*)(const QStringList& args, CommandContext& context);

struct CommandInfo {
    const char* name;
    const char* usage;  // e.g. "show FILE.pro"
    const char* summary;
    CommandFunction run;
};

class CommandRegistrar {
public:
    explicit CommandRegistrar(const CommandInfo& info);
};

const CommandInfo* FindCommand(const QString& name);
// Every command, by name.
std::vector<CommandInfo> AllCommands();

// Writes a UTF-8 line to the stream.
void PrintLine(std::FILE* stream, const QString& line);
