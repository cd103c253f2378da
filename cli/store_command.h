// Commands that change the stores (import, import-macro). While a program uses a data folder it
// is the only writer of that folder's stores: it holds the data folder's lock exclusively for its
// whole run. Such a command therefore tries the lock shared, without waiting. When it gets it, no
// program runs there; it keeps it for the whole command (a program that starts meanwhile waits)
// and does the work itself, under the store folder's exclusive lock from its reading to its
// commit. When it does not, it hands the command to the running program and prints its answer.
#pragma once

#include <functional>
#include <memory>

#include <QByteArrayList>
#include <QString>

#include "cli/command.h"
#include "macro/store_file.h"

// The data folder's lock for a command that does its work itself.
class DataFolderHold {
public:
    DataFolderHold(CommandContext& context, NativePath folder,
                   std::unique_ptr<StoreFolderLock> lock);
    // Call once the command's input has been checked, before anything is written: creates the
    // data folder when it is missing and takes its lock. False (after telling the user) when that
    // could not be done, a program having taken the folder meanwhile.
    bool Hold();

private:
    CommandContext& context_;
    NativePath folder_;
    std::unique_ptr<StoreFolderLock> lock_;
};

// Runs `here` while no program uses the data folder; otherwise sends the command with `args`
// (file names made absolute) to the program and prints its answer. Returns the exit code.
int RunStoreCommand(CommandContext& context, const QString& dataFolder, const QString& command,
                    const QByteArrayList& args, const std::function<int(DataFolderHold&)>& here);

// A file name as another process reads it: absolute (from our working folder), bytes kept.
QByteArray AbsolutePathBytes(const NativePath& path);
