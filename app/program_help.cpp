#include "app/program_help.h"

#include <cstdio>
#include <cstring>

#include <QByteArray>

#include "sys/man_page.h"

namespace {

constexpr char kPurpose[] =
    "Configure the Corvane TALVORE wireless mouse: profiles, DPI stages and their colours, "
    "lighting, report rate, sleep timers, the functions of its 18 buttons and recorded macros, "
    "over its USB cable, its 2.4 GHz receiver or Bluetooth LE.";

struct Option {
    const char* names;
    const char* text;
};
constexpr Option kOptions[] = {
    {"--hidden",
     "Start in the tray without showing the window (for a start with the desktop). Where "
     "there is no tray the window is shown."},
    {"-h, --help", "Print the options and exit."},
    {"--version", "Print the version and exit."},
};

void Print(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
}

QString Name(char** argv) {
    const QString path = QString::fromLocal8Bit(argv[0]);
    return path.section(QLatin1Char('/'), -1);
}

}  // namespace

std::optional<int> AnswerInformationRequest(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            QString text = QStringLiteral("Usage: %1 [OPTION]\n%2\n\nOptions:\n")
                               .arg(Name(argv), QLatin1String(kPurpose));
            for (const Option& option : kOptions) {
                text += QStringLiteral("  %1\n      %2\n")
                            .arg(QLatin1String(option.names), QLatin1String(option.text));
            }
            text += QStringLiteral(
                "\nQt's own options (such as -platform wayland) are taken "
                "too.\nMore: man talvore\n");
            Print(text);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0) {
            Print(QStringLiteral("%1 %2\n").arg(Name(argv), QLatin1String(TALVORE_VERSION)));
            return 0;
        }
        if (std::strcmp(arg, "--manpage") == 0) {
            Print(ProgramManualPage());
            return 0;
        }
    }
    return std::nullopt;
}

QString ProgramManualPage() {
    ManPage page(QStringLiteral("talvore"), 1,
                 QStringLiteral("talvore %1").arg(QLatin1String(TALVORE_VERSION)),
                 QStringLiteral("User Commands"));
    page.Name(QStringLiteral("configure the Corvane TALVORE wireless mouse"));
    page.Section(QStringLiteral("Synopsis"));
    page.Synopsis(QStringLiteral("[--hidden]"));
    page.Section(QStringLiteral("Description"));
    page.Paragraph(QLatin1String(kPurpose));
    page.Paragraph(QStringLiteral(
        "Every change is written into the current profile at once and sent to the mouse; only "
        "the groups of settings that changed are sent. The program runs once per user: a "
        "second start brings the running window forward and exits with code 1. Without a mouse "
        "the window stays hidden and the program waits in the tray, where there is one."));
    page.Section(QStringLiteral("Options"));
    for (const Option& option : kOptions) {
        page.Item(QLatin1String(option.names), QLatin1String(option.text));
    }
    page.Paragraph(
        QStringLiteral("Qt's own options, such as -platform wayland or -platform "
                       "xcb, are taken as well."));
    page.Section(QStringLiteral("D-Bus"));
    page.Paragraph(QStringLiteral(
        "The running program owns org.talvore.Talvore on the session bus and exports "
        "/org/talvore/Talvore with the interface org.talvore.Talvore1: the properties "
        "Profiles, CurrentProfile, BatteryLevel, Charging, Connected and Links, and the "
        "methods SelectProfile, Apply and ImportProfile. Its description is installed as "
        "share/dbus-1/interfaces/org.talvore.Talvore1.xml. Over Bluetooth the mouse's battery "
        "level is also handed to BlueZ, so the desktop's power settings show it."));
    page.Section(QStringLiteral("Exit status"));
    page.Item(QStringLiteral("0"), QStringLiteral("The program ended normally."));
    page.Item(QStringLiteral("1"),
              QStringLiteral("Another instance runs; it has been asked to show its window."));
    page.Section(QStringLiteral("Files"));
    page.Item(QStringLiteral("Data/ms_1/pro.data, Data/ms_1/macro.data, Data/CONFIG.ini"),
              QStringLiteral("The profiles, the macros and the settings, beside the program "
                             "when its folder can be written, otherwise in "
                             "$XDG_DATA_HOME/talvore (by default ~/.local/share/talvore)."));
    page.Item(QStringLiteral("$XDG_CONFIG_HOME/autostart/org.talvore.Talvore.desktop"),
              QStringLiteral("Written by \"Start with the desktop\" in the program's menu: it "
                             "starts talvore --hidden when the user logs in."));
    page.Section(QStringLiteral("See also"));
    page.Paragraph(QStringLiteral("talvorectl(1)"));
    return page.Text();
}
