// The tray tooltip follows the mouse's battery over every link, in the current language: the
// program's window with the simulated mouse behind the demo folder's driver libraries.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "app/main_wnd.h"
#include "sim/hidapi/shared_mouse.h"
#include "sim/simulated_gatt_backend.h"
#include "ui/test_hook.h"
#include "ui/ui_application.h"

namespace {

constexpr int kWaitMs = 15000;

class TrayBattery : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "talvore_tray_battery";
        static char* argv[] = {name, nullptr};
        static UiApplication* app = new UiApplication(argc, argv);
        (void)app;
        UiApplication::SetSkinFolder(QStringLiteral(TALVORE_BIN_DIR "/../demo/res/"));
        TestHook::Enable();
        sim::SetSharedMouseStatusPeriod(std::chrono::milliseconds(0));
        auto& mouse = sim::SharedMouse();
        mouse.SetAckMode(sim::AckMode::Accept);
        mouse.SetCablePlugged(false);
        mouse.SetReceiverPlugged(false);
        mouse.SetMouseAwake(false);
        mouse.SetBluetoothConnected(false);
        mouse.SetBattery(100, false, false);
        const QString demo = QStringLiteral(TALVORE_BIN_DIR "/../demo/");
        for (const char* file : {"hiddriver_1.so", "hiddriver_2.so", "libtalvore_hidapi_lock.so"}) {
            ASSERT_TRUE(
                QFile::copy(demo + QLatin1String(file), folder.filePath(QLatin1String(file))));
        }
    }
    void TearDown() override {
        window.reset();
        TestHook::Disable();
    }

    // lanId: 1 Chinese, 2 English, 3 Russian, 4 Spanish.
    void Open(int languageId, bool bluetoothAtStart = false) {
        ASSERT_TRUE(QDir().mkpath(folder.filePath(QStringLiteral("Data"))));
        QFile config(folder.filePath(QStringLiteral("Data/CONFIG.ini")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("[SETTING]\nlanId=" + QByteArray::number(languageId) + "\n");
        config.close();
        PagePlatform platform;
        platform.programFolder = folder.path() + QLatin1Char('/');
        platform.bluetoothPresentAtStart = [bluetoothAtStart] { return bluetoothAtStart; };
        platform.makeGattBackend = [] { return std::make_unique<sim::SimulatedGattBackend>(); };
        platform.wait = [](int) {};
        window = std::make_unique<CMainWnd>(platform);
        ASSERT_TRUE(window->Create(nullptr, 0, QRect(0, 0, 800, 572)));
        QTest::qWait(0);
    }
    bool ToolTipBecomes(const QString& text) {
        return QTest::qWaitFor([&] { return window->Tray().ToolTip() == text; }, kWaitMs);
    }
    std::string ToolTip() const { return window->Tray().ToolTip().toStdString(); }

    QTemporaryDir folder;
    std::unique_ptr<CMainWnd> window;
};

TEST_F(TrayBattery, LevelAndChargingOverTheReceiverAndBluetoothInTwoLanguages) {
    auto& mouse = sim::SharedMouse();
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    Open(2);
    // Nothing known yet: the name alone.
    EXPECT_EQ(ToolTip(), "Corvane TALVORE Mouse");

    mouse.SetBattery(80, false, false);
    ASSERT_TRUE(ToolTipBecomes(QStringLiteral("Corvane TALVORE Mouse: 80%"))) << ToolTip();
    mouse.SetBattery(80, true, false);
    ASSERT_TRUE(ToolTipBecomes(QStringLiteral("Corvane TALVORE Mouse: Charging"))) << ToolTip();

    // A language switch takes the tooltip along.
    window->Find<ComboBox>(QStringLiteral("combo_lan")).Select(2, TakeFocus::kNo, Notify::kYes);
    EXPECT_EQ(ToolTip(), "Мышь Corvane TALVORE: Зарядка");
    mouse.SetBattery(55, false, false);
    ASSERT_TRUE(ToolTipBecomes(QStringLiteral("Мышь Corvane TALVORE: 55%"))) << ToolTip();

    // The mouse stops answering behind the receiver: its level is no longer known.
    window->SendMessage(ui::kMsgTimer, 100);
    EXPECT_EQ(ToolTip(), "Мышь Corvane TALVORE");

    // Over Bluetooth the same.
    mouse.SetReceiverPlugged(false);
    mouse.SetBluetoothConnected(true);
    window->Page().OnBleChange(1);
    window->SendMessage(ui::kMsgTimer, 517);  // the registration, without waiting for its timer
    ASSERT_TRUE(window->Page().Links()->Ble().HasRegistration());
    mouse.SetBattery(30, false, false);
    ASSERT_TRUE(ToolTipBecomes(QStringLiteral("Мышь Corvane TALVORE: 30%"))) << ToolTip();
}

TEST_F(TrayBattery, TheCableAtStartShowsChargingUntilItIsUnplugged) {
    auto& mouse = sim::SharedMouse();
    mouse.SetCablePlugged(true);
    Open(4);
    EXPECT_EQ(ToolTip(), "Ratón Corvane TALVORE: Cargando");
    mouse.SetBattery(100, false, true);  // charged
    ASSERT_TRUE(ToolTipBecomes(QStringLiteral("Ratón Corvane TALVORE: 100%"))) << ToolTip();
    mouse.SetCablePlugged(false);
    ASSERT_TRUE(ToolTipBecomes(QStringLiteral("Ratón Corvane TALVORE"))) << ToolTip();
}

}  // namespace
