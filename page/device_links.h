// Everything between the settings page and the mouse: the link state, the driver libraries, the
// Bluetooth link, the send engine, the apply pipeline on its worker thread, the device events and
// the connection manager, wired together. The page owns one.
#pragma once

#include <functional>
#include <memory>

#include <QString>

#include "link/apply_worker.h"
#include "link/ble_link.h"
#include "link/connection_manager.h"
#include "link/device_events.h"
#include "link/driver_library.h"
#include "link/gatt.h"
#include "protocol/apply_pipeline.h"
#include "protocol/link_state.h"
#include "protocol/send_engine.h"
#include "sys/clock.h"
#include "ui/message_poster.h"

class ProfileStore;

// What differs between the program, the demo and the tests.
struct PagePlatform {
    QString programFolder;                          // ends in '/'; the driver libraries live here
    std::function<bool()> bluetoothPresentAtStart;  // the hidapi look for the Bluetooth mouse
    std::function<std::unique_ptr<GattBackend>()> makeGattBackend;
    std::function<void(int)> wait;  // the arrival handlers' blocking wait
    Sleeper* sleeper = nullptr;     // the send engine's pacing; null: real time
    // Opens the desktop's mouse settings, false when there are none; null: the installed one.
    std::function<bool()> openMouseSettings;
};

class DeviceLinks final : public ProfileSource, public ApplyObserver, public CurrentProfileAccess {
public:
    DeviceLinks(ProfileStore& store, DeviceView& view, WindowServices& window, MessagePoster poster,
                PagePlatform platform);
    ~DeviceLinks() override;

    // The device half of the page's start-up: the worker thread, the driver libraries (cable
    // first), the links found at start. Driver messages go to the window of the poster.
    void Start();
    // Teardown: the worker stops before the libraries are closed and unloaded.
    void Stop();

    // Asks the worker for one apply (message 1648).
    void RequestApply() { worker_.Post(); }

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
    // ApplyObserver (worker thread): the window is told by message, never touched from here.
    void ApplyStarted() override;
    void ReportsSent() override;
    void ApplyFinished() override;
    // CurrentProfileAccess (UI thread).
    bool EditSlot0(const std::function<void(ProfileSlot&)>& edit) override;
    void Synchronise() override;

private:
    class DriverTransport;
    class BleTransport;

    ProfileStore& store_;
    MessagePoster poster_;
    PagePlatform platform_;
    ThreadSleeper realSleeper_;
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
    TalvoreWindow driverWindow_{};
    bool started_ = false;
};
