// What an apply did on the wire. The send engine only says whether a report counted as delivered,
// so its transports are wrapped to record every SetFeature call, and the sender is wrapped to mark
// where each report begins and what became of it. Each report's calls are then told one line a
// transfer: report id, link, byte count and outcome.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include <QString>
#include <QStringList>

#include "protocol/report_sender.h"
#include "protocol/report_transport.h"

struct TransferCall {
    QString link;  // "cable", "receiver"
    uint8_t reportId = 0;
    std::size_t length = 0;
    int button = -1;  // macro frames: the button number and piece index, else -1
    int piece = -1;
    bool written = false;  // SetFeature returned nonzero
};

struct ReportOutcome {
    uint8_t reportId = 0;
    std::size_t length = 0;
    bool delivered = false;  // SendReport returned 1 and no transfer of the report failed
    QStringList lines;       // one a transfer, or one line when no link took the report
};

// The lines of one report. `acknowledgedLinks` are the links whose tries repeat until the mouse
// acknowledges: there only the last try (the last pass of three frames for a macro) of a report the
// engine counted as delivered was acknowledged; the tries before it were not.
ReportOutcome DescribeReport(uint8_t reportId, std::size_t length,
                             const std::vector<TransferCall>& calls, int sendResult,
                             const QStringList& acknowledgedLinks);

// The calls made while one report is being sent; the transports write it from the sending thread.
class TransferLog {
public:
    void Record(const TransferCall& call);
    std::vector<TransferCall> Take();

private:
    std::mutex mutex_;
    std::vector<TransferCall> calls_;
};

// A link's transport that records every call with its result.
class RecordingTransport final : public ReportTransport {
public:
    using Write = std::function<bool(const uint8_t* data, std::size_t length)>;
    RecordingTransport(QString link, Write write, TransferLog& log)
        : link_(std::move(link)), write_(std::move(write)), log_(log) {}
    bool Send(const uint8_t* data, std::size_t length) override;

private:
    QString link_;
    Write write_;
    TransferLog& log_;
};

// Wraps the send engine: hands each report on, then describes it to `onReport`.
class RecordingSender final : public ReportSender {
public:
    using ReportListener = std::function<void(const ReportOutcome&)>;
    RecordingSender(ReportSender& inner, TransferLog& log, QStringList acknowledgedLinks,
                    ReportListener onReport)
        : inner_(inner),
          log_(log),
          acknowledgedLinks_(std::move(acknowledgedLinks)),
          onReport_(std::move(onReport)) {}

    int SendReport(const uint8_t* bytes, std::size_t length) override;

    int ReportCount() const { return reportCount_; }
    int DeliveredCount() const { return deliveredCount_; }

private:
    ReportSender& inner_;
    TransferLog& log_;
    QStringList acknowledgedLinks_;
    ReportListener onReport_;
    int reportCount_ = 0;
    int deliveredCount_ = 0;
};
