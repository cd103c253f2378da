#include "tests/e2e/program_on_mouse.h"

#include <QDir>
#include <QFile>
#include <QtTest/QTest>

#include <chrono>

#include "link/program_messages.h"
#include "sim/hidapi/shared_mouse.h"
#include "sim/simulated_gatt_backend.h"
#include "sys/folders.h"
#include "sys/ini_file.h"
#include "ui/test_hook.h"
#include "ui/ui_application.h"

void ProgramOnMouse::SetUp() {
    static int argc = 1;
    static char name[] = "talvore_e2e";
    static char* argv[] = {name, nullptr};
    // A test's main may have made the application already (the Wayland tests do).
    static UiApplication* app =
        QCoreApplication::instance() == nullptr ? new UiApplication(argc, argv) : nullptr;
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
    mouse.ClearLog();

    const QString demo = QStringLiteral(TALVORE_BIN_DIR "/../demo/");
    for (const char* file : {"hiddriver_1.so", "hiddriver_2.so", "libtalvore_hidapi_lock.so"}) {
        ASSERT_TRUE(QFile::copy(demo + QLatin1String(file), folder.filePath(QLatin1String(file))));
    }

    platform.programFolder = ProgramFolder();
    platform.bluetoothPresentAtStart = [] { return false; };
    platform.makeGattBackend = [] { return std::make_unique<sim::SimulatedGattBackend>(); };
    platform.wait = [](int) {};
}

void ProgramOnMouse::TearDown() {
    window.reset();
    TestHook::Disable();
}

void ProgramOnMouse::UseLanguage(int languageId) {
    ASSERT_TRUE(QDir().mkpath(DataFolder()));
    ASSERT_TRUE(WriteIniInt(DataFolder() + QLatin1String(kConfigFileName),
                            QLatin1String(kSettingSection), QLatin1String(kLanguageIdKey),
                            languageId));
}

void ProgramOnMouse::Open() {
    window = std::make_unique<CMainWnd>(platform);
    ASSERT_TRUE(window->Create(nullptr, 0, QRect(0, 0, 800, 572)));
    QTest::qWait(0);
}

QString ProgramOnMouse::ProgramFolder() const {
    return folder.path() + QLatin1Char('/');
}

QString ProgramOnMouse::DataFolder() const {
    return DataFolderOf(ProgramFolder());
}

void ProgramOnMouse::ApplyAndWait() {
    const int before = Worker().AppliesRun() + Worker().RequestsDropped();
    window->PostMessage(program_messages::kApplyRequest);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Worker().AppliesRun() + Worker().RequestsDropped() > before; }, kWaitMs));
    QTest::qWait(0);
}
