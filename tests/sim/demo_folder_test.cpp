// The demo's program folder: its libraries show only their interface and never reach for the
// system's hidapi.
#include <algorithm>

#include <QDir>
#include <QProcess>
#include <QSet>

#include <gtest/gtest.h>

namespace {

const QString kDemo = QStringLiteral(TALVORE_DEMO_DIR "/");

QStringList RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed on "
                      << arguments.join(' ').toStdString();
        return {};
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// Names of the defined dynamic symbols, demangled.
QSet<QString> Exports(const QString& file) {
    QSet<QString> names;
    for (const QString& line :
         RunTool(QStringLiteral("nm"), {"-D", "-C", "--defined-only", file})) {
        // "<address> <type> <name>"; a demangled name may hold blanks.
        names.insert(line.section(' ', 2));
    }
    return names;
}

TEST(DemoFolder, TheDriversExportExactlyTheDriverInterface) {
    const QSet<QString> abi = {"TalvoreAbiVersion", "Set_VIDPID",         "Open_DevMonitor",
                               "Close_DevMonitor",  "Open_FeatureDevice", "Close_FeatureDevice",
                               "SetFeature",        "GetFeature"};
    for (const char* name : {"hiddriver_1.so", "hiddriver_2.so"}) {
        EXPECT_EQ(Exports(kDemo + QLatin1String(name)), abi) << name;
    }
}

TEST(DemoFolder, TheSimulatedHidapiExportsOnlyHidapiAndTheMouse) {
    const QSet<QString> names = Exports(kDemo + QStringLiteral("libtalvore_simhid.so"));
    for (const char* expected :
         {"hid_init", "hid_enumerate", "hid_open_path", "hid_read_timeout",
          "hid_send_feature_report", "hid_close", "hid_error", "sim::SharedMouse()"}) {
        EXPECT_TRUE(names.contains(QLatin1String(expected))) << expected;
    }
    // The shared mouse's functions and the model's class; never its decoder or template code.
    const QStringList allowed = {"hid_",
                                 "sim::SharedMouse()",
                                 "sim::AddSharedMouseListener(",
                                 "sim::RemoveSharedMouseListener(",
                                 "sim::SetSharedMouseStatusPeriod(",
                                 "sim::WaitForEventReaders(",
                                 "sim::FailNextReads(",
                                 "sim::EnumerationCount(",
                                 "sim::SimulatedMouse::",
                                 "sim::LinkName(",
                                 "sim::FactorySettings("};
    for (const QString& name : names) {
        const bool known = std::any_of(allowed.begin(), allowed.end(), [&](const QString& prefix) {
            return name.startsWith(prefix);
        });
        EXPECT_TRUE(known) << name.toStdString();
    }
    EXPECT_FALSE(
        names.contains(QStringLiteral("sim::ReportSum(unsigned char const*, unsigned long, "
                                      "unsigned long)")));
}

TEST(DemoFolder, TheDriversLoadTheSimulatedHidapiBesideThem) {
    for (const char* name : {"hiddriver_1.so", "hiddriver_2.so"}) {
        const QStringList dynamic =
            RunTool(QStringLiteral("readelf"), {"-d", kDemo + QLatin1String(name)});
        const QString all = dynamic.join('\n');
        EXPECT_TRUE(all.contains(QStringLiteral("[libtalvore_simhid.so]"))) << name;
        EXPECT_FALSE(all.contains(QStringLiteral("libhidapi"))) << name;
        EXPECT_TRUE(all.contains(QStringLiteral("$ORIGIN"))) << name;
    }
    EXPECT_TRUE(QDir(kDemo + QStringLiteral("res")).exists());
}

}  // namespace
