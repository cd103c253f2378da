#include "page/device_links.h"

#include <QLoggingCategory>

#include "link/null_gatt_backend.h"
#include "page/profile_store.h"
#include "sys/program_layout.h"

Q_LOGGING_CATEGORY(lcLinks, "talvore.links")

namespace {

// The drivers post from their own threads; the poster queues for the window's UI thread.
void PostToWindow(void* context, uint32_t message, uint64_t wParam, int64_t lParam) {
    static_cast<const MessagePoster*>(context)->Post(message, static_cast<quintptr>(wParam),
                                                     static_cast<qintptr>(lParam));
}

std::unique_ptr<GattBackend> MakeGattBackend(const PagePlatform& platform) {
    std::unique_ptr<GattBackend> backend;
    if (platform.makeGattBackend) {
        backend = platform.makeGattBackend();
    }
    return backend ? std::move(backend) : std::make_unique<NullGattBackend>();
}

}  // namespace

// SetFeature of a driver library; false while the library is not loaded.
class DeviceLinks::DriverTransport final : public ReportTransport {
public:
    explicit DriverTransport(const DriverLibrary& library) : library_(library) {}
    bool Send(const uint8_t* data, std::size_t length) override {
        const DriverFunctions& f = library_.Functions();
        return f.Bound() && f.SetFeature(data, static_cast<uint32_t>(length)) != 0;
    }

private:
    const DriverLibrary& library_;
};

class DeviceLinks::BleTransport final : public ReportTransport {
public:
    explicit BleTransport(BleLink& ble) : ble_(ble) {}
    bool Send(const uint8_t* data, std::size_t length) override { return ble_.Write(data, length); }

private:
    BleLink& ble_;
};

DeviceLinks::DeviceLinks(ProfileStore& store, DeviceView& view, WindowServices& window,
                         MessagePoster poster, PagePlatform platform)
    : store_(store),
      poster_(std::move(poster)),
      platform_(std::move(platform)),
      gatt_(MakeGattBackend(platform_)),
      ble_(std::make_unique<BleLink>(*gatt_,
                                     [this](uint16_t key, uint16_t value) {
                                         poster_.Post(program_messages::kBluetoothEvent, key,
                                                      value);
                                     })),
      wiredTransport_(std::make_unique<DriverTransport>(wiredLibrary_)),
      receiverTransport_(std::make_unique<DriverTransport>(receiverLibrary_)),
      bleTransport_(std::make_unique<BleTransport>(*ble_)),
      engine_(links_, {wiredTransport_.get(), receiverTransport_.get(), bleTransport_.get()},
              platform_.sleeper != nullptr ? *platform_.sleeper : realSleeper_),
      pipeline_(*this, engine_, this),
      events_(
          links_, view, window, *this,
          [this](uint16_t value) { engine_.OnAcknowledgementEvent(value); },
          [this](bool wokeUp) { OnMouseAnswered(wokeUp); }),
      connection_(links_, view, window, events_, *ble_, wiredLibrary_.Functions(),
                  receiverLibrary_.Functions(), platform_.bluetoothPresentAtStart,
                  [this] { RequestFullApply(); }),
      worker_([this] { return links_.AnyLinkUsable(); },
              [this] {
                  retryQueued_ = false;
                  pipeline_.RunApply();
              },
              [this] {
                  retryQueued_ = false;
                  SaveIfLoaded();
              },
              [this] { SaveIfLoaded(); }) {}

DeviceLinks::~DeviceLinks() {
    Stop();
}

void DeviceLinks::Start() {
    worker_.Start();
    const QString libraries = LibraryFolderOf(platform_.programFolder);
    wiredLibrary_.Load(libraries + QStringLiteral("hiddriver_2.so"));
    receiverLibrary_.Load(libraries + QStringLiteral("hiddriver_1.so"));
    driverWindow_ = {&poster_, &PostToWindow};
    connection_.StartDevices(driverWindow_);
    if (platform_.watchResume) {
        resumeWatcher_ = platform_.watchResume([this] { RequestFullApply(); });
    }
    started_ = true;
}

void DeviceLinks::Stop() {
    if (!started_) {
        return;
    }
    started_ = false;
    resumeWatcher_.reset();
    // A mouse that does not answer must not hold up the exit: the retries and waits end now.
    engine_.Stop();
    realSleeper_.Interrupt();
    worker_.Quit();
    connection_.CloseDevices();
    wiredLibrary_.Unload();
    receiverLibrary_.Unload();
    ble_->Unregister();  // no notification may reach a page that is going away
    if (SaveIfLoaded()) {
        qCInfo(lcLinks) << "profiles saved on the way out";
    }
}

void DeviceLinks::RequestFullApply() {
    answerRetries_ = 0;
    store_.SetForceFullApply(true);
    worker_.Post();
}

void DeviceLinks::OnMouseAnswered(bool wokeUp) {
    // A mouse that keeps refusing is not retried on every answer: after a few tries in a row it
    // is tried again now and then, so the settings still go out once it takes them. The notice
    // stays meanwhile.
    const auto now = std::chrono::steady_clock::now();
    if (wokeUp) {
        answerRetries_ = 0;
    } else if (!pipeline_.LastApplyUndelivered()) {
        return;
    } else if (answerRetries_ >= kMaxAnswerRetries &&
               now - lastAnswerRetry_ < std::chrono::milliseconds(platform_.answerRetryPauseMs)) {
        return;
    }
    if (!retryQueued_.exchange(true)) {
        answerRetries_ += wokeUp ? 0 : 1;
        lastAnswerRetry_ = now;
        worker_.Post();
    }
}

void DeviceLinks::RequestApply() {
    answerRetries_ = 0;
    worker_.Post();
}

bool DeviceLinks::SaveIfLoaded() {
    // Before the store is loaded there is nothing of the user's to write, and an empty list
    // must never replace pro.data.
    const bool loaded = store_.WithLock([](ProfileStore& s) { return s.Current() != nullptr; });
    return loaded && store_.SaveProfiles();
}

RecordSnapshot DeviceLinks::TakeSnapshot() {
    return store_.WithLock([](ProfileStore& s) {
        return RecordSnapshot{s.TakeSnapshotOfCurrent(), s.TakeForceFullApply()};
    });
}

void DeviceLinks::Save() {
    store_.SaveProfiles();
}

void DeviceLinks::ApplyStarted() {
    poster_.Post(program_messages::kApplyStarted);
}

void DeviceLinks::ReportsSent() {
    poster_.Post(program_messages::kApplyReportsSent);
}

void DeviceLinks::ApplyFinished(bool undelivered) {
    poster_.Post(program_messages::kApplyFinished, undelivered ? 1 : 0);
}

bool DeviceLinks::EditSlot0(const std::function<void(ProfileSlot&)>& edit) {
    return store_.WithLock([&](ProfileStore& s) {
        ProfileRecord* current = s.Current();
        if (current == nullptr) {
            return false;
        }
        edit(current->slots[0]);
        return true;
    });
}

void DeviceLinks::SynchroniseSlot0(const std::function<void(ProfileSlot&)>& change) {
    pipeline_.SynchroniseSlot0(change);
}

void DeviceLinks::Synchronise() {
    const auto snapshot = store_.TakeSnapshotOfCurrent();
    if (snapshot) {
        pipeline_.Synchronise(*snapshot);
    }
}
