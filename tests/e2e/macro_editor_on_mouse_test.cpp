// The macro editor in the program with the simulated mouse behind the demo folder's driver
// libraries: what the editor does to the stored macros reaches every profile and the mouse.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "app/main_wnd.h"
#include "link/program_messages.h"
#include "macro/macro_binding.h"
#include "page/profile_store.h"
#include "sim/hidapi/shared_mouse.h"
#include "sim/simulated_gatt_backend.h"
#include "sys/folders.h"
#include "tests/e2e/mouse_matches_record.h"
#include "ui/language_manager.h"
#include "ui/test_hook.h"
#include "ui/ui_application.h"

namespace {

constexpr int kWaitMs = 15000;
constexpr int kButton5 = 4;

class MacroEditorOnMouse : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "macro_editor_e2e";
        static char* argv[] = {name, nullptr};
        static UiApplication* app = new UiApplication(argc, argv);
        (void)app;
        UiApplication::SetSkinFolder(QStringLiteral(TALVORE_BIN_DIR "/../demo/res/"));
        TestHook::Enable();
        sim::SetSharedMouseStatusPeriod(std::chrono::milliseconds(0));
        auto& mouse = sim::SharedMouse();
        mouse.SetAckMode(sim::AckMode::Accept);
        mouse.SetBluetoothConnected(false);
        mouse.SetReceiverPlugged(false);
        mouse.SetMouseAwake(true);
        mouse.SetCablePlugged(true);
        mouse.ClearLog();
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

    QString ProgramFolder() const { return folder.path() + QLatin1Char('/'); }
    QString DataFolder() const { return DataFolderOf(ProgramFolder()); }

    void Open() {
        PagePlatform platform;
        platform.programFolder = ProgramFolder();
        platform.bluetoothPresentAtStart = [] { return false; };
        platform.makeGattBackend = [] { return std::make_unique<sim::SimulatedGattBackend>(); };
        platform.wait = [](int) {};
        window = std::make_unique<CMainWnd>(platform);
        ASSERT_TRUE(window->Create(nullptr, 0, QRect(0, 0, 800, 572)));
        QTest::qWait(0);
    }
    ApplyWorker& Worker() { return window->Page().Links()->Worker(); }
    // Waits until an apply more than `before` has run.
    bool AppliedSince(int before) {
        return QTest::qWaitFor([&] { return Worker().AppliesRun() > before; }, kWaitMs);
    }
    // The editor, opened from the page's macro button; `act` works in it, then it closes.
    void InEditor(const std::function<void(WindowImplBase&)>& act) {
        TestHook::ScriptModal(QStringLiteral("MS_1_Macro"), 1, [act](WindowImplBase& editor) {
            act(editor);
            editor.Find<Button>(QStringLiteral("btn_exit")).Click();
        });
        Button macroButton = window->Page().Controls().btnMacro;
        macroButton.Click();
        ASSERT_TRUE(TestHook::ModalRuns().contains(QStringLiteral("MS_1_Macro")));
    }

    // Two profiles whose button 5 plays the macro "Fire", and a macro no button uses.
    void StoreTwoProfilesWithFireOnButton5() {
        ProfileStore store(DataFolder(), LanguageManager::Instance());
        store.LoadProfiles();
        store.AddDefaultProfile();
        MacroStore& macros = store.Macros();
        MacroRecord& fire = macros.AddNew(LanguageManager::Instance());
        macros.Rename(fire, QStringLiteral("Fire"));
        const MacroAction actions[] = {{0x04, 1, 120}, {0x04, 2, 10}};
        macros.UpdateActions(fire, actions, 2);
        macros.AddNew(LanguageManager::Instance());
        for (int p = 0; p < store.Count(); ++p) {
            BindMacroToButton(ActiveSlot(store.At(p)).buttons[kButton5], fire, 0, 0, 1);
        }
        ASSERT_TRUE(store.SaveProfiles());
    }
    void DeleteTheFirstMacroInTheEditor() {
        InEditor([](WindowImplBase& editor) {
            editor.Find<ListBox>(QStringLiteral("ms_1_macro_list"))
                .Select(0, TakeFocus::kNo, Notify::kYes);
            TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1);
            editor.Find<Button>(QStringLiteral("ms_1_macro_delete_btn")).Click();
        });
    }
    void ExpectButton5OnItsDefaultInEverySavedProfile() {
        ProfileStore saved(DataFolder(), LanguageManager::Instance());
        ASSERT_TRUE(saved.ReadProfiles());
        ASSERT_EQ(saved.Count(), 2);
        for (int p = 0; p < saved.Count(); ++p) {
            const ButtonEntry& entry = ActiveSlot(saved.At(p)).buttons[kButton5];
            EXPECT_EQ(entry.functionCode, DefaultFunctionTable[kButton5]) << "profile " << p;
            EXPECT_EQ(entry.macroIndex, -1) << "profile " << p;
        }
    }

    QTemporaryDir folder;
    std::unique_ptr<CMainWnd> window;
};

TEST_F(MacroEditorOnMouse, DeletingAMacroPutsItsButtonsBackInEveryProfileAndOnTheMouse) {
    StoreTwoProfilesWithFireOnButton5();
    Open();
    const int before = Worker().AppliesRun();
    window->PostMessage(program_messages::kApplyRequest);
    ASSERT_TRUE(AppliedSince(before));
    auto& mouse = sim::SharedMouse();
    ASSERT_EQ(mouse.Settings().macros.count(kButton5 + 1), 1u) << "the macro reached the mouse";

    const int beforeEdit = Worker().AppliesRun();
    DeleteTheFirstMacroInTheEditor();
    ASSERT_TRUE(AppliedSince(beforeEdit));
    QTest::qWait(0);

    EXPECT_EQ(window->Page().Controls().btnKey[kButton5].TextKey(), QStringLiteral("copy_text"));
    ExpectButton5OnItsDefaultInEverySavedProfile();
    const auto current = window->Page().Store().TakeSnapshotOfCurrent();
    ASSERT_NE(current, nullptr);
    EXPECT_TRUE(MouseMatchesRecord(mouse.Settings(), *current));
}

// No apply runs without a mouse, so the pass's changes are saved when the editor closes.
TEST_F(MacroEditorOnMouse, WithoutAMouseTheChangedProfilesAreSavedAtOnce) {
    sim::SharedMouse().SetCablePlugged(false);
    StoreTwoProfilesWithFireOnButton5();
    Open();
    DeleteTheFirstMacroInTheEditor();
    EXPECT_EQ(Worker().AppliesRun(), 0);
    ExpectButton5OnItsDefaultInEverySavedProfile();
}

}  // namespace
