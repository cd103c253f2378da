// talvorectl apply PROFILE.pro: sends the whole profile to the mouse over the cable or, when the
// cable is not there, through the receiver while the mouse behind it is awake, with the real
// pacing, and tells one line a transfer what became of it.
#include <atomic>
#include <chrono>

#include "cli/cli_support.h"
#include "cli/mouse_connection.h"
#include "cli/profile_file.h"
#include "cli/transfer_log.h"
#include "protocol/apply_pipeline.h"
#include "protocol/link_state.h"
#include "protocol/send_engine.h"
#include "sys/clock.h"

namespace {

constexpr char kUsage[] = "apply PROFILE.pro";

// The mouse behind the receiver sends its power status every two seconds while it is awake.
constexpr std::chrono::milliseconds kAwakeWait{2500};

constexpr uint16_t kPowerEvent = 0x4069;
constexpr uint16_t kAcknowledgementEvent = 0x5069;
constexpr uint8_t kPowerCharged = 2;
constexpr uint8_t kPowerCharging = 3;

// Follows what the drivers post while the apply runs; called on the drivers' threads.
class ApplyEvents {
public:
    explicit ApplyEvents(LinkState& links) : links_(links) {}

    void SetEngine(SendEngine* engine) { engine_.store(engine); }

    void OnMessage(const LinkMessage& message) {
        std::atomic<int32_t>& state =
            message.link == UsbLink::Cable ? links_.cableState : links_.receiverState;
        switch (message.kind) {
            case LinkMessage::Kind::Removed:
                state.store(kLinkRemoved);
                return;
            case LinkMessage::Kind::Arrived:
                return;  // a link that comes late is not used by this apply
            case LinkMessage::Kind::Event:
                break;
        }
        if (message.key == kAcknowledgementEvent) {
            if (SendEngine* engine = engine_.load()) {
                engine->OnAcknowledgementEvent(message.value);
            }
        } else if (message.key == kPowerEvent) {
            // Charged or charging on the cable says nothing about the mouse behind the receiver.
            const uint8_t powerState = message.value & 0xFF;
            const bool onCable = powerState == kPowerCharged || powerState == kPowerCharging;
            links_.wirelessAwake.store(onCable && links_.CablePresent() ? 0 : 1);
        }
    }

private:
    LinkState& links_;
    std::atomic<SendEngine*> engine_{nullptr};
};

// Waits for the mouse behind the receiver to announce itself.
bool WaitUntilAwake(MouseConnection& connection, const LinkState& links) {
    const auto deadline = std::chrono::steady_clock::now() + kAwakeWait;
    while (links.wirelessAwake.load() != 1) {
        if (!links.ReceiverPresent() || !connection.NextMessage(deadline)) {
            return false;
        }
    }
    return links.ReceiverPresent();
}

// Closes the drivers before anything they call back into goes away.
struct CloseOnExit {
    MouseConnection& connection;
    ~CloseOnExit() { connection.Close(); }
};

int RunApply(const QStringList& args, CommandContext& context) {
    if (args.size() != 1 || args[0].startsWith(QLatin1Char('-'))) {
        return UsageError(context, kUsage);
    }
    QString error;
    const NativePath path = PathArgument(context, 0);
    const auto record = ReadProfileFile(path, error);
    if (!record) {
        return Fail(context, kExitBadInput, error);
    }

    LinkState links;
    ApplyEvents events(links);
    MouseConnection connection([&events](const LinkMessage& m) { events.OnMessage(m); });
    if (!connection.Load(context.programFolder)) {
        return Fail(context, kExitBadInput,
                    QStringLiteral("no mouse: no driver library loads (%1)")
                        .arg(connection.LoadErrors().join(QLatin1String("; "))));
    }
    TransferLog log;
    const auto transport = [&](UsbLink link) {
        return RecordingTransport(
            QLatin1String(UsbLinkName(link)),
            [&connection, link](const uint8_t* data, std::size_t length) {
                return connection.SetFeature(link, data, length) != 0;
            },
            log);
    };
    RecordingTransport wired = transport(UsbLink::Cable);
    RecordingTransport receiver = transport(UsbLink::Receiver);
    ThreadSleeper sleeper;
    SendEngine engine(links, SendTransports{&wired, &receiver, nullptr}, sleeper);
    events.SetEngine(&engine);
    CloseOnExit closer{connection};

    // The cable needs nothing the mouse sends (no acknowledgements): with the mouse on it, no
    // monitor is started, and none has to be stopped at the end.
    connection.OpenUnfollowed(UsbLink::Cable);
    if (!connection.PresentAtStart(UsbLink::Cable)) {
        connection.Open();
    }
    if (connection.PresentAtStart(UsbLink::Cable)) {
        links.cableState.store(kLinkPresent);
    }
    if (connection.PresentAtStart(UsbLink::Receiver)) {
        links.receiverState.store(kLinkPresent);
    }
    QString via;
    if (links.CablePresent()) {
        via = QStringLiteral("the cable");
    } else if (!links.ReceiverPresent()) {
        return Fail(context, kExitBadInput,
                    QStringLiteral("no mouse: neither the cable nor the receiver is plugged in"));
    } else if (!WaitUntilAwake(connection, links)) {
        return Fail(context, kExitBadInput,
                    QStringLiteral("no usable link: the mouse behind the receiver does not answer "
                                   "(asleep or switched off) and the cable is not plugged in"));
    } else {
        via = QStringLiteral("the receiver");
    }
    PrintLine(context.out, QStringLiteral("sending %1 over %2").arg(path.Display(), via));
    std::fflush(context.out);

    RecordingSender sender(engine, log, {QLatin1String(UsbLinkName(UsbLink::Receiver))},
                           [&context](const ReportOutcome& outcome) {
                               for (const QString& line : outcome.lines) {
                                   PrintLine(context.out, line);
                               }
                               std::fflush(context.out);
                           });
    FileProfileSource source(*record, true);
    ApplyPipeline pipeline(source, sender);
    pipeline.RunApply();

    const int missing = sender.ReportCount() - sender.DeliveredCount();
    PrintLine(context.out, QStringLiteral("%1 of %2 reports delivered")
                               .arg(sender.DeliveredCount())
                               .arg(sender.ReportCount()));
    if (missing > 0) {
        return Fail(context, kExitBadInput,
                    QStringLiteral("%1 of %2 reports did not reach the mouse")
                        .arg(missing)
                        .arg(sender.ReportCount()));
    }
    return kExitOk;
}

const CommandRegistrar registrar({"apply", kUsage,
                                  "Send the whole profile to the mouse over the cable or the "
                                  "receiver, one line a transfer.",
                                  RunApply});

}  // namespace
