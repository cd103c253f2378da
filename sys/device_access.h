// Whether this user may open the mouse's hidraw nodes. A node of the mouse that exists but cannot
// be opened (usually: the device rules are not installed, so the node belongs to root) makes the
// mouse look absent to the drivers; this tells that case apart and says what to do about it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QString>
#include <QStringList>

// The mouse's HID identities, as the kernel names them (bus 3 USB, bus 5 Bluetooth).
struct MouseHidIdentity {
    uint16_t bus;
    uint16_t vendorId;
    uint16_t productId;
    const char* link;  // "cable", "receiver", "bluetooth"
};

inline constexpr MouseHidIdentity kMouseHidIdentities[] = {
    {0x0003, 0x1D57, 0x2039, "cable"},
    {0x0003, 0x1D57, 0xFA60, "receiver"},
    {0x0005, 0x045E, 0x0069, "bluetooth"},
};

// The device rules that give the user at the seat access to those nodes.
inline constexpr char kUdevRulesFileName[] = "70-talvore.rules";

struct HidrawNode {
    QString devicePath;  // e.g. /dev/hidraw3
    uint16_t bus = 0;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
};

// The hidraw nodes of the system and a way to try them; tests give their own.
class HidrawNodes {
public:
    virtual ~HidrawNodes() = default;
    virtual std::vector<HidrawNode> List() const = 0;
    // 0 when the node opens for reading and writing, else the errno of the attempt.
    virtual int TryOpen(const QString& devicePath) const = 0;
};

// The kernel's view: SYS/class/hidraw/NAME/device/uevent (HID_ID=bus:vendor:product) and the node
// DEV/NAME. The roots are parameters so that another device tree can be examined.
class SysfsHidrawNodes : public HidrawNodes {
public:
    explicit SysfsHidrawNodes(QString sysRoot = QStringLiteral("/sys"),
                              QString devRoot = QStringLiteral("/dev"));
    std::vector<HidrawNode> List() const override;
    int TryOpen(const QString& devicePath) const override;

private:
    QString sysRoot_;
    QString devRoot_;
};

struct MouseNodeAccess {
    HidrawNode node;
    QString link;   // which link of the mouse the node belongs to
    int error = 0;  // errno of the open, 0 when it opened
    bool Opens() const { return error == 0; }
    // Refused for lack of permission: what the device rules mend.
    bool Refused() const;
};

struct DeviceAccessReport {
    std::vector<MouseNodeAccess> nodes;  // the mouse's nodes only, in device path order
    bool AnyRefused() const;
};

// Lists the mouse's nodes and tries to open each one.
DeviceAccessReport DiagnoseMouseAccess(const HidrawNodes& nodes);

// Where udev reads rules files, the first that holds ours; empty when none does.
QString InstalledUdevRules(const QStringList& ruleFolders = {
                               QStringLiteral("/etc/udev/rules.d"),
                               QStringLiteral("/run/udev/rules.d"),
                               QStringLiteral("/usr/lib/udev/rules.d"),
                               QStringLiteral("/lib/udev/rules.d")});
