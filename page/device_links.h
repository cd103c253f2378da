// Everything between the settings page and the mouse: the link state, the driver libraries, the
// Bluetooth link, the send engine, the apply pipeline on its worker thread, the device events and
// the connection manager, wired together. The page owns one.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QString>

#include "link/apply_worker.h"
#include "link/ble_link.h"
#include "link/connection_manager.h"
#include "link/device_events.h"
#include "link/driver_library.h"
#include "link/gatt.h"
#include "link/resume_watcher.h"
#include "protocol/apply_pipeline.h"
#include "protocol/link_state.h"
#include "protocol/send_engine.h"
#include "sys/clock.h"
#include "ui/message_poster.h"

class ProfileStore;

// What differs between the program, the demo and the tests.
struct PagePlatform {
    QString programFolder;                          // ends in '/'; libraries: LibraryFolderOf()
    std::function<bool()> bluetoothPresentAtStart;  // the hidapi look for the Bluetooth mouse
    std::function<std::unique_ptr<GattBackend>()> makeGattBackend;
    std::function<void(int)> wait;  // the arrival handlers' blocking wait
    Sleeper* sleeper = nullptr;     // the send engine's pacing; null: real time
    // Listens for the system's resume from sleep (logind on the system bus); null: nobody does.
    std::function<std::unique_ptr<ResumeWatcher>(std::function<void()> onResume)> watchResume;
    // Opens the desktop's mouse settings, false when there are none; null: the installed one.
    std::function<bool()> openMouseSettings;
    // False when another program held the data folder through the whole wait at the start: this
    // one then never writes the stores (and says so).
    bool soleWriter = true;
};

class DeviceLinks final : public ProfileSource, public ApplyObserver, public CurrentProfileAccess {
public:
    DeviceLinks(ProfileStore& store, DeviceView& view, WindowServices& window, MessagePoster poster,
                PagePlatform platform);
    ~DeviceLinks() override;

    // The device half of the page's start-up: the worker thread, the driver libraries (cable
    // first), the links found at start. Driver messages go to the window of the poster.
    void Start();
    // Teardown: a send in progress gives up, the worker stops before the libraries are closed
    // and unloaded, and the store is saved, so nothing edited since the last save is lost.
    void Stop();

    // Asks the worker for one apply (message 1648).
    void RequestApply();
    // The mouse may have lost what it held (the system slept, a link came back): the next apply
    // sends the current profile in full.
    void RequestFullApply();

    LinkState& Links() { return links_; }
    ConnectionManager& Connection() { return connection_; }
    DeviceEvents& Events() { return events_; }
    BleLink& Ble() { return *ble_; }
    ApplyPipeline& Pipeline() { return pipeline_; }
    ApplyWorker& Worker() { return worker_; }
    SendEngine& Engine() { return engine_; }

    // ProfileSource (worker thread).
    RecordSnapshot TakeSnapshot() override;
    void Save() override;
    // On the worker thread, after whatever it is doing: a large store takes a while to write.
    void SaveSoon() override { worker_.PostSave(); }
    // ApplyObserver (worker thread): the window is told by message, never touched from here.
    void ApplyStarted() override;
    void ReportsSent() override;
    void ApplyFinished(bool undelivered) override;
    // CurrentProfileAccess (UI thread).
    bool EditSlot0(const std::function<void(ProfileSlot&)>& edit) override;
    void Synchronise() override;
    void SynchroniseSlot0(const std::function<void(ProfileSlot&)>& change) override;

private:
    class DriverTransport;
    class BleTransport;

    // A power status came: the mouse is reachable. Asks for one apply when it has just woken or
    // the last apply left something undelivered (kMaxAnswerRetries times in a row at most);
    // never more than one such request waits.
    void OnMouseAnswered(bool wokeUp);
    static constexpr int kMaxAnswerRetries = 3;
    // Requests dropped for want of a link, and the way out: the edits reach pro.data at once.
    // True when pro.data was written.
    bool SaveIfLoaded();

    ProfileStore& store_;
    MessagePoster poster_;
    PagePlatform platform_;
    InterruptibleSleeper realSleeper_;
    LinkState links_;
    DriverLibrary wiredLibrary_;
    DriverLibrary receiverLibrary_;
    std::unique_ptr<GattBackend> gatt_;
    std::unique_ptr<BleLink> ble_;
    std::unique_ptr<DriverTransport> wiredTransport_;
    std::unique_ptr<DriverTransport> receiverTransport_;
    std::unique_ptr<BleTransport> bleTransport_;
    SendEngine engine_;
    ApplyPipeline pipeline_;
    DeviceEvents events_;
    ConnectionManager connection_;
    ApplyWorker worker_;
    std::unique_ptr<ResumeWatcher> resumeWatcher_;
    TalvoreWindow driverWindow_{};
    bool started_ = false;
    std::atomic<bool> retryQueued_{false};
    int answerRetries_ = 0;  // UI thread only
};
