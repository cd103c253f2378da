// talvorectl: profiles, macros and reports of the TALVORE mouse from the command line.
#include <QCoreApplication>

#include "cli/command.h"
#include "sys/folders.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.front() == QLatin1String("--help") ||
        args.front() == QLatin1String("-h")) {
        PrintUsage(args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? kExitUsage : kExitOk;
    }
    const CommandInfo* command = FindCommand(args.front());
    if (command == nullptr) {
        PrintLine(stderr, QStringLiteral("talvorectl: unknown command '%1'").arg(args.front()));
        PrintUsage(stderr);
        return kExitUsage;
    }
    args.removeFirst();
    CommandContext context;
    context.programFolder = GetProgramFolder();
    // File names are taken as the bytes they are: not every name that exists is valid UTF-8.
    for (int i = 2; i < argc; ++i) {
        context.rawArgs.append(QByteArray(argv[i]));
    }
    return command->run(args, context);
}
