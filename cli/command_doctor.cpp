// talvorectl doctor: can this user reach the mouse? Lists the mouse's hidraw nodes and whether each
// opens, the program's own files (skin folder, driver and hook libraries), the device rules, and
// what to do when a node of the mouse exists but cannot be opened; then what the desktop offers
// (session, tray, notifications, macro recording) and BlueZ's state.
#include <cstring>
#include <optional>

#include <QDir>
#include <QFileInfo>

#include "cli/cli_support.h"
#include "cli/desktop_checks.h"
#include "link/driver_library.h"
#include "sys/device_access.h"
#include "sys/dynamic_library.h"
#include "sys/program_layout.h"

namespace {

constexpr char kUsage[] = "doctor [--sysfs DIR] [--dev DIR]";

struct DoctorOptions {
    QString sysRoot = QStringLiteral("/sys");
    QString devRoot = QStringLiteral("/dev");
};

std::optional<DoctorOptions> ParseOptions(const QStringList& args) {
    DoctorOptions options;
    for (int i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
            return std::nullopt;
        }
        if (args[i] == QLatin1String("--sysfs")) {
            options.sysRoot = args[i + 1];
        } else if (args[i] == QLatin1String("--dev")) {
            options.devRoot = args[i + 1];
        } else {
            return std::nullopt;
        }
    }
    return options;
}

