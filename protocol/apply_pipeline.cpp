#include "protocol/apply_pipeline.h"

#include <vector>

#include "protocol/report_builders.h"

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
    {
        std::lock_guard lock(lastAppliedMutex_);
        flags = snapshot.forceFullApply ? AllChanged() : DetectChanges(record, *lastAppliedRecord_);
        Merge(flags, pending_);  // what the mouse did not take last time goes again
    }

    const SendOutcome outcome = SendChanged(record, flags);

    if (observer_ != nullptr) {
        observer_->ReportsSent();
    }
    {
        std::lock_guard lock(lastAppliedMutex_);
        *lastAppliedRecord_ = record;
        pending_ = outcome.pending;
        undelivered_ = outcome.undelivered;
    }
    // After the copy and outside its lock: a device event's Synchronise that comes meanwhile
    // is not held up by the disk, and its change stays in the copy.
    source_.Save();
    if (observer_ != nullptr) {
        observer_->ApplyFinished(outcome.undelivered);
    }
    return flags;
}

ApplyPipeline::SendOutcome ApplyPipeline::SendChanged(const ProfileRecord& record,
                                                      const ChangeFlags& flags) {
    struct Due {
        std::vector<uint8_t> report;
        bool* pendingFlag;
    };
    SendOutcome outcome;
    ChangeFlags& pending = outcome.pending;
    std::vector<Due> due;
    const auto add = [&](bool changed, const auto& report, bool& pendingFlag) {
        if (!changed) {
            return;
        }
        if (!sender_.CanCarry(report[0])) {
            pendingFlag = true;  // held back until a link that carries it
            return;
        }
        due.push_back({{report.begin(), report.end()}, &pendingFlag});
    };
    add(flags.dpiChanged, BuildDpiReport(record), pending.dpiChanged);
    add(flags.lightChanged, BuildLightingReport(record), pending.lightChanged);
    add(flags.rateChanged, BuildRateReport(record), pending.rateChanged);
    add(flags.buttonsChanged, BuildButtonReport(record), pending.buttonsChanged);
    // Reports carry slot 0, so its entries decide which buttons hold a macro.
    for (int j = 0; j < kButtonCount; ++j) {
        add(flags.macroChanged[j] && record.slots[0].buttons[j].functionCode == kFunctionMacro,
            BuildMacroReport(record, j), pending.macroChanged[j]);
    }

    // A failed send does not stop the apply; its group stays pending. The 0x0C report goes
    // first whenever something changed, unless everything that changed is held back.
    const auto send = [&](const std::vector<uint8_t>& report, bool& pendingFlag) {
        if (sender_.SendReport(report.data(), report.size()) == 1) {
            return true;
        }
        pendingFlag = true;
        outcome.undelivered = true;
        return false;
    };
    bool preambleTaken = true;
    if (flags.anyChanged && (!due.empty() || !AnyGroup(flags))) {
        const auto preamble = BuildReport0C();
        preambleTaken = send({preamble.begin(), preamble.end()}, pending.anyChanged);
    }
    for (Due& report : due) {
        send(report.report, *report.pendingFlag);
    }
    if (!preambleTaken) {
        pending = flags;  // what followed an untaken 0x0C may not have been applied
    }
    pending.anyChanged = pending.anyChanged || AnyGroup(pending);
    return outcome;
}

void ApplyPipeline::Synchronise(const ProfileRecord& current) {
    std::lock_guard lock(lastAppliedMutex_);
    *lastAppliedRecord_ = current;
    source_.SaveSoon();
}

void ApplyPipeline::SynchroniseSlot0(const std::function<void(ProfileSlot&)>& change) {
    std::lock_guard lock(lastAppliedMutex_);
    change(lastAppliedRecord_->slots[0]);
    source_.SaveSoon();
}

std::unique_ptr<ProfileRecord> ApplyPipeline::CopyLastApplied() const {
    std::lock_guard lock(lastAppliedMutex_);
    return std::make_unique<ProfileRecord>(*lastAppliedRecord_);
}

ChangeFlags ApplyPipeline::Pending() const {
    std::lock_guard lock(lastAppliedMutex_);
    return pending_;
}

bool ApplyPipeline::LastApplyUndelivered() const {
    std::lock_guard lock(lastAppliedMutex_);
    return undelivered_;
}
