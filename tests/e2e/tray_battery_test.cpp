// The tray tooltip follows the mouse's battery over every link, in the current language: the
// program's window with the simulated mouse behind the demo folder's driver libraries.
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "app/main_wnd.h"
#include "sim/hidapi/shared_mouse.h"
#include "tests/e2e/program_on_mouse.h"

namespace {

class TrayBattery : public ProgramOnMouse {
protected:
    // lanId: 1 Chinese, 2 English, 3 Russian, 4 Spanish.
    void Open(int languageId, bool bluetoothAtStart = false) {
        UseLanguage(languageId);
        platform.bluetoothPresentAtStart = [bluetoothAtStart] { return bluetoothAtStart; };
        ProgramOnMouse::Open();
    }
    bool ToolTipBecomes(const QString& text) {
        return QTest::qWaitFor([&] { return window->Tray().ToolTip() == text; }, kWaitMs);
    }
    std::string ToolTip() const { return window->Tray().ToolTip().toStdString(); }
};

TEST_F(TrayBattery, LevelAndChargingOverTheReceiverAndBluetoothInTwoLanguages) {
    auto& mouse = sim::SharedMouse();
    mouse.SetReceiverPlugged(true);
    mouse.SetMouseAwake(true);
    Open(2);
    // Nothing known yet: the name alone, once the icon is there (after the window's first frame).
    ASSERT_TRUE(ToolTipBecomes(QStringLiteral("Corvane TALVORE Mouse"))) << ToolTip();

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
    ASSERT_TRUE(ToolTipBecomes(QStringLiteral("Ratón Corvane TALVORE: Cargando"))) << ToolTip();
    mouse.SetBattery(100, false, true);  // charged
    ASSERT_TRUE(ToolTipBecomes(QStringLiteral("Ratón Corvane TALVORE: 100%"))) << ToolTip();
    mouse.SetCablePlugged(false);
    ASSERT_TRUE(ToolTipBecomes(QStringLiteral("Ratón Corvane TALVORE"))) << ToolTip();
}

}  // namespace
