// talvorectl reports: what an apply of a profile would send to the mouse, one transfer a line.
#include <QByteArray>

#include "cli/cli_support.h"
#include "cli/command.h"
#include "cli/profile_file.h"
#include "protocol/apply_pipeline.h"
#include "protocol/link_state.h"
#include "protocol/send_engine.h"

namespace {

QString HexLine(const uint8_t* bytes, std::size_t length) {
    const QByteArray raw(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(length));
    return QString::fromLatin1(raw.toHex(' ').toUpper());
}

// Prints every transfer; optionally acknowledges it as the mouse would over the receiver.
class PrintingTransport final : public ReportTransport, public ReportSender {
public:
    explicit PrintingTransport(std::FILE* out) : out_(out) {}
    bool Send(const uint8_t* data, std::size_t length) override {
        PrintLine(out_, HexLine(data, length));
        if (engine != nullptr) {
            engine->OnAcknowledgementEvent(0x0000);
        }
        return true;
    }
    int SendReport(const uint8_t* bytes, std::size_t length) override {
        Send(bytes, length);
        return 1;
    }

    SendEngine* engine = nullptr;

private:
    std::FILE* out_;
};

class NoSleep final : public Sleeper {
public:
    void SleepMs(int) override {}
};

int Usage(CommandContext& context, const QString& problem) {
    PrintLine(context.err, QStringLiteral("talvorectl reports: %1").arg(problem));
    PrintLine(context.err,
              QStringLiteral("usage: talvorectl reports PROFILE.pro [--since PREVIOUS.pro] "
                             "[--link cable|receiver|ble]"));
    return kExitUsage;
}

int RunReports(const QStringList& args, CommandContext& context) {
    // File names by their position, so that they are read as the bytes given.
    int profileArg = -1;
    int sinceArg = -1;
    QString link;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--since") || arg == QLatin1String("--link")) {
            if (i + 1 >= args.size()) {
                return Usage(context, QStringLiteral("%1 needs a value").arg(arg));
            }
            ++i;
            if (arg == QLatin1String("--since")) {
                sinceArg = i;
            } else {
                link = args[i];
            }
        } else if (arg.startsWith(QLatin1Char('-'))) {
            return Usage(context, QStringLiteral("unknown option %1").arg(arg));
        } else if (profileArg < 0) {
            profileArg = i;
        } else {
            return Usage(context, QStringLiteral("one profile file only"));
        }
    }
    if (profileArg < 0) {
        return Usage(context, QStringLiteral("no profile file given"));
    }
    if (!link.isEmpty() && link != QLatin1String("cable") && link != QLatin1String("receiver") &&
        link != QLatin1String("ble")) {
        return Usage(context, QStringLiteral("unknown link %1").arg(link));
    }

    QString error;
    auto record = ReadProfileFile(PathArgument(context, profileArg), error);
    std::unique_ptr<ProfileRecord> previous;
    if (record && sinceArg >= 0) {
        previous = ReadProfileFile(PathArgument(context, sinceArg), error);
    }
    if (!record || (sinceArg >= 0 && !previous)) {
        PrintLine(context.err, QStringLiteral("talvorectl reports: %1").arg(error));
        return kExitBadInput;
    }

    FileProfileSource source(*record, previous == nullptr);
    PrintingTransport printer(context.out);
    LinkState links;
    NoSleep noSleep;
    SendEngine engine(links, SendTransports{&printer, &printer, &printer}, noSleep);
    if (link == QLatin1String("cable")) {
        links.cableState = kLinkPresent;
    } else if (link == QLatin1String("receiver")) {
        links.receiverState = kLinkPresent;
        links.wirelessAwake = 1;
        printer.engine = &engine;
    } else if (link == QLatin1String("ble")) {
        links.bleConnected = 1;
    }
    ReportSender& sender = link.isEmpty() ? static_cast<ReportSender&>(printer) : engine;

    ApplyPipeline pipeline(source, sender);
    if (previous) {
        pipeline.Synchronise(*previous);
    }
    pipeline.RunApply();
    return kExitOk;
}

const CommandRegistrar kRegistrar({"reports",
                                   "reports PROFILE.pro [--since PREVIOUS.pro] "
                                   "[--link cable|receiver|ble]",
                                   "Print the reports an apply of the profile would send, one "
                                   "transfer a line in hex (a full apply unless --since names the "
                                   "profile last sent)",
                                   RunReports});

}  // namespace
