// talvorectl monitor: opens both USB links as the program does and prints what the mouse says,
// one event a line, until interrupted (or after --count events or --seconds seconds).
#include <chrono>
#include <optional>

#include "cli/cli_support.h"
#include "cli/device_event_text.h"
#include "cli/mouse_connection.h"
#include "cli/stop_signals.h"

namespace {

constexpr char kUsage[] = "monitor [--count N] [--seconds S]";

// How long one wait lasts when no end time is given; the loop just waits again.
constexpr std::chrono::hours kWaitSlice{1};

struct MonitorOptions {
    std::optional<int> count;
    std::optional<std::chrono::milliseconds> duration;
};

std::optional<MonitorOptions> ParseOptions(const QStringList& args) {
    MonitorOptions options;
    for (int i = 0; i < args.size(); ++i) {
        if (i + 1 >= args.size()) {
            return std::nullopt;
        }
        const QString& value = args[++i];
        bool ok = false;
        if (args[i - 1] == QLatin1String("--count") && !options.count) {
            const int count = value.toInt(&ok, 10);
            if (!ok || count < 1) {
                return std::nullopt;
            }
            options.count = count;
        } else if (args[i - 1] == QLatin1String("--seconds") && !options.duration) {
            const double seconds = value.toDouble(&ok);
            // A day at most keeps the end time far from any overflow.
            if (!ok || !(seconds > 0) || seconds > 86400) {
                return std::nullopt;
            }
            options.duration = std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000));
        } else {
            return std::nullopt;
        }
    }
    return options;
}

QString DescribeMessage(const LinkMessage& message) {
    const QString link = QLatin1String(UsbLinkName(message.link));
    switch (message.kind) {
        case LinkMessage::Kind::Arrived:
            return link + QLatin1String(" arrived");
        case LinkMessage::Kind::Removed:
            return link + QLatin1String(" removed");
        case LinkMessage::Kind::Event:
            break;
    }
    return link + QLatin1Char(' ') + DescribeDeviceEvent(message.key, message.value);
}

void Print(CommandContext& context, const QString& line) {
    PrintLine(context.out, line);
    std::fflush(context.out);  // a reader on a pipe sees each event as it comes
}

int RunMonitor(const QStringList& args, CommandContext& context) {
    const std::optional<MonitorOptions> options = ParseOptions(args);
    if (!options) {
        return UsageError(context, kUsage);
    }
    MouseConnection connection;
    // Before the drivers start their threads, so that none of them takes the signal.
    StopSignals stopSignals([&connection] { connection.Interrupt(); });
    if (!connection.Load(context.programFolder)) {
        return Fail(context, kExitBadInput,
                    QStringLiteral("no mouse: no driver library loads (%1)")
                        .arg(connection.LoadErrors().join(QLatin1String("; "))));
    }
    connection.Open();
    bool anyPresent = false;
    for (UsbLink link : {UsbLink::Cable, UsbLink::Receiver}) {
        if (connection.PresentAtStart(link)) {
            anyPresent = true;
            Print(context, QLatin1String(UsbLinkName(link)) + QLatin1String(" present"));
        }
    }
    if (!anyPresent) {
        connection.Close();
        return Fail(context, kExitBadInput,
                    QStringLiteral("no mouse: neither the cable nor the receiver is plugged in"));
    }

    const auto start = std::chrono::steady_clock::now();
    int seen = 0;
    while (!connection.Interrupted() && (!options->count || seen < *options->count)) {
        const auto now = std::chrono::steady_clock::now();
        const auto end = options->duration ? start + *options->duration : now + kWaitSlice;
        if (now >= end) {
            break;
        }
        if (const std::optional<LinkMessage> message = connection.NextMessage(end)) {
            Print(context, DescribeMessage(*message));
            ++seen;
        }
    }
    connection.Close();
    return kExitOk;
}

const CommandRegistrar registrar({"monitor", kUsage,
                                  "Print the mouse's events and link changes as they come, until "
                                  "interrupted.",
                                  RunMonitor});

}  // namespace
