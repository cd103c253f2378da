#include "app/main_wnd.h"

#include <gtest/gtest.h>

#include "app/dpi_msg.h"
#include "dialogs/config_name_wnd.h"
#include "dialogs/msg_wnd.h"
#include "link/program_messages.h"
#include "sys/ui_language.h"
#include "tests/app/app_test_support.h"
#include "ui/menu_window.h"

namespace {

using namespace program_messages;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureProgramApp();
        TestHook::Enable();
    }
    void TearDown() override {
        window.reset();
        TestHook::Disable();
    }
    void Open(PagePlatform platform) {
        window = std::make_unique<CMainWnd>(std::move(platform));
        ASSERT_TRUE(window->Create(nullptr, 0, QRect(0, 0, 800, 572)));
        // Let the messages of the start-up (the connected state) arrive.
        QTest::qWait(0);
        QCoreApplication::processEvents();
    }
    int ModalRunsOf(const QString& className) const {
        return static_cast<int>(TestHook::ModalRuns().count(className));
    }

    ProgramFolder folder;
    std::unique_ptr<CMainWnd> window;
};

TEST_F(MainWindowTest, StaysHiddenWithoutAMouseAndWarnsOncePerShowRequest) {
    Open(folder.Platform());
    EXPECT_EQ(window->Page().DeviceConnected(), 0);
    EXPECT_EQ(window->DeviceShown(), 0);
    EXPECT_FALSE(window->IsVisible());

    // While the warning is on screen, further requests do nothing.
    TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1, [this](WindowImplBase& box) {
        EXPECT_TRUE(window->NoDeviceWarningOpen());
        EXPECT_EQ(box.Find<Label>(QStringLiteral("warning")).TextKey(),
                  QStringLiteral("no_device_text"));
        window->SendMessage(kOpenInstance);
        window->SendMessage(kTrayIcon, 0, ui::kMouseLeftButtonUp);
    });
    window->SendMessage(kOpenInstance);
    EXPECT_EQ(ModalRunsOf(QStringLiteral("MsgWnd")), 1);
    EXPECT_FALSE(window->NoDeviceWarningOpen());
    EXPECT_FALSE(window->IsVisible());
}

TEST_F(MainWindowTest, AnUnknownLanguageIdGivesWayToTheUsersLanguageAndIsWrittenBack) {
    folder.WriteConfig("[SETTING]\nlanId=5\n");
    Open(folder.Platform());
    // The mapping of the desktop's language is tested with the language helpers; here it only
    // matters that 5 gave way to it and was overwritten.
    const int users = ProgramLanguageOf(UserUiLanguageId());
    EXPECT_EQ(window->LanguageId(), users);
    EXPECT_TRUE(folder.ReadConfig().contains(QByteArray("lanId=") + QByteArray::number(users)))
        << folder.ReadConfig().toStdString();
    EXPECT_FALSE(folder.ReadConfig().contains("lanId=5"));
}

TEST_F(MainWindowTest, ALanguageIdFollowedByOtherTextIsTakenAndTheFileLeftAsItIs) {
    folder.WriteConfig("[SETTING]\r\nlanId=3x\r\n");
    Open(folder.Platform());
    EXPECT_EQ(window->LanguageId(), 3);
    EXPECT_EQ(folder.ReadConfig(), QByteArray("[SETTING]\r\nlanId=3x\r\n"));
}

TEST_F(MainWindowTest, SwitchingTheLanguageReloadsKeyTextsAndTheConfigButNotTheTitle) {
    folder.WriteConfig("[SETTING]\nlanId=2\n");
    Open(folder.Platform());
    const QString title = window->WindowTitle();
    Button apply = window->Find<Button>(QStringLiteral("ms_1_btn_apply"));
    const QString english = apply.Text();
    // The language chosen at start-up reaches the controls the layout built before it loaded.
    EXPECT_EQ(english, LanguageManager::Instance().Text(QStringLiteral("apply_text")));
    EXPECT_NE(english, QStringLiteral("apply_text"));

    ComboBox languages = window->Find<ComboBox>(QStringLiteral("combo_lan"));
    languages.Select(2, TakeFocus::kNo, Notify::kYes);  // Russian
    EXPECT_EQ(window->LanguageId(), 3);
    EXPECT_NE(apply.Text(), english);
    EXPECT_EQ(apply.Text(), LanguageManager::Instance().Text(QStringLiteral("apply_text")));
    EXPECT_EQ(window->WindowTitle(), title);
    EXPECT_TRUE(folder.ReadConfig().contains("lanId=3")) << folder.ReadConfig().toStdString();
}

