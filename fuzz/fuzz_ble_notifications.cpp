// Bluetooth notifications of characteristic 0xFEE4 as the link receives them: a notification of
// four bytes or more becomes exactly one event (key and value little-endian), a shorter one none,
// whatever the bytes are; each event then goes through the device-event handling.
#include <vector>

#include "fuzz/fuzz_support.h"
#include "link/ble_link.h"
#include "link/device_events.h"

namespace {

// One connected mouse with the report and event characteristics; keeps the value callback.
class Device final : public GattDevice {
public:
    explicit Device(GattValueCallback& callback) : callback_(callback) {}
    std::optional<std::vector<GattService>> Services() override {
        return std::vector<GattService>{{1}};
    }
    std::optional<std::vector<GattCharacteristic>> Characteristics(const GattService&) override {
        return std::vector<GattCharacteristic>{{1, 10, true, 0xFEE3, true, false},
                                               {1, 12, true, 0xFEE4, false, true}};
    }
    std::optional<std::vector<GattDescriptor>> Descriptors(const GattCharacteristic& c) override {
        return std::vector<GattDescriptor>{{c.serviceHandle, uint16_t(c.attributeHandle + 1)}};
    }
    std::optional<std::vector<uint8_t>> ReadDescriptor(const GattDescriptor&) override {
        return std::vector<uint8_t>{0, 0};
    }
    bool SubscribeDescriptor(const GattDescriptor&) override { return true; }
    bool WriteValue(const GattCharacteristic&, const uint8_t*, std::size_t) override {
        return true;
    }
    std::unique_ptr<GattRegistration> RegisterValueChanged(const GattCharacteristic&,
                                                           GattValueCallback callback) override {
        callback_ = std::move(callback);
        class Registration final : public GattRegistration {
        public:
            bool Unregister() override { return true; }
        };
        return std::make_unique<Registration>();
    }

private:
    GattValueCallback& callback_;
};

class Backend final : public GattBackend {
public:
    std::vector<BluetoothDeviceInfo> Devices() override {
        return {{false, QStringLiteral("TALVORE"), QStringLiteral("BTHLE\\Dev_e0d4e84a1b2c")}};
    }
    std::vector<QString> InterfacePaths() override {
        return {
            QStringLiteral("\\\\?\\bthledevice#{00001812-0000-1000-8000-00805f9b34fb}_dev_vid&"
                           "02045e_pid&0069_rev&0001_e0d4e84a1b2c#8&1a2b3c&0&0020#{6e3bb679}")};
    }
    std::unique_ptr<GattDevice> Open(const QString&) override {
        return std::make_unique<Device>(callback);
    }
    GattValueCallback callback;
};

class View final : public DeviceView {
public:
    void SetVisible(std::string_view, bool) override {}
    bool IsChecked(std::string_view) const override { return true; }
    void SetChecked(std::string_view, bool) override {}
    void SetLanguageText(std::string_view, std::string_view) override {}
    void SetPlainText(std::string_view, const QString&) override {}
    void SetProgress(std::string_view, int value) override {
        FUZZ_REQUIRE(value >= 0 && value <= 100);
    }
    void SelectDpiStageOption(int) override {}
    void SelectReportRateOption(int index) override { FUZZ_REQUIRE(index >= 0 && index <= 3); }
    void UpdateLightRows() override {}
};

class Window final : public WindowServices {
public:
    void SetTimer(int, int) override {}
    void KillTimer(int) override {}
    void StartChargeTimer() override {}
    void StopChargeTimer() override {}
    void PostMessage(uint32_t, uint64_t, int64_t) override {}
    void Wait(int) override {}
};

class NoProfile final : public CurrentProfileAccess {
public:
    bool EditSlot0(const std::function<void(ProfileSlot&)>&) override { return false; }
    void Synchronise() override {}
    void SynchroniseSlot0(const std::function<void(ProfileSlot&)>&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Backend backend;
    std::vector<std::pair<uint16_t, uint16_t>> received;
    BleLink link(backend, [&](uint16_t key, uint16_t value) { received.emplace_back(key, value); });
    link.SetLinkUp(true);
    link.ConnectAndRegister();
    FUZZ_REQUIRE(link.HasRegistration() && backend.callback);

    LinkState links;
    links.bleConnected = 1;
    View view;
    Window window;
    NoProfile profile;
    DeviceEvents events(links, view, window, profile, [](uint16_t) {});

    // Each notification: a length byte (0..15), then that many bytes.
    for (size_t at = 0; at < size;) {
        const size_t length = std::min<size_t>(data[at] & 0x0F, size - at - 1);
        const uint8_t* value = data + at + 1;
        received.clear();
        backend.callback(length == 0 ? nullptr : value, length);
        if (length < 4) {
            FUZZ_REQUIRE(received.empty());
        } else {
            FUZZ_REQUIRE(received.size() == 1);
            FUZZ_REQUIRE(received[0].first == (value[0] | value[1] << 8));
            FUZZ_REQUIRE(received[0].second == (value[2] | value[3] << 8));
            events.Handle(received[0].first, received[0].second, EventSource::Bluetooth);
        }
        at += 1 + length;
    }
    link.Unregister();
    return 0;
}
