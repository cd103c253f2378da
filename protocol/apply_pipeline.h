// The apply: brings the mouse in line with the current profile by sending only the groups of
// settings that changed since the copy last sent, in a fixed order.
//
// The apply works on a copy of the record taken under the store's lock when it starts, builds
// every report from that copy and keeps that copy as lastAppliedRecord, so an edit made while
// reports are on their way is still seen by the next apply. lastAppliedRecord has its own lock;
// it is not held while reports are sent (a transfer over the receiver can last 30 s).
// Lock order: the pipeline's lock, then the store's (inside SaveSoon()).
//
// A report the mouse did not take leaves its group pending: the next apply sends it again even
// when the record has not changed since. When the 0x0C report itself was not taken, every group
// of that apply stays pending. A report the link in use never carries (the report rate over
// Bluetooth alone) is held back the same way but does not count as a failure.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "protocol/change_detection.h"
#include "protocol/profile_record.h"
#include "protocol/report_sender.h"

inline constexpr int kWatchdogPeriodMs = 6000;  // timer 100, restarted after every apply

struct RecordSnapshot {
    std::unique_ptr<ProfileRecord> record;  // null while no profile is loaded
    bool forceFullApply = false;
};

// The profile store as the pipeline sees it.
class ProfileSource {
public:
    virtual ~ProfileSource() = default;
    // A copy of the current record and the forceFullApply flag, which it clears, both under the
    // store's lock.
    virtual RecordSnapshot TakeSnapshot() = 0;
    // Writes the profile list to pro.data.
    virtual void Save() = 0;
    // The same, where the caller must not wait for the disk (the window thread): the write may
    // happen a little later on another thread. By default it happens now.
    virtual void SaveSoon() { Save(); }
};

// What the page shows of an apply. Called on the worker thread, in this order.
class ApplyObserver {
public:
    virtual ~ApplyObserver() = default;
    // Stop the watchdog (timer 100) and show "apply_ring".
    virtual void ApplyStarted() = 0;
    // Start the watchdog with kWatchdogPeriodMs; before the save.
    virtual void ReportsSent() = 0;
    // Hide "apply_ring"; after the save and the copy. undelivered: a report the link could carry
    // did not reach the mouse, so something the page shows is not on the mouse yet.
    virtual void ApplyFinished(bool undelivered) = 0;
};

class ApplyPipeline {
public:
    ApplyPipeline(ProfileSource& source, ReportSender& sender, ApplyObserver* observer = nullptr);

    // One apply; the worker thread calls it for each request while a link is usable. Returns
    // the flags it acted on (all clear when no profile is loaded and nothing happened).
    ChangeFlags RunApply();

    // After the mouse changed a setting itself: the record becomes the copy last sent, then the
    // store is saved (SaveSoon), so the change is not sent back. Called on the UI thread.
    void Synchronise(const ProfileRecord& current);
    // After the mouse changed one setting itself: that change alone goes into the copy last
    // sent, then the store is saved. Unlike Synchronise, an edit not sent yet stays to be sent.
    void SynchroniseSlot0(const std::function<void(ProfileSlot&)>& change);

    std::unique_ptr<ProfileRecord> CopyLastApplied() const;

    // Groups the last apply could not deliver (or held back); the next apply sends them.
    ChangeFlags Pending() const;
    // Whether the last apply left a report the link could carry undelivered.
    bool LastApplyUndelivered() const;

private:
    struct SendOutcome {
        ChangeFlags pending;
        bool undelivered = false;
    };
    SendOutcome SendChanged(const ProfileRecord& record, const ChangeFlags& flags);

    ProfileSource& source_;
    ReportSender& sender_;
    ApplyObserver* observer_;
    mutable std::mutex lastAppliedMutex_;
    std::unique_ptr<ProfileRecord> lastAppliedRecord_;  // 165,024 bytes, all zero at first
    ChangeFlags pending_;
    bool undelivered_ = false;
};
