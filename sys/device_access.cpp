#include "sys/device_access.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// A uevent file is a few hundred bytes; anything larger is not one.
constexpr qint64 kMaxUeventSize = 64 * 1024;

// HID_ID=0003:00001D57:00002039 -> bus, vendor, product.
bool ParseHidId(const QByteArray& uevent, HidrawNode& node) {
    for (const QByteArray& line : uevent.split('\n')) {
        if (!line.startsWith("HID_ID=")) {
            continue;
        }
        const QList<QByteArray> parts = line.mid(7).trimmed().split(':');
        if (parts.size() != 3) {
            return false;
        }
        bool okBus = false, okVendor = false, okProduct = false;
        const uint bus = parts[0].toUInt(&okBus, 16);
        const uint vendor = parts[1].toUInt(&okVendor, 16);
        const uint product = parts[2].toUInt(&okProduct, 16);
        if (!okBus || !okVendor || !okProduct || bus > 0xFFFF || vendor > 0xFFFF ||
            product > 0xFFFF) {
            return false;
        }
        node.bus = static_cast<uint16_t>(bus);
        node.vendorId = static_cast<uint16_t>(vendor);
        node.productId = static_cast<uint16_t>(product);
        return true;
    }
    return false;
}

const MouseHidIdentity* IdentityOf(const HidrawNode& node) {
    for (const MouseHidIdentity& id : kMouseHidIdentities) {
        if (id.bus == node.bus && id.vendorId == node.vendorId && id.productId == node.productId) {
            return &id;
        }
    }
    return nullptr;
}

}  // namespace

SysfsHidrawNodes::SysfsHidrawNodes(QString sysRoot, QString devRoot)
    : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)) {}

std::vector<HidrawNode> SysfsHidrawNodes::List() const {
    std::vector<HidrawNode> nodes;
    const QDir classDir(sysRoot_ + QStringLiteral("/class/hidraw"));
    const QStringList names = classDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        QFile uevent(classDir.filePath(name + QStringLiteral("/device/uevent")));
        if (!uevent.open(QIODevice::ReadOnly)) {
            continue;  // a node that went away meanwhile
        }
        HidrawNode node;
        if (!ParseHidId(uevent.read(kMaxUeventSize), node)) {
            continue;
        }
        node.devicePath = devRoot_ + QLatin1Char('/') + name;
        nodes.push_back(node);
    }
    return nodes;
}

int SysfsHidrawNodes::TryOpen(const QString& devicePath) const {
    // Non-blocking and closed at once: nothing is read from or written to the device.
    const int fd = ::open(QFile::encodeName(devicePath).constData(),
                          O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return errno != 0 ? errno : EIO;
    }
    ::close(fd);
    return 0;
}

bool MouseNodeAccess::Refused() const {
    return error == EACCES || error == EPERM;
}

bool DeviceAccessReport::AnyRefused() const {
    return std::any_of(nodes.begin(), nodes.end(),
                       [](const MouseNodeAccess& n) { return n.Refused(); });
}

DeviceAccessReport DiagnoseMouseAccess(const HidrawNodes& nodes) {
    DeviceAccessReport report;
    for (const HidrawNode& node : nodes.List()) {
        const MouseHidIdentity* identity = IdentityOf(node);
        if (identity == nullptr) {
            continue;
        }
        report.nodes.push_back(
            {node, QLatin1String(identity->link), nodes.TryOpen(node.devicePath)});
    }
    std::sort(report.nodes.begin(), report.nodes.end(),
              [](const MouseNodeAccess& a, const MouseNodeAccess& b) {
                  return a.node.devicePath < b.node.devicePath;
              });
    return report;
}

QString InstalledUdevRules(const QStringList& ruleFolders) {
    for (const QString& folder : ruleFolders) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(kUdevRulesFileName);
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    return {};
}
