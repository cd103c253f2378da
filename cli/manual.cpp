#include "cli/manual.h"

#include "cli/command.h"
#include "sys/man_page.h"

namespace {

constexpr char kSynopsis[] = "COMMAND [ARGUMENTS]";
constexpr char kPurpose[] =
    "Profiles, macros, backups and reports of the Corvane TALVORE mouse from the command line.";

struct Option {
    const char* names;
    const char* text;
};
constexpr Option kOptions[] = {
    {"-h, --help", "Print the commands and exit."},
    {"--version", "Print the version and exit."},
};

}  // namespace

void PrintHelp(std::FILE* stream) {
    PrintLine(stream, QStringLiteral("Usage: talvorectl %1").arg(QLatin1String(kSynopsis)));
    PrintLine(stream, QLatin1String(kPurpose));
    PrintLine(stream, QStringLiteral("\nCommands:"));
    for (const CommandInfo& c : AllCommands()) {
        PrintLine(
            stream,
            QStringLiteral("  %1\n      %2").arg(QLatin1String(c.usage), QLatin1String(c.summary)));
    }
    PrintLine(stream, QStringLiteral("\nOptions:"));
    for (const Option& option : kOptions) {
        PrintLine(stream, QStringLiteral("  %1\n      %2")
                              .arg(QLatin1String(option.names), QLatin1String(option.text)));
    }
    PrintLine(stream, QStringLiteral("\nThe files, exit codes and examples: man talvorectl"));
}

void PrintVersion(std::FILE* stream) {
    PrintLine(stream, QStringLiteral("talvorectl %1").arg(QLatin1String(TALVORE_VERSION)));
}

QString ManualPage() {
    ManPage page(QStringLiteral("talvorectl"), 1,
                 QStringLiteral("talvore %1").arg(QLatin1String(TALVORE_VERSION)),
                 QStringLiteral("User Commands"));
    page.Name(
        QStringLiteral("profiles, macros, backups and reports of the Corvane TALVORE mouse "
                       "from the command line"));
    page.Section(QStringLiteral("Synopsis"));
    page.Synopsis(QLatin1String(kSynopsis));
    page.Section(QStringLiteral("Description"));
    page.Paragraph(QLatin1String(kPurpose));
    page.Paragraph(QStringLiteral(
        "talvorectl works on the profile and macro stores of its program's data folder, the "
        "same ones talvore(1) uses: Data/ beside the program when that folder can be written, "
        "otherwise $XDG_DATA_HOME/talvore (by default ~/.local/share/talvore). Listing, showing "
        "and exporting only read. While talvore runs on the same data folder, the commands "
        "that change the stores (import, import-macro, select, restore) are handed to it, so "
        "its window shows the change at once and no writer undoes another."));
    page.Paragraph(QStringLiteral(
        "A profile can be read and written as JSON: show prints it, export writes it to a file "
        "whose name ends in .json, and import takes such a file back, giving the same profile "
        "byte for byte. Values the settings page or the mouse would not accept are refused, "
        "naming the field. apply, monitor and doctor reach the mouse through the driver "
        "libraries beside the program."));
    page.Section(QStringLiteral("Commands"));
    for (const CommandInfo& c : AllCommands()) {
        page.Item(QLatin1String(c.usage), QLatin1String(c.summary));
    }
    page.Section(QStringLiteral("Options"));
    for (const Option& option : kOptions) {
        page.Item(QLatin1String(option.names), QLatin1String(option.text));
    }
    page.Section(QStringLiteral("Exit status"));
    page.Item(QStringLiteral("0"), QStringLiteral("The command did its work."));
    page.Item(QStringLiteral("1"), QStringLiteral("Wrong arguments; nothing was changed."));
    page.Item(QStringLiteral("2"),
              QStringLiteral("Bad input (a missing, short or damaged file, JSON out of range, a "
                             "FIFO or folder where a file belongs), a write that failed, or no "
                             "mouse that answers. A command that fails changes no file."));
    page.Section(QStringLiteral("Files"));
    page.Item(QStringLiteral("Data/ms_1/pro.data, Data/ms_1/macro.data"),
              QStringLiteral("The profiles with the selection, and the macros, beside the "
                             "program; in $XDG_DATA_HOME/talvore/ms_1/ when that folder cannot be "
                             "written. A store that cannot be used is kept aside as "
                             "NAME.DATE-TIME.damaged; the stores a restore replaced are kept as "
                             "NAME.DATE-TIME.replaced."));
    page.Item(QStringLiteral("*.pro, *.macro"),
              QStringLiteral("One profile or one macro, as the program's window exports them."));
    page.Item(QStringLiteral("*.json"),
              QStringLiteral("One profile as show prints it: the settings by name, and the "
                             "record's other bytes under otherBytes."));
    page.Section(QStringLiteral("Examples"));
    page.Paragraph(
        QStringLiteral("Switch to the profile named Game (bind it to a key in the "
                       "desktop's keyboard settings):"));
    page.Example(QStringLiteral("talvorectl select Game"));
    page.Paragraph(QStringLiteral("Edit a profile as text and bring it back as a new profile:"));
    page.Example(
        QStringLiteral("talvorectl export 1 work.json\n"
                       "editor work.json\n"
                       "talvorectl import work.json"));
    page.Paragraph(QStringLiteral("Keep everything in one file:"));
    page.Example(QStringLiteral("talvorectl backup ~/talvore.backup"));
    page.Paragraph(QStringLiteral(
        "Bring it back later; the stores it replaces stay beside the new ones:"));
    page.Example(QStringLiteral("talvorectl restore ~/talvore.backup"));
    page.Section(QStringLiteral("See also"));
    page.Paragraph(QStringLiteral("talvore(1)"));
    return page.Text();
}