QString Hex4(uint16_t value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

// Prints the mouse's nodes; true when every one of them opens (and there is at least one).
bool PrintNodes(CommandContext& context, const DeviceAccessReport& report) {
    PrintLine(context.out, QStringLiteral("Device nodes of the mouse:"));
    if (report.nodes.empty()) {
        PrintLine(context.out, QStringLiteral("  none: connect the mouse by cable, receiver or "
                                              "Bluetooth (is it switched on?)"));
        return false;
    }
    bool allOpen = true;
    for (const MouseNodeAccess& n : report.nodes) {
        const QString state = n.Opens() ? QStringLiteral("opens")
                                        : QStringLiteral("cannot be opened: %1")
                                              .arg(QString::fromLocal8Bit(std::strerror(n.error)));
        PrintLine(context.out, QStringLiteral("  %1  %2 %3:%4  %5")
                                   .arg(n.node.devicePath, n.link.leftJustified(9),
                                        Hex4(n.node.vendorId), Hex4(n.node.productId), state));
        allOpen = allOpen && n.Opens();
    }
    return allOpen;
}

// Prints the skin folder and the libraries found from the program folder; true when all are there.
// Leaves the desktop checks loaded in `desktopChecks` when they load.
bool PrintProgramFiles(CommandContext& context, bool& hookLoads, DynamicLibrary& desktopChecks) {
    bool complete = true;
    const QString resources = ResourceFolderOf(context.programFolder);
    const bool haveResources = QFileInfo(resources + QLatin1String("main.xml")).isFile();
    complete = complete && haveResources;
    PrintLine(context.out, QStringLiteral("Program files:"));
    PrintLine(context.out, QStringLiteral("  skin folder  %1  %2")
                               .arg(resources, haveResources ? QStringLiteral("found")
                                                             : QStringLiteral("missing main.xml")));
    const QString libraries = LibraryFolderOf(context.programFolder);
    // Loads one library of the folder with `load` and says whether it loads.
    const auto check = [&](const char* file, auto& library) {
        const bool loads = library.Load(libraries + QLatin1String(file));
        complete = complete && loads;
        PrintLine(context.out, QStringLiteral("  library      %1%2  %3")
                                   .arg(libraries, QLatin1String(file),
                                        loads ? QStringLiteral("loads") : library.ErrorString()));
        return loads;
    };
    for (const char* file : {"hiddriver_2.so", "hiddriver_1.so"}) {
        DriverLibrary driver;
        check(file, driver);
    }
    HookLibrary hook;
    hookLoads = check("Hook.so", hook);
    // The program needs it for an edited skin folder and the DPI colour dialog.
    DynamicLibrary reader;
    check(kLayoutReaderFile, reader);
    check(kDesktopChecksFile, desktopChecks);
    return complete;
}

// The rules file shipped with this program: beside an installed tree's lib/, or none.
QString ShippedUdevRules(const QString& programFolder) {
    const QString path = QDir::cleanPath(programFolder + QStringLiteral("../lib/udev/rules.d/") +
                                         QLatin1String(kUdevRulesFileName));
    return QFileInfo(path).isFile() ? path : QString();
}

void PrintWhatToDo(CommandContext& context, const QString& installedRules) {
    const QString rules = QLatin1String(kUdevRulesFileName);
    PrintLine(context.out, QString());
    PrintLine(context.out, QStringLiteral("This user may not open a device node of the mouse, so "
                                          "the program cannot reach the mouse there. To fix it:"));
    if (installedRules.isEmpty()) {
        const QString shipped = ShippedUdevRules(context.programFolder);
        PrintLine(context.out,
                  shipped.isEmpty()
                      ? QStringLiteral("  1. Install the device rules %1: install the talvore "
                                       "package, or copy dist/%1 of the talvore sources to "
                                       "/etc/udev/rules.d/")
                            .arg(rules)
                      : QStringLiteral("  1. Install the device rules %1:\n"
                                       "       sudo cp %2 /etc/udev/rules.d/")
                            .arg(rules, shipped));
    } else {
        PrintLine(context.out,
                  QStringLiteral("  1. The device rules are installed: %1").arg(installedRules));
    }
    PrintLine(context.out,
              QStringLiteral("  2. Unplug the mouse's cable or receiver and plug it in again "
                             "(Bluetooth: disconnect and connect the mouse again);\n"
                             "     or apply the rules to the nodes that are there now:\n"
                             "       sudo udevadm control --reload-rules\n"
                             "       sudo udevadm trigger --subsystem-match=hidraw "
                             "--action=change"));
    PrintLine(
        context.out,
        QStringLiteral("  3. The rules open the mouse to the user of the local desktop "
                       "session; from another session (ssh, a second seat) it stays closed."));
}

// Findings that tell, but never fail the check: a desktop without a tray is still a desktop.
void PrintSection(CommandContext& context, const char* title,
                  const std::vector<DoctorLine>& lines) {
    PrintLine(context.out, QLatin1String(title));
    for (const DoctorLine& line : lines) {
        PrintLine(context.out,
                  QStringLiteral("  %1  %2").arg(line.label.leftJustified(15), line.text));
    }
}

// The desktop and Bluetooth sections, made by the checks module; without it each says so.
void PrintDesktopSections(CommandContext& context, const DynamicLibrary& checks, bool hookLoads) {
    auto* desktop = checks.Resolve<CheckDesktopFn>(kCheckDesktopExport);
    auto* bluetooth = checks.Resolve<CheckBluetoothFn>(kCheckBluetoothExport);
    std::vector<DoctorLine> desktopLines;
    std::vector<DoctorLine> bluetoothLines;
    if (desktop != nullptr && bluetooth != nullptr) {
        desktop(hookLoads, &desktopLines);
        bluetooth(&bluetoothLines);
    } else {
        const DoctorLine notMade{QStringLiteral("checks"),
                                 QStringLiteral("not made: %1 does not load")
                                     .arg(QLatin1String(kDesktopChecksFile))};
        desktopLines.push_back(notMade);
        bluetoothLines.push_back(notMade);
    }
    PrintSection(context, "Desktop:", desktopLines);
    PrintSection(context, "Bluetooth:", bluetoothLines);
}

int RunDoctor(const QStringList& args, CommandContext& context) {
    const std::optional<DoctorOptions> options = ParseOptions(args);
    if (!options) {
        return UsageError(context, kUsage);
    }
    const DeviceAccessReport report =
        DiagnoseMouseAccess(SysfsHidrawNodes(options->sysRoot, options->devRoot));
    const bool nodesOpen = PrintNodes(context, report);
    bool hookLoads = false;
    DynamicLibrary desktopChecks;
    const bool filesComplete = PrintProgramFiles(context, hookLoads, desktopChecks);

    const QString installedRules = InstalledUdevRules();
    PrintLine(context.out, QStringLiteral("Device rules:"));
    PrintLine(context.out, installedRules.isEmpty()
                               ? QStringLiteral("  %1 is not installed where udev reads rules")
                                     .arg(QLatin1String(kUdevRulesFileName))
                               : QStringLiteral("  %1").arg(installedRules));
    if (report.AnyRefused()) {
        PrintWhatToDo(context, installedRules);
    }
    PrintDesktopSections(context, desktopChecks, hookLoads);
    return nodesOpen && filesComplete ? kExitOk : kExitBadInput;
}

const CommandRegistrar registrar({"doctor", kUsage,
                                  "Check that this user can reach the mouse: its device nodes, the "
                                  "program's files and the device rules, with what to do; and "
                                  "what the desktop and BlueZ offer.",
                                  RunDoctor});

}  // namespace