TEST_F(MainWindowTest, TwoDpiChangesWithinTheirTimeShareOnePopup) {
    Open(folder.Platform());
    window->SendMessage(kDpiPopup, 0, 16);
    CDPIMsg* popup = window->DpiPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->DisplayText(), QStringLiteral("DPI :1600"));
    EXPECT_EQ(window->TimerInterval(52), 2000);

    window->SendMessage(kDpiPopup, 0, 32);
    EXPECT_EQ(window->DpiPopup(), popup);
    EXPECT_EQ(popup->DisplayText(), QStringLiteral("DPI :3200"));
    EXPECT_EQ(window->TimerInterval(52), 2000);  // restarted by the second change

    // Timer 52 closes the popup, and the window forgets it once it has ended.
    window->SendMessage(ui::kMsgTimer, 52);
    EXPECT_FALSE(window->HasTimer(52));
    EXPECT_TRUE(QTest::qWaitFor([this] { return window->DpiPopup() == nullptr; }, 2000));
}

// Timer 52 asks the popup to close, and it ends only on a later pass of the loop. A DPI change in
// between must not go to the popup that is going away.
TEST_F(MainWindowTest, ADpiChangeWhileThePopupIsEndingOpensANewOne) {
    Open(folder.Platform());
    window->SendMessage(kDpiPopup, 0, 16);
    ASSERT_NE(window->DpiPopup(), nullptr);
    window->SendMessage(ui::kMsgTimer, 52);
    window->SendMessage(kDpiPopup, 0, 32);
    QCoreApplication::processEvents();  // the closed popup's end, queued on the loop

    CDPIMsg* shown = window->DpiPopup();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->IsVisible());
    EXPECT_EQ(shown->DisplayText(), QStringLiteral("DPI :3200"));
    EXPECT_EQ(window->TimerInterval(52), 2000);

    // The next change goes to the popup on screen; its timer closes it.
    window->SendMessage(kDpiPopup, 0, 8);
    EXPECT_EQ(window->DpiPopup(), shown);
    EXPECT_EQ(shown->DisplayText(), QStringLiteral("DPI :800"));
    window->SendMessage(ui::kMsgTimer, 52);
    EXPECT_TRUE(QTest::qWaitFor([this] { return window->DpiPopup() == nullptr; }, 2000));
}

TEST_F(MainWindowTest, MenuCommandsThatAgreeWithTheSeriesReachThePage) {
    Open(folder.Platform());
    // Button 6 (index 5) is the current button once its label was clicked.
    window->Find<Button>(QStringLiteral("ms_1_btn_key_6")).Click();
    auto code = [this] {
        return window->Page().Store().TakeSnapshotOfCurrent()->slots[0].buttons[5].functionCode;
    };
    ASSERT_EQ(code(), 0x22);
    MenuCommand other{QStringLiteral("ms_2_copy"), QString(), QString()};
    window->SendMessage(kMenuCommand, reinterpret_cast<quintptr>(&other));
    EXPECT_EQ(code(), 0x22);
    // "ms_" is shorter than "ms_1" and agrees with it: an unknown item assigns left click.
    MenuCommand shortName{QStringLiteral("ms_"), QString(), QString()};
    window->SendMessage(kMenuCommand, reinterpret_cast<quintptr>(&shortName));
    EXPECT_EQ(code(), 0x01);
    window->SendMessage(kMenuCommand, 0);  // a command without its record does nothing
}

