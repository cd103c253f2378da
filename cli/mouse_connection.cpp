#include "cli/mouse_connection.h"

#include <limits>

#include "link/connection_manager.h"
#include "sys/program_layout.h"

namespace {

constexpr uint16_t kFirstEventKey = 0x1000;
constexpr uint16_t kLastEventKey = 0x9000;

const UsbLinkIdentity& IdentityOf(UsbLink link) {
    return link == UsbLink::Cable ? kWiredLink : kReceiverLink;
}

}  // namespace

const char* UsbLinkName(UsbLink link) {
    return link == UsbLink::Cable ? "cable" : "receiver";
}

MouseConnection::MouseConnection(Listener listener) : listener_(std::move(listener)) {}

MouseConnection::~MouseConnection() {
    Close();
}

bool MouseConnection::Load(const QString& programFolder) {
    loadErrors_.clear();
    const QString libraries = LibraryFolderOf(programFolder);
    const auto load = [&](Link& link, const char* file) {
        link.loaded = link.library.Load(libraries + QLatin1String(file));
        if (!link.loaded) {
            loadErrors_.append(link.library.ErrorString());
        }
    };
    load(cable_, "hiddriver_2.so");
    load(receiver_, "hiddriver_1.so");
    return cable_.loaded || receiver_.loaded;
}

void MouseConnection::Open() {
    OpenLink(UsbLink::Cable, true);
    OpenLink(UsbLink::Receiver, true);
}

void MouseConnection::OpenUnfollowed(UsbLink link) {
    OpenLink(link, false);
}

void MouseConnection::OpenLink(UsbLink which, bool follow) {
    Link& link = Of(which);
    if (!link.loaded || (link.opened && (link.followed || !follow))) {
        return;
    }
    const UsbLinkIdentity& identity = IdentityOf(which);
    const DriverFunctions& f = link.library.Functions();
    if (!link.opened) {
        f.Set_VIDPID(identity.vendorId, identity.productId);
    }
    if (follow) {
        // The driver copies the window; the context is this connection, the message tells the
        // link. The monitor starts before the device is opened, so no change falls in between.
        const TalvoreWindow window{this, &MouseConnection::Post};
        f.Open_DevMonitor(&window, identity.dataMessage, identity.statusMessage);
        link.followed = true;
    }
    link.opened = true;
    link.present = f.Open_FeatureDevice() != 0;
}

bool MouseConnection::Loaded(UsbLink link) const {
    return Of(link).loaded;
}

bool MouseConnection::PresentAtStart(UsbLink link) const {
    return Of(link).present;
}

int MouseConnection::SetFeature(UsbLink which, const uint8_t* report, std::size_t length) {
    const Link& link = Of(which);
    if (!link.opened || length > std::numeric_limits<uint32_t>::max()) {
        return 0;
    }
    return link.library.Functions().SetFeature(report, static_cast<uint32_t>(length));
}

void MouseConnection::Post(void* context, uint32_t message, uint64_t wParam, int64_t lParam) {
    auto* self = static_cast<MouseConnection*>(context);
    for (UsbLink link : {UsbLink::Cable, UsbLink::Receiver}) {
        const UsbLinkIdentity& identity = IdentityOf(link);
        if (message == identity.dataMessage) {
            // Keys outside the device events' range are not the mouse's.
            const auto key = static_cast<uint16_t>(wParam & 0xFFFF);
            if (wParam > kLastEventKey || key < kFirstEventKey) {
                return;
            }
            self->Deliver({link, LinkMessage::Kind::Event, key,
                           static_cast<uint16_t>(static_cast<uint64_t>(lParam) & 0xFFFF)});
            return;
        }
        if (message == identity.statusMessage) {
            if (wParam == 1 || wParam == 0) {
                self->Deliver(
                    {link, wParam == 1 ? LinkMessage::Kind::Arrived : LinkMessage::Kind::Removed});
            }
            return;
        }
    }
}

void MouseConnection::Deliver(const LinkMessage& message) {
    if (listener_) {
        listener_(message);
    }
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(message);
    }
    arrived_.notify_all();
}

std::optional<LinkMessage> MouseConnection::NextMessage(
    std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    arrived_.wait_until(lock, deadline, [&] { return interrupted_ || !queue_.empty(); });
    if (interrupted_ || queue_.empty()) {
        return std::nullopt;
    }
    LinkMessage message = queue_.front();
    queue_.pop_front();
    return message;
}

void MouseConnection::Interrupt() {
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
    }
    arrived_.notify_all();
}

bool MouseConnection::Interrupted() const {
    std::lock_guard lock(mutex_);
    return interrupted_;
}

void MouseConnection::CloseLink(UsbLink which) {
    Link& link = Of(which);
    if (link.opened) {
        const DriverFunctions& f = link.library.Functions();
        f.Close_FeatureDevice();
        if (link.followed) {
            f.Close_DevMonitor();  // joins the driver's thread: nothing is posted after this
        }
        link.opened = false;
        link.followed = false;
        link.present = false;
    }
}

void MouseConnection::Close() {
    CloseLink(UsbLink::Receiver);
    CloseLink(UsbLink::Cable);
    for (Link* link : {&cable_, &receiver_}) {
        if (link->loaded) {
            link->library.Unload();
            link->loaded = false;
        }
    }
}
