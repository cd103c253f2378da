// Which links reach the mouse. The connection manager writes these words on the UI thread; the
// send engine and the worker thread read them, so each is atomic.
#pragma once

#include <atomic>
#include <cstdint>

inline constexpr int32_t kLinkNeverReported = 0;
inline constexpr int32_t kLinkPresent = 1;
inline constexpr int32_t kLinkRemoved = 2;

struct LinkState {
    std::atomic<int32_t> cableState{kLinkNeverReported};     // mouse on its cable
    std::atomic<int32_t> receiverState{kLinkNeverReported};  // 2.4 GHz receiver plugged in
    std::atomic<int32_t> wirelessAwake{0};    // the mouse answers behind the receiver
    std::atomic<int32_t> bleConnected{0};     // connected over Bluetooth LE
    std::atomic<int32_t> deviceConnected{0};  // what the main window shows

    // Only the value 1 counts as present; 2 only marks a removal already seen.
    bool CablePresent() const { return cableState.load() == kLinkPresent; }
    bool ReceiverPresent() const { return receiverState.load() == kLinkPresent; }
    // The receiver carries reports only while the mouse behind it is awake.
    bool ReceiverUsable() const { return ReceiverPresent() && wirelessAwake.load() == 1; }
    bool BleUsable() const { return bleConnected.load() == 1; }
    // Whether an apply can run at all.
    bool AnyLinkUsable() const {
        return CablePresent() || wirelessAwake.load() == 1 || BleUsable();
    }
};
