// talvorectl: profiles, macros and reports of the TALVORE mouse from the command line.
#include <cerrno>
#include <cstring>

#include <QCoreApplication>

#include "cli/command.h"
#include "cli/manual.h"
#include "sys/folders.h"

namespace {

// Output that never reached its reader (a full disk, /dev/full, a closed pipe) is a failure, not
// a success: the last flush and the close are checked.
int FinishOutput(int exitCode) {
    const bool written = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    const int error = errno;
    const bool closed = std::fclose(stdout) == 0;
    if (written && closed) {
        return exitCode;
    }
    PrintLine(stderr, QStringLiteral("talvorectl: the output could not be written: %1")
                          .arg(QString::fromLocal8Bit(std::strerror(written ? errno : error))));
    return exitCode == kExitOk ? kExitBadInput : exitCode;
}

int Run(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.front() == QLatin1String("--help") ||
        args.front() == QLatin1String("-h")) {
        PrintHelp(args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? kExitUsage : kExitOk;
    }
    if (args.front() == QLatin1String("--version")) {
        PrintVersion(stdout);
        return kExitOk;
    }
    // For the build: the manual page, from the texts --help prints.
    if (args.front() == QLatin1String("--manpage")) {
        const QByteArray page = ManualPage().toUtf8();
        std::fwrite(page.constData(), 1, static_cast<std::size_t>(page.size()), stdout);
        return kExitOk;
    }
    const CommandInfo* command = FindCommand(args.front());
    if (command == nullptr) {
        PrintLine(stderr, QStringLiteral("talvorectl: unknown command '%1'").arg(args.front()));
        PrintHelp(stderr);
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

}  // namespace

int main(int argc, char** argv) {
    return FinishOutput(Run(argc, argv));
}
