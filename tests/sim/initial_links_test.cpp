// TALVORE_SIM_LINKS picks the links a process's simulated mouse starts with.
#include <QProcess>
#include <QProcessEnvironment>

#include <optional>

#include <gtest/gtest.h>

namespace {

struct Start {
    QString links;   // what the probe printed
    QString errors;  // what it warned about
};

// Runs the probe with TALVORE_SIM_LINKS set to `value`, or unset.
Start StartWith(const std::optional<QString>& value) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("TALVORE_SIM_LINKS"));
    if (value) {
        environment.insert(QStringLiteral("TALVORE_SIM_LINKS"), *value);
    }
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(TALVORE_SIM_PROBE), {});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0) {
        return {QStringLiteral("probe failed"),
                QString::fromLocal8Bit(probe.readAllStandardError())};
    }
    return {QString::fromLocal8Bit(probe.readAllStandardOutput()).trimmed(),
            QString::fromLocal8Bit(probe.readAllStandardError())};
}

TEST(InitialLinks, UnsetMeansCableAndReceiverWithTheMouseAwake) {
    EXPECT_EQ(StartWith(std::nullopt).links, QStringLiteral("cable receiver awake"));
}

TEST(InitialLinks, TheListNamesExactlyTheLinksThatAreUp) {
    EXPECT_EQ(StartWith(QStringLiteral("ble")).links, QStringLiteral("ble"));
    EXPECT_EQ(StartWith(QStringLiteral("cable,receiver,awake,ble")).links,
              QStringLiteral("cable receiver awake ble"));
    // Case and blanks do not matter; a receiver alone has a sleeping mouse behind it.
    EXPECT_EQ(StartWith(QStringLiteral(" Receiver , CABLE")).links,
              QStringLiteral("cable receiver"));
    EXPECT_EQ(StartWith(QString()).links, QString());
    EXPECT_EQ(StartWith(QStringLiteral(",,")).links, QString());
}

TEST(InitialLinks, AnUnknownNameIsIgnoredWithAWarning) {
    const Start start = StartWith(QStringLiteral("usb,receiver,awake"));
    EXPECT_EQ(start.links, QStringLiteral("receiver awake"));
    EXPECT_TRUE(start.errors.contains(QStringLiteral("\"usb\""))) << start.errors.toStdString();
}

}  // namespace
