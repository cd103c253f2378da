#include "sys/device_access.h"

#include <cerrno>
#include <set>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A device tree in a temporary folder: SYS/class/hidraw/NAME/device/uevent and DEV/NAME.
class FakeDeviceTree {
public:
    void Add(const QString& name, const QByteArray& uevent) {
        const QString device = dir_.path() + QStringLiteral("/sys/class/hidraw/") + name;
        ASSERT_TRUE(QDir().mkpath(device + QStringLiteral("/device")));
        QFile file(device + QStringLiteral("/device/uevent"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(uevent);
        ASSERT_TRUE(QDir().mkpath(dir_.path() + QStringLiteral("/dev")));
        QFile node(DevicePath(name));
        ASSERT_TRUE(node.open(QIODevice::WriteOnly));
    }
    QString Sys() const { return dir_.path() + QStringLiteral("/sys"); }
    QString Dev() const { return dir_.path() + QStringLiteral("/dev"); }
    QString DevicePath(const QString& name) const { return Dev() + QLatin1Char('/') + name; }

private:
    QTemporaryDir dir_;
};

// The system's reading of the tree; opening fails with the errors given per node (this test may
// run as root, whom file permissions do not stop).
class RefusingNodes final : public SysfsHidrawNodes {
public:
    RefusingNodes(const FakeDeviceTree& tree, std::map<QString, int> errors)
        : SysfsHidrawNodes(tree.Sys(), tree.Dev()), errors_(std::move(errors)) {}
    int TryOpen(const QString& devicePath) const override {
        const auto it = errors_.find(devicePath);
        return it != errors_.end() ? it->second : SysfsHidrawNodes::TryOpen(devicePath);
    }

private:
    std::map<QString, int> errors_;
};

TEST(DeviceAccess, OnlyTheMousesNodesAreTriedAndARefusedOneIsToldApart) {
    FakeDeviceTree tree;
    tree.Add(QStringLiteral("hidraw0"), "DRIVER=hid-generic\nHID_ID=0003:00001D57:00002039\n");
    tree.Add(QStringLiteral("hidraw1"), "HID_ID=0003:00001D57:0000FA60\nHID_NAME=receiver\n");
    tree.Add(QStringLiteral("hidraw2"), "HID_ID=0003:0000046D:0000C52B\n");  // another mouse
    tree.Add(QStringLiteral("hidraw3"), "HID_ID=0003:0000045E:00000069\n");  // same ids, on USB
    tree.Add(QStringLiteral("hidraw4"), "HID_ID=0005:0000045E:00000069\n");  // the mouse over BLE
    tree.Add(QStringLiteral("hidraw5"), "HID_ID=0003:1D57\n");               // damaged
    tree.Add(QStringLiteral("hidraw6"), "HID_ID=0003:00001D57:0002039Z\n");  // damaged

    const RefusingNodes nodes(tree, {{tree.DevicePath(QStringLiteral("hidraw1")), EACCES},
                                     {tree.DevicePath(QStringLiteral("hidraw4")), ENXIO}});
    const DeviceAccessReport report = DiagnoseMouseAccess(nodes);

    ASSERT_EQ(report.nodes.size(), 3u);
    EXPECT_EQ(report.nodes[0].link, QStringLiteral("cable"));
    EXPECT_TRUE(report.nodes[0].Opens());
    EXPECT_EQ(report.nodes[1].link, QStringLiteral("receiver"));
    EXPECT_EQ(report.nodes[1].node.devicePath, tree.DevicePath(QStringLiteral("hidraw1")));
    EXPECT_TRUE(report.nodes[1].Refused());
    EXPECT_EQ(report.nodes[2].link, QStringLiteral("bluetooth"));
    // A node that fails for another reason is not something the device rules mend.
    EXPECT_FALSE(report.nodes[2].Opens());
    EXPECT_FALSE(report.nodes[2].Refused());
    EXPECT_TRUE(report.AnyRefused());

    // Without the refusal nothing calls for the rules.
    const RefusingNodes open(tree, {});
    EXPECT_FALSE(DiagnoseMouseAccess(open).AnyRefused());
    // No device tree at all: no nodes, nothing refused.
    EXPECT_TRUE(
        DiagnoseMouseAccess(SysfsHidrawNodes(tree.Sys() + QStringLiteral("/none"))).nodes.empty());
}

// The rules file opens exactly the devices the program looks for, each to the seated user.
TEST(DeviceAccess, TheRulesFileCoversEveryIdentityOfTheMouse) {
    QFile rules(QStringLiteral(TALVORE_SOURCE_DIR "/dist/") + QLatin1String(kUdevRulesFileName));
    ASSERT_TRUE(rules.open(QIODevice::ReadOnly | QIODevice::Text));
    std::set<QString> matched;
    static const QRegularExpression rule(QStringLiteral(
        R"re(^SUBSYSTEM=="hidraw", KERNELS=="([0-9A-F]{4}:[0-9A-F]{4}:[0-9A-F]{4})\.\*", TAG\+="uaccess"$)re"));
    while (!rules.atEnd()) {
        const QString line = QString::fromUtf8(rules.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const QRegularExpressionMatch m = rule.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        matched.insert(m.captured(1));
    }
    std::set<QString> expected;
    for (const MouseHidIdentity& id : kMouseHidIdentities) {
        expected.insert(QStringLiteral("%1:%2:%3")
                            .arg(id.bus, 4, 16, QLatin1Char('0'))
                            .arg(id.vendorId, 4, 16, QLatin1Char('0'))
                            .arg(id.productId, 4, 16, QLatin1Char('0'))
                            .toUpper());
    }
    EXPECT_EQ(matched, expected);
}

}  // namespace
