#include "protocol/apply_pipeline.h"

#include "protocol/report_builders.h"

namespace {

template <std::size_t N>
void Send(ReportSender& sender, const std::array<uint8_t, N>& report) {
    sender.SendReport(report.data(), report.size());  // a failed send does not stop the apply
}

}  // namespace

ApplyPipeline::ApplyPipeline(ProfileSource& source, ReportSender& sender, ApplyObserver* observer)
    : source_(source),
      sender_(sender),
      observer_(observer),
      lastAppliedRecord_(std::make_unique<ProfileRecord>()) {}

ChangeFlags ApplyPipeline::RunApply() {
    RecordSnapshot snapshot = source_.TakeSnapshot();
    if (!snapshot.record) {
        return {};
    }
    const ProfileRecord& record = *snapshot.record;
    if (observer_ != nullptr) {
        observer_->ApplyStarted();
    }

    ChangeFlags flags;
    if (snapshot.forceFullApply) {
        flags = AllChanged();
    } else {
        std::lock_guard lock(lastAppliedMutex_);
        flags = DetectChanges(record, *lastAppliedRecord_);
    }

    SendChanged(record, flags);

    if (observer_ != nullptr) {
        observer_->ReportsSent();
    }
    {
        // The save and the copy stay together so that a device event's Synchronise never
        // falls between them.
        std::lock_guard lock(lastAppliedMutex_);
        source_.Save();
        *lastAppliedRecord_ = record;
    }
    if (observer_ != nullptr) {
        observer_->ApplyFinished();
    }
    return flags;
}

void ApplyPipeline::SendChanged(const ProfileRecord& record, const ChangeFlags& flags) {
    if (flags.anyChanged) {
        Send(sender_, BuildReport0C());
    }
    if (flags.dpiChanged) {
        Send(sender_, BuildDpiReport(record));
    }
    if (flags.lightChanged) {
        Send(sender_, BuildLightingReport(record));
    }
    if (flags.rateChanged) {
        Send(sender_, BuildRateReport(record));
    }
    if (flags.buttonsChanged) {
        Send(sender_, BuildButtonReport(record));
    }
    // Reports carry slot 0, so its entries decide which buttons hold a macro.
    for (int j = 0; j < kButtonCount; ++j) {
        if (flags.macroChanged[j] && record.slots[0].buttons[j].functionCode == kFunctionMacro) {
            Send(sender_, BuildMacroReport(record, j));
        }
    }
}

void ApplyPipeline::Synchronise(const ProfileRecord& current) {
    std::lock_guard lock(lastAppliedMutex_);
    *lastAppliedRecord_ = current;
    source_.Save();
}

std::unique_ptr<ProfileRecord> ApplyPipeline::CopyLastApplied() const {
    std::lock_guard lock(lastAppliedMutex_);
    return std::make_unique<ProfileRecord>(*lastAppliedRecord_);
}
