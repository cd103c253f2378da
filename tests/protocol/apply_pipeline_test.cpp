#include "protocol/apply_pipeline.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/protocol/report_test_util.h"

namespace {

// Everything the pipeline does to the outside, in order.
using Log = std::vector<std::string>;

class FakeStore final : public ProfileSource {
public:
    explicit FakeStore(Log& log) : log_(log) {}

    RecordSnapshot TakeSnapshot() override {
        RecordSnapshot snapshot;
        if (current) {
            snapshot.record = std::make_unique<ProfileRecord>(*current);
        }
        snapshot.forceFullApply = forceFullApply;
        forceFullApply = false;
        return snapshot;
    }
    void Save() override {
        ++saves;
        log_.push_back("save");
    }

    std::unique_ptr<ProfileRecord> current = CreateBlankRecord(QStringLiteral("Work"));
    bool forceFullApply = true;  // as after loading the profiles
    int saves = 0;

private:
    Log& log_;
};

class RecordingSender final : public ReportSender {
public:
    explicit RecordingSender(Log& log) : log_(log) {}

    int SendReport(const uint8_t* bytes, std::size_t length) override {
        reports.emplace_back(bytes, bytes + length);
        char name[8];
        std::snprintf(name, sizeof name, "%02X", bytes[0]);
        log_.push_back(name);
        if (duringSend) {
            duringSend();
        }
        return refused.count(bytes[0]) != 0 ? 0 : 1;
    }
    bool CanCarry(uint8_t reportId) const override { return heldBack.count(reportId) == 0; }

    std::vector<std::vector<uint8_t>> reports;
    std::function<void()> duringSend;
    std::set<uint8_t> refused;   // report ids the mouse does not take
    std::set<uint8_t> heldBack;  // report ids the link in use never carries

private:
    Log& log_;
};

class LoggingObserver final : public ApplyObserver {
public:
    explicit LoggingObserver(Log& log) : log_(log) {}
    void ApplyStarted() override { log_.push_back("started"); }
    void ReportsSent() override { log_.push_back("watchdog"); }
    void ApplyFinished(bool undelivered) override {
        log_.push_back(undelivered ? "finished, undelivered" : "finished");
    }

private:
    Log& log_;
};

class ApplyPipelineTest : public ::testing::Test {
protected:
    ProfileSlot& Slot0() { return store.current->slots[0]; }

    // Applies once (a full apply, as after loading), then forgets what was logged.
    void ApplyFull() {
        pipeline.RunApply();
        log.clear();
        sender.reports.clear();
    }

    void MakeMacro(int j) {
        ButtonEntry& e = Slot0().buttons[j];
        e.functionCode = kFunctionMacro;
        e.macroActionCount = 2;
        e.macroActions[0] = MacroAction{0x04, kActionPress, 50};
        e.macroActions[1] = MacroAction{0x04, kActionRelease, 50};
    }

    Log log;
    FakeStore store{log};
    RecordingSender sender{log};
    LoggingObserver observer{log};
    ApplyPipeline pipeline{store, sender, &observer};
};

TEST_F(ApplyPipelineTest, FullApplySendsEveryGroupInOrderThenSavesAndRecords) {
    MakeMacro(2);
    MakeMacro(13);

    pipeline.RunApply();

    EXPECT_EQ(log, (Log{"started", "0C", "04", "05", "06", "08", "09", "09", "watchdog", "save",
                        "finished"}));
    EXPECT_EQ(sender.reports[1].size(), 56u);
    EXPECT_EQ(sender.reports[5][2], 3);   // button 3
    EXPECT_EQ(sender.reports[6][2], 14);  // button 14
    EXPECT_EQ(sender.reports[3], Hex("06 09 01 04 FB 00 00 00 00"));
    auto last = pipeline.CopyLastApplied();
    EXPECT_EQ(std::memcmp(last.get(), store.current.get(), sizeof(ProfileRecord)), 0);
}

TEST_F(ApplyPipelineTest, ApplyWithoutEditSendsNothingButStillSavesAndRestartsTheWatchdog) {
    ApplyFull();
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "watchdog", "save", "finished"}));
    EXPECT_EQ(store.saves, 2);
}

TEST_F(ApplyPipelineTest, OnlyTheChangedGroupsAreSent) {
    MakeMacro(2);
    ApplyFull();

    Slot0().dpiStage = 4;
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "04", "watchdog", "save", "finished"}));
    EXPECT_EQ(sender.reports[1][24], 5);

    log.clear();
    sender.reports.clear();
    Slot0().buttons[2].macroActions[1].delay = 300;
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "08", "09", "watchdog", "save", "finished"}));
    EXPECT_EQ(sender.reports[2][2], 3);

    log.clear();
    Slot0().lightOffTimer = 5;
    Slot0().reportRate = 2;
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "05", "06", "watchdog", "save", "finished"}));
}

TEST_F(ApplyPipelineTest, MacroDataOfAButtonNotOnTheMacroFunctionSendsOnlyButtons) {
    ApplyFull();
    Slot0().buttons[5].macroActions[0] = MacroAction{0x04, kActionPress, 10};
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "08", "watchdog", "save", "finished"}));
}