TEST_F(MainWindowTest, TheBluetoothInterfaceIsRecognisedInAnyLetterCase) {
    EXPECT_TRUE(CMainWnd::IsBluetoothMouseInterface(
        QStringLiteral("\\\\?\\bthledevice#{0000}_dev_vid&02045e_pid&0069_rev&0001_e0d4e8")));
    EXPECT_FALSE(CMainWnd::IsBluetoothMouseInterface(QStringLiteral("vid&02045e_pid&0070")));

    Open(folder.Platform());
    DeviceInterfaceRecord record{5, QStringLiteral("\\\\?\\bthledevice#vid&02045e_pid&0069")};
    window->SendMessage(kDeviceChange, 0x8000, reinterpret_cast<qintptr>(&record));
    EXPECT_EQ(window->Page().BleConnected(), 1);
    EXPECT_EQ(window->Page().DeviceConnected(), 1);
    QCoreApplication::processEvents();  // the connected-state message
    EXPECT_EQ(window->DeviceShown(), 1);

    DeviceInterfaceRecord other{3, record.name};  // not a device interface: ignored
    window->SendMessage(kDeviceChange, 0x8004, reinterpret_cast<qintptr>(&other));
    EXPECT_EQ(window->Page().BleConnected(), 1);
    window->SendMessage(kDeviceChange, 0x8004, reinterpret_cast<qintptr>(&record));
    EXPECT_EQ(window->Page().BleConnected(), 0);
}

TEST_F(MainWindowTest, TheTrayMenuOffersConfigurationAndExit) {
    Open(folder.Platform());
    window->SendMessage(kTrayIcon, 0, ui::kMouseRightButtonUp);
    // Choosing "configuration" is a show request: without a mouse, the warning.
    TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1);
    MenuCommand configuration{QStringLiteral("Configuration"), QString(), QString()};
    window->SendMessage(kMenuCommand, reinterpret_cast<quintptr>(&configuration));
    EXPECT_EQ(ModalRunsOf(QStringLiteral("MsgWnd")), 1);
}

class NameDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureProgramApp();
        TestHook::Enable();
        LanguageManager::Instance().Load(QStringLiteral("lan/EN.xml"));
    }
    void TearDown() override { TestHook::Disable(); }
};

TEST_F(NameDialogTest, RefusesEmptyAndTakenNamesAndReturnsANewOne) {
    ProgramFolder folder;
    ProfileStore store(folder.Path(), LanguageManager::Instance());
    store.LoadProfiles();
    store.Rename(0, QStringLiteral("Office"));

    CMS_1_ConfigName dialog(QStringLiteral("profile_name_1_text"), store);
    QStringList warnings;
    auto recordWarning = [&warnings](WindowImplBase& box) {
        warnings << box.Find<Label>(QStringLiteral("warning")).TextKey();
        box.Find<Button>(QStringLiteral("btn_ok")).Click();
    };
    TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1, recordWarning);
    TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1, recordWarning);
    TestHook::ScriptModal(QStringLiteral("MS_1_ConfigName"), 0, [](WindowImplBase& w) {
        Edit name = w.Find<Edit>(QStringLiteral("edit_name"));
        Button ok = w.Find<Button>(QStringLiteral("btn_ok"));
        ok.Click();  // empty: refused, the dialog stays open
        name.SetText(QStringLiteral("office"));
        ok.Click();  // taken in another case: refused
        EXPECT_TRUE(w.IsWindow());
        name.SetText(QStringLiteral("Gaming"));
        ok.Click();
    });
    ASSERT_TRUE(dialog.Create(nullptr, kWindowToolWindow));
    EXPECT_EQ(dialog.ShowModal(), 1);
    EXPECT_EQ(warnings, (QStringList{QStringLiteral("warn_name_1_text"),
                                     QStringLiteral("warn_name_2_text")}));
    EXPECT_EQ(dialog.ResultName(), QStringLiteral("Gaming"));
}

TEST_F(NameDialogTest, CancelAndCloseReturnZero) {
    ProgramFolder folder;
    ProfileStore store(folder.Path(), LanguageManager::Instance());
    for (const char* button : {"btn_cancel", "btn_exit"}) {
        CMS_1_ConfigName dialog(QStringLiteral("profile_name_2_text"), store);
        TestHook::ScriptModal(QStringLiteral("MS_1_ConfigName"), 1, [button](WindowImplBase& w) {
            w.Find<Edit>(QStringLiteral("edit_name")).SetText(QStringLiteral("Anything"));
            w.Find<Button>(QLatin1String(button)).Click();
        });
        ASSERT_TRUE(dialog.Create(nullptr, kWindowToolWindow));
        EXPECT_EQ(dialog.ShowModal(), 0) << button;
        EXPECT_TRUE(dialog.ResultName().isEmpty());
    }
}

}  // namespace
