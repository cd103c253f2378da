// The mouse's two USB links as the program opens them: hiddriver_2.so (the mouse on its cable)
// and hiddriver_1.so (the 2.4 GHz receiver) from the program folder, each opened with
// Set_VIDPID, Open_DevMonitor and Open_FeatureDevice, cable first, and closed in the program's
// order. The drivers post their messages from their own threads; every message is handed to the
// listener on that thread and queued for NextMessage.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include <QString>
#include <QStringList>

#include "link/driver_library.h"

enum class UsbLink { Cable, Receiver };

// "cable" or "receiver".
const char* UsbLinkName(UsbLink link);

struct LinkMessage {
    enum class Kind { Event, Arrived, Removed };
    UsbLink link = UsbLink::Cable;
    Kind kind = Kind::Event;
    uint16_t key = 0;  // device event: low byte 0x69, high byte the event type
    uint16_t value = 0;
};

class MouseConnection {
public:
    // Called on the drivers' threads; must not block.
    using Listener = std::function<void(const LinkMessage&)>;

    explicit MouseConnection(Listener listener = {});
    ~MouseConnection();
    MouseConnection(const MouseConnection&) = delete;
    MouseConnection& operator=(const MouseConnection&) = delete;

    // Loads both driver libraries from the program folder's LibraryFolderOf(), the cable's first.
    // False when neither loads; LoadErrors() says why for each one that did not.
    bool Load(const QString& programFolder);
    QStringList LoadErrors() const { return loadErrors_; }

    // Opens the links of the loaded libraries, cable first, and follows their events and
    // presence. A link whose device opened is present.
    void Open();
    // Opens the link's device without following it (no monitor thread, so closing is immediate):
    // enough for transfers that wait for nothing the mouse sends, as over the cable. Open() later
    // follows it as well.
    void OpenUnfollowed(UsbLink link);
    bool Loaded(UsbLink link) const;
    bool PresentAtStart(UsbLink link) const;

    // The link's SetFeature; 0 when its library is not loaded.
    int SetFeature(UsbLink link, const uint8_t* report, std::size_t length);

    // The next queued message, waiting for one until the deadline or until Interrupt().
    std::optional<LinkMessage> NextMessage(std::chrono::steady_clock::time_point deadline);
    // Wakes NextMessage, now and for every later call. Safe from any thread.
    void Interrupt();
    bool Interrupted() const;

    // Receiver: Close_FeatureDevice, Close_DevMonitor; cable: the same; then both libraries are
    // unloaded, the cable's first. No message comes after this. Safe to call more than once.
    void Close();

private:
    struct Link {
        DriverLibrary library;
        bool loaded = false;
        bool opened = false;    // the feature device was opened
        bool followed = false;  // the driver's monitor runs
        bool present = false;
    };
    Link& Of(UsbLink link) { return link == UsbLink::Cable ? cable_ : receiver_; }
    const Link& Of(UsbLink link) const { return link == UsbLink::Cable ? cable_ : receiver_; }
    void OpenLink(UsbLink link, bool follow);
    void CloseLink(UsbLink link);
    static void Post(void* context, uint32_t message, uint64_t wParam, int64_t lParam);
    void Deliver(const LinkMessage& message);

    Listener listener_;
    Link cable_;
    Link receiver_;
    QStringList loadErrors_;

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<LinkMessage> queue_;
    bool interrupted_ = false;
};
