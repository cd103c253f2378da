#include "cli/transfer_log.h"

#include "protocol/report_builders.h"

namespace {

constexpr std::size_t kMacroFrameLength = 64;

QString ReportIdText(uint8_t id) {
    return QStringLiteral("0x") + QString::number(id, 16).toUpper().rightJustified(2, u'0');
}

QString TransferLine(const TransferCall& call, const char* outcome) {
    QString line = QStringLiteral("%1 %2 %3 bytes")
                       .arg(ReportIdText(call.reportId), call.link)
                       .arg(call.length);
    if (call.piece >= 0) {
        line += QStringLiteral(" (button %1, piece %2)").arg(call.button).arg(call.piece);
    }
    return line + QLatin1String(": ") + QLatin1String(outcome);
}

}  // namespace

ReportOutcome DescribeReport(uint8_t reportId, std::size_t length,
                             const std::vector<TransferCall>& calls, int sendResult,
                             const QStringList& acknowledgedLinks) {
    ReportOutcome outcome{reportId, length, sendResult == 1, {}};
    if (calls.empty()) {
        outcome.delivered = false;
        outcome.lines.append(QStringLiteral("%1 %2 bytes: not sent, no link took it")
                                 .arg(ReportIdText(reportId))
                                 .arg(length));
        return outcome;
    }
    // Over an acknowledged link the tries of the last pass are the ones the mouse answered.
    const QString& lastLink = calls.back().link;
    const bool acknowledged = acknowledgedLinks.contains(lastLink);
    std::size_t lastPass = calls.size();
    if (acknowledged) {
        const std::size_t passLength = reportId == kReportIdMacro ? 3 : 1;
        lastPass = calls.size() >= passLength ? calls.size() - passLength : 0;
    }
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const TransferCall& call = calls[i];
        const char* text = "delivered";
        if (!call.written) {
            text = "failed";
            // Over the cable nothing else tells whether the mouse got it; over the receiver its
            // acknowledgement does.
            if (!acknowledged) {
                outcome.delivered = false;
            }
        } else if (acknowledged && call.link == lastLink) {
            text = i < lastPass || sendResult != 1 ? "not acknowledged" : "delivered, acknowledged";
        }
        outcome.lines.append(TransferLine(call, text));
    }
    return outcome;
}

void TransferLog::Record(const TransferCall& call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
}

std::vector<TransferCall> TransferLog::Take() {
    std::lock_guard lock(mutex_);
    std::vector<TransferCall> calls;
    calls.swap(calls_);
    return calls;
}

bool RecordingTransport::Send(const uint8_t* data, std::size_t length) {
    const bool written = write_(data, length);
    TransferCall call{link_, length > 0 ? data[0] : uint8_t{0}, length, -1, -1, written};
    if (length == kMacroFrameLength && data[0] == kReportIdMacro) {
        call.button = data[2];
        call.piece = data[3];
    }
    log_.Record(call);
    return written;
}

int RecordingSender::SendReport(const uint8_t* bytes, std::size_t length) {
    log_.Take();  // nothing from before this report belongs to it
    const int result = inner_.SendReport(bytes, length);
    const ReportOutcome outcome =
        DescribeReport(length > 0 ? bytes[0] : 0, length, log_.Take(), result, acknowledgedLinks_);
    ++reportCount_;
    if (outcome.delivered) {
        ++deliveredCount_;
    }
    if (onReport_) {
        onReport_(outcome);
    }
    return result;
}