TEST_F(ApplyPipelineTest, FieldsOutsideTheGroupsSendNothing) {
    ApplyFull();
    Slot0().moveMode = 1;
    SetProfileName(*store.current, QStringLiteral("Renamed"));
    Slot0().reservedA = 99;
    Slot0().dpiReserved = 0;               // unchanged member of a group
    store.current->slots[2].dpiStage = 7;  // a slot that is not compared
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "watchdog", "save", "finished"}));
}

TEST_F(ApplyPipelineTest, ActiveSlotDecidesTheComparedSlot) {
    ApplyFull();
    // Another activeSlot alone: only the 0x0C report. Slot 1 is compared, so a slot-0 edit
    // goes unnoticed while slot 1 matches.
    store.current->activeSlot = 1;
    Slot0().dpiStage = 0;
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "watchdog", "save", "finished"}));

    // A damaged activeSlot compares slot 0 and reads nothing outside the record.
    log.clear();
    store.current->activeSlot = 1000000;
    Slot0().dpiStage = 1;
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "04", "watchdog", "save", "finished"}));
}

TEST_F(ApplyPipelineTest, EditMadeWhileReportsAreSentIsSentByTheNextApply) {
    ApplyFull();
    Slot0().lightBrightness = 3;
    sender.duringSend = [&] { Slot0().sleepTimer = 20; };  // the user goes on editing
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "05", "watchdog", "save", "finished"}));
    EXPECT_EQ(sender.reports[1][5], 0xA3);  // built from the copy taken at the start

    sender.duringSend = nullptr;
    log.clear();
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "05", "watchdog", "save", "finished"}));
}

TEST_F(ApplyPipelineTest, SynchroniseKeepsTheMouseOwnChangeFromBeingSentBack) {
    ApplyFull();
    Slot0().dpiStage = 0;  // the mouse switched its stage
    pipeline.Synchronise(*store.current);
    EXPECT_EQ(store.saves, 2);
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"save", "started", "watchdog", "save", "finished"}));
}

TEST_F(ApplyPipelineTest, TheMouseOwnChangeDoesNotHideAnEditNotSentYet) {
    ApplyFull();
    Slot0().lightBrightness = 1;  // the user's edit, waiting for its debounce
    Slot0().dpiStage = 5;         // the mouse switched its stage
    pipeline.SynchroniseSlot0([](ProfileSlot& s) { s.dpiStage = 5; });
    EXPECT_EQ(store.saves, 2);
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"save", "started", "0C", "05", "watchdog", "save", "finished"}));
}

TEST_F(ApplyPipelineTest, DeviceEventsAreNotHeldUpWhileReportsAreSent) {
    sender.duringSend = [&] {
        sender.duringSend = nullptr;
        std::thread uiThread([&] { pipeline.Synchronise(*store.current); });
        uiThread.join();
    };
    pipeline.RunApply();
    EXPECT_EQ(store.saves, 2);
}

TEST_F(ApplyPipelineTest, AReportTheMouseDidNotTakeIsSentAgainByTheNextApply) {
    ApplyFull();
    Slot0().dpiStage = 1;
    Slot0().lightBrightness = 2;
    sender.refused = {0x05};
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "04", "05", "watchdog", "save", "finished, undelivered"}));
    EXPECT_TRUE(pipeline.LastApplyUndelivered());

    // No edit since: only the group the mouse did not take goes again, and then nothing.
    sender.refused.clear();
    log.clear();
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "05", "watchdog", "save", "finished"}));
    log.clear();
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "watchdog", "save", "finished"}));

    // A forced full apply whose DPI report fails: the record already equals the copy last sent,
    // yet the DPI group is owed to the mouse.
    store.forceFullApply = true;
    sender.refused = {0x04};
    pipeline.RunApply();
    sender.refused.clear();
    log.clear();
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "04", "watchdog", "save", "finished"}));
}

TEST_F(ApplyPipelineTest, AnUntakenPreambleKeepsTheWholeApplyPending) {
    MakeMacro(2);
    ApplyFull();
    Slot0().lightSpeed = 1;
    Slot0().buttons[2].macroActions[0].delay = 70;
    sender.refused = {0x0C};
    pipeline.RunApply();
    sender.refused.clear();
    log.clear();
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "05", "08", "09", "watchdog", "save", "finished"}));
}

TEST_F(ApplyPipelineTest, AReportTheLinkNeverCarriesIsHeldBackWithoutCountingAsAFailure) {
    sender.heldBack = {0x06};  // Bluetooth alone
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "04", "05", "08", "watchdog", "save", "finished"}));
    EXPECT_FALSE(pipeline.LastApplyUndelivered());
    EXPECT_TRUE(pipeline.Pending().rateChanged);

    sender.heldBack.clear();  // the receiver is back
    log.clear();
    pipeline.RunApply();
    EXPECT_EQ(log, (Log{"started", "0C", "06", "watchdog", "save", "finished"}));
}

TEST_F(ApplyPipelineTest, NoProfileLoadedDoesNothing) {
    store.current.reset();
    pipeline.RunApply();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(store.saves, 0);
}

}  // namespace
