// A full apply with the real waits: the apply pipeline and the send engine, in this process,
// sending the current profile of a profile store to the simulated mouse over the cable, the
// receiver (the mouse acknowledges at once) and Bluetooth, then saving pro.data as the program
// does. The figure is the wall time divided by the waits the protocol mandates for what was sent:
// 200 ms after each transfer on the cable, 500 ms after each report and 1,000 ms after each macro
// piece on the receiver, 500 ms after each Bluetooth write.
//
// The store is written under the system's temporary folder (TMPDIR).
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <chrono>
#include <memory>

#include "macro/macro_binding.h"
#include "page/profile_store.h"
#include "protocol/apply_pipeline.h"
#include "protocol/link_state.h"
#include "protocol/send_engine.h"
#include "sim/mouse_transport.h"
#include "sim/simulated_mouse.h"
#include "sys/clock.h"
#include "sys/text_lookup.h"

namespace {

class BenchTexts final : public TextLookup {
public:
    QString Text(const QString&) const override { return QStringLiteral("Profile "); }
};

// The profile store as the page hands it to the pipeline.
class StoreSource final : public ProfileSource {
public:
    explicit StoreSource(ProfileStore& store) : store_(store) {}
    RecordSnapshot TakeSnapshot() override {
        return store_.WithLock([](ProfileStore& s) {
            return RecordSnapshot{s.TakeSnapshotOfCurrent(), s.TakeForceFullApply()};
        });
    }
    void Save() override { store_.SaveProfiles(); }

private:
    ProfileStore& store_;
};

int MandatedWaitMs(const sim::TransferLogEntry& transfer) {
    switch (transfer.link) {
        case sim::Link::Cable:
            return kWiredPauseMs;
        case sim::Link::Receiver:
            return transfer.bytes.size() == kMacroFrameSize ? kReceiverMacroPauseMs
                                                            : kReceiverPauseMs;
        case sim::Link::Bluetooth:
            return kBlePauseMs;
    }
    return 0;
}

class ApplyOverLink {
public:
    ApplyOverLink(sim::Link link, bool withMacro)
        : store_(dir_.path() + QLatin1Char('/'), texts_), source_(store_) {
        mouse_.SetEventSink([this](sim::Link, uint16_t key, uint16_t value) {
            if (key == sim::kEventAck) {
                engine_.OnAcknowledgementEvent(value);
            }
        });
        switch (link) {
            case sim::Link::Cable:
                mouse_.SetCablePlugged(true);
                links_.cableState = kLinkPresent;
                break;
            case sim::Link::Receiver:
                mouse_.SetReceiverPlugged(true);
                mouse_.SetMouseAwake(true);
                links_.receiverState = kLinkPresent;
                links_.wirelessAwake = 1;
                break;
            case sim::Link::Bluetooth:
                mouse_.SetBluetoothConnected(true);
                links_.bleConnected = 1;
                break;
        }
        store_.LoadProfiles();
        if (withMacro) {
            BindShortMacro();
        }
    }

    // One full apply; returns false when the mouse refused a transfer.
    bool Run(double& wallMs, double& mandatedMs) {
        store_.SetForceFullApply(true);
        mouse_.ClearLog();
        const auto start = std::chrono::steady_clock::now();
        pipeline_.RunApply();
        wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
        mandatedMs = 0;
        bool allTaken = true;
        for (const sim::TransferLogEntry& transfer : mouse_.Log()) {
            mandatedMs += MandatedWaitMs(transfer);
            allTaken = allTaken && transfer.accepted;
        }
        return allTaken && mandatedMs > 0;
    }

private:
    // Button 5 plays a short macro of four actions.
    void BindShortMacro() {
        MacroRecord macro{};
        macro.name[0] = u'M';
        macro.actionCount = 4;
        macro.actions[0] = {0x04, kActionPress, 30};
        macro.actions[1] = {0x04, kActionRelease, 30};
        macro.actions[2] = {0x05, kActionPress, 30};
        macro.actions[3] = {0x05, kActionRelease, 30};
        store_.WithLock([&](ProfileStore& s) {
            BindMacroToButton(s.Current()->slots[0].buttons[4], macro, 0, 1, 1);
            return true;
        });
    }

    QTemporaryDir dir_;
    BenchTexts texts_;
    ProfileStore store_;
    StoreSource source_;
    sim::SimulatedMouse mouse_;
    LinkState links_;
    ThreadSleeper sleeper_;
    sim::MouseTransport wired_{mouse_, sim::Link::Cable};
    sim::MouseTransport receiver_{mouse_, sim::Link::Receiver};
    sim::MouseTransport ble_{mouse_, sim::Link::Bluetooth};
    SendEngine engine_{links_, SendTransports{&wired_, &receiver_, &ble_}, sleeper_};
    ApplyPipeline pipeline_{source_, engine_, nullptr};
};

void BM_FullApply(benchmark::State& state) {
    ApplyOverLink apply(static_cast<sim::Link>(state.range(0)), state.range(1) != 0);
    double wallMs = 0;
    double mandatedMs = 0;
    for (auto _ : state) {
        if (!apply.Run(wallMs, mandatedMs)) {
            state.SkipWithError("the mouse did not take every transfer");
            break;
        }
        state.SetIterationTime(wallMs / 1000.0);
    }
    state.counters["mandated_ms"] = mandatedMs;
    state.counters["wall_per_mandated"] = wallMs / mandatedMs;
}
BENCHMARK(BM_FullApply)
    ->ArgNames({"link", "macro"})
    ->Args({static_cast<int>(sim::Link::Cable), 0})
    ->Args({static_cast<int>(sim::Link::Cable), 1})
    ->Args({static_cast<int>(sim::Link::Receiver), 0})
    ->Args({static_cast<int>(sim::Link::Receiver), 1})
    ->Args({static_cast<int>(sim::Link::Bluetooth), 0})
    ->Args({static_cast<int>(sim::Link::Bluetooth), 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
