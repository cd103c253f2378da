#include "link/driver_library.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kBin = QStringLiteral(TALVORE_BIN_DIR "/");

TEST(DriverLibrary, BindsAllSevenExportsOfBothDriverBuilds) {
    for (const char* name : {"hiddriver_1.so", "hiddriver_2.so"}) {
        DriverLibrary library;
        ASSERT_TRUE(library.Load(kBin + QLatin1String(name)))
            << library.ErrorString().toStdString();
        EXPECT_TRUE(library.Functions().Bound()) << name;
        library.Unload();
        EXPECT_FALSE(library.Functions().Bound());
        EXPECT_EQ(library.Functions().SetFeature, nullptr);
    }
}

TEST(DriverLibrary, AMissingOrForeignLibraryLeavesEveryEntryPointNull) {
    QTemporaryDir dir;
    DriverLibrary missing;
    EXPECT_FALSE(missing.Load(dir.filePath(QStringLiteral("hiddriver_2.so"))));
    EXPECT_FALSE(missing.Functions().Bound());
    EXPECT_EQ(missing.Functions().Set_VIDPID, nullptr);
    EXPECT_FALSE(missing.ErrorString().isEmpty());

    // The hook library loads but has none of the driver exports: nothing of it is kept.
    DriverLibrary foreign;
    EXPECT_FALSE(foreign.Load(kBin + QStringLiteral("Hook.so")));
    EXPECT_EQ(foreign.Functions().Set_VIDPID, nullptr);
    EXPECT_TRUE(foreign.ErrorString().contains(QStringLiteral("Open_DevMonitor")));
}

TEST(HookLibrary, BindsTheSevenHookExportsInOrder) {
    HookLibrary hook;
    ASSERT_TRUE(hook.Load(kBin + QStringLiteral("Hook.so"))) << hook.ErrorString().toStdString();
    EXPECT_TRUE(hook.Table().Bound());
    HookLibrary wrong;
    EXPECT_FALSE(wrong.Load(kBin + QStringLiteral("hiddriver_1.so")));
    EXPECT_FALSE(wrong.Table().Bound());
}

TEST(DriverLibrary, WithoutTheDeviceTheDriverReportsItAbsentAndRefusesReports) {
    DriverLibrary library;
    ASSERT_TRUE(library.Load(kBin + QStringLiteral("hiddriver_2.so")));
    const DriverFunctions& f = library.Functions();
    // A product id no mouse has: nothing to open, nothing written.
    f.Set_VIDPID(0x1D57, 0x0001);
    EXPECT_EQ(f.Open_FeatureDevice(), 0);
    const uint8_t report[9] = {0x06, 0x09, 0x01, 0x04, 0xFB, 0, 0, 0, 0};
    EXPECT_EQ(f.SetFeature(report, sizeof report), 0);
    uint8_t buffer[64];
    EXPECT_EQ(f.GetFeature(buffer, sizeof buffer), -1);
    f.Close_FeatureDevice();
}

}  // namespace
