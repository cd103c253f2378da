// Window messages across threads, window and control timers, the destroy path, modal runs with
// scripted answers, menus, the tray icon and file dialogs.
#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <memory>

#include "tests/ui/ui_test_support.h"
#include "ui/file_dialogs.h"
#include "ui/menu_window.h"
#include "ui/popup_menu.h"
#include "ui/test_hook.h"
#include "ui/tray_icon.h"

namespace {

constexpr unsigned kMsgFirstTest = 1500;

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureUiApp();
        ASSERT_TRUE(window.Create(nullptr, kWindowCaption));
        TestHook::Enable();
    }
    void TearDown() override { TestHook::Disable(); }

    std::vector<Message> MessagesOf(unsigned number) const {
        std::vector<Message> out;
        for (const Message& m : window.messages) {
            if (m.message == number) {
                out.push_back(m);
            }
        }
        return out;
    }

    TestWindow window;
};

TEST_F(MessagesTest, PostsFromAnotherThreadArriveInOrderAndSendWaitsForTheResult) {
    constexpr int kCount = 500;
    const MessagePoster poster = window.Poster();
    std::atomic<qintptr> sent{0};  // read after the thread ends, a wait Qt keeps to itself
    std::unique_ptr<QThread> worker(QThread::create([&] {
        for (int i = 0; i < kCount; ++i) {
            poster.Post(kMsgFirstTest, static_cast<quintptr>(i), -i);
        }
        sent = window.SendMessage(kMsgFirstTest + 1, 7, 8);
    }));
    worker->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return worker->isFinished(); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return MessagesOf(kMsgFirstTest).size() == kCount; }));
    const auto posted = MessagesOf(kMsgFirstTest);
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(posted[static_cast<size_t>(i)].wParam, static_cast<quintptr>(i));
        ASSERT_EQ(posted[static_cast<size_t>(i)].lParam, -i);
    }
    EXPECT_EQ(sent.load(), static_cast<qintptr>(kMsgFirstTest + 2));
}

TEST_F(MessagesTest, PostingToAWindowThatIsGoneDoesNothing) {
    MessagePoster poster;
    {
        TestWindow shortLived;
        ASSERT_TRUE(shortLived.Create(nullptr));
        poster = shortLived.Poster();
        EXPECT_TRUE(poster.Post(kMsgFirstTest));  // queued, then dropped with the window
    }
    EXPECT_FALSE(poster.Post(kMsgFirstTest));
    EXPECT_FALSE(MessagePoster().Post(kMsgFirstTest));
    window.PostMessage(kMsgFirstTest + 5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !MessagesOf(kMsgFirstTest + 5).empty(); }));
}

TEST_F(MessagesTest, WindowTimerDeliversItsIdAndSettingAgainRestartsInsteadOfAdding) {
    window.SetTimer(43, 5000);
    window.SetTimer(43, 10);
    EXPECT_EQ(window.TimerInterval(43), 10);
    window.onMessage = [&](unsigned message, quintptr wParam, qintptr) {
        if (message == ui::kMsgTimer && wParam == 43) {
            window.KillTimer(43);
            window.PostMessage(kMsgFirstTest);
        }
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !MessagesOf(kMsgFirstTest).empty(); }));
    const auto fired = MessagesOf(ui::kMsgTimer);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].wParam, 43u);
    EXPECT_FALSE(window.HasTimer(43));
}

TEST_F(MessagesTest, ControlTimerReachesTheControlsReceiverAndEndsWithKill) {
    RecordingPump page{"timer"};
    window.AddVirtualWindow("TestPage", &page);
    const Progress outside = window.Find<Progress>("progress_power");
    const Label inside = window.Find<Label>("power_label");
    window.SetTimer(inside, 53, 10);
    window.SetTimer(outside, 6, 10);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !page.got.empty() && !window.NotesOf("timer").empty(); }));
    window.KillTimer(inside, 53);
    window.KillTimer(outside, 6);
    EXPECT_EQ(page.got[0].wParam, 53u);
    EXPECT_TRUE(page.got[0].sender == inside);
    // The window sees every notification; the one from outside the page stays with it.
    bool outsideSeen = false;
    for (const Notification& n : window.NotesOf("timer")) {
        outsideSeen = outsideSeen || (n.wParam == 6u && n.virtualWindow.isEmpty());
    }
    EXPECT_TRUE(outsideSeen);
}

// A popup that frees itself once its window is gone.
class SelfFreeingWindow : public TestWindow {
public:
    explicit SelfFreeingWindow(bool* freed) : freed_(freed) {}

protected:
    void OnFinalMessage() override {
        *freed_ = true;
        delete this;
    }

private:
    bool* freed_;
};

TEST_F(MessagesTest, CloseFromAClickHandlerRunsTheDestroyPathAndFreesThePopupLater) {
    bool freed = false;
    auto* popup = new SelfFreeingWindow(&freed);
    ASSERT_TRUE(popup->Create(&window, kWindowToolWindow | kWindowTopMost | kWindowNoActivate));
    popup->SetTimer(52, 10000);
    popup->onNotify = [popup](const Notification& n) {
        if (n.Is("click") && n.From("btn_ok")) {
            popup->Close(1);
        }
    };
    popup->ShowWindow(true, false);
    popup->Find<Button>("btn_ok").Click();
    EXPECT_EQ(popup->destroyCount, 1);
    EXPECT_EQ(popup->messages.back().message, ui::kMsgDestroy);
    EXPECT_FALSE(popup->IsWindow());
    EXPECT_FALSE(freed);  // the widgets were still in their click
    ASSERT_TRUE(QTest::qWaitFor([&] { return freed; }));
}

TEST_F(MessagesTest, ModalRunsTakeScriptedAnswersAndTheWindowsOwnClose) {
    TestHook::ScriptModal("TestWnd", 0);
    TestHook::ScriptModal("TestWnd", 0, [](WindowImplBase& w) {
        w.Find<Edit>("edit_name").SetText("Work");
        w.Find<Button>("btn_ok").Click();
    });
    TestHook::ScriptModal("TestWnd", 1, [](WindowImplBase& w) {
        // A confirmation box opened from inside the dialog, itself scripted.
        TestWindow inner;
        inner.className = "MsgWnd";
        inner.Create(&w);
        EXPECT_EQ(inner.ShowModal(), 1);
    });
    TestHook::ScriptModal("MsgWnd", 1);

    TestWindow first;
    ASSERT_TRUE(first.Create(&window));
    EXPECT_EQ(first.ShowModal(), 0);
    EXPECT_FALSE(first.IsWindow());

    TestWindow second;
    QString typed;
    ASSERT_TRUE(second.Create(&window));
    second.onNotify = [&](const Notification& n) {
        if (n.Is("click") && n.From("btn_ok")) {
            typed = second.Find<Edit>("edit_name").Text();
            second.Close(1);
        }
    };
    EXPECT_EQ(second.ShowModal(), 1);
    EXPECT_EQ(typed, "Work");

    TestWindow third;
    ASSERT_TRUE(third.Create(&window));
    EXPECT_EQ(third.ShowModal(), 1);

    TestWindow unscripted;
    ASSERT_TRUE(unscripted.Create(&window));
    EXPECT_EQ(unscripted.ShowModal(), -1);
    EXPECT_EQ(TestHook::ModalRuns(),
              QStringList({"TestWnd", "TestWnd", "TestWnd", "MsgWnd", "TestWnd"}));
}

TEST_F(MessagesTest, MenuReportsTheChosenItemWithItsRecordAndSizesToVisibleItems) {
    MenuWindow menu;
    ASSERT_TRUE(
        menu.Create(&window, "traymenu.xml", QPoint(300, 200), kMenuAlignLeft | kMenuAlignTop));
    EXPECT_TRUE(menu.IsOpen());
    EXPECT_EQ(menu.VisibleItemCount(), 2);
    EXPECT_EQ(menu.ScreenRect().topLeft(), QPoint(300, 200));
    menu.MoveTo(QPoint(300, 200), kMenuAlignRight | kMenuAlignBottom);
    EXPECT_EQ(menu.ScreenRect().bottomRight(), QPoint(299, 199));
    EXPECT_FALSE(menu.ChooseItem("hidden_item"));

    MenuCommand received;
    window.onMessage = [&](unsigned message, quintptr wParam, qintptr) {
        if (message == ui::kMsgMenuCommand) {
            received = *MenuCommand::FromParam(wParam);
        }
    };
    ASSERT_TRUE(menu.ChooseItem("configuration"));
    EXPECT_FALSE(menu.IsOpen());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !MessagesOf(ui::kMsgMenuCommand).empty(); }));
    EXPECT_EQ(received.name, "configuration");
    EXPECT_EQ(received.userData, "open");
    EXPECT_EQ(received.text, "Configuration");
}

TEST_F(MessagesTest, TrayIconReportsLeftAndRightButtonUp) {
    TrayIcon tray;
    tray.Create(&window, "skins/mouse.png", "Corvane TALVORE");
    EXPECT_EQ(tray.ToolTip(), "Corvane TALVORE");
    tray.DeliverMouseMessage(ui::kMouseLeftButtonUp);
    tray.DeliverMouseMessage(ui::kMouseRightButtonUp);
    ASSERT_TRUE(QTest::qWaitFor([&] { return MessagesOf(ui::kMsgTrayIcon).size() == 2; }));
    EXPECT_EQ(MessagesOf(ui::kMsgTrayIcon)[0].lParam, 514);
    EXPECT_EQ(MessagesOf(ui::kMsgTrayIcon)[1].lParam, 517);
    tray.Remove();
    tray.DeliverMouseMessage(ui::kMouseLeftButtonUp);  // a removed icon reports nothing
    window.PostMessage(kMsgFirstTest);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !MessagesOf(kMsgFirstTest).empty(); }));
    EXPECT_EQ(MessagesOf(ui::kMsgTrayIcon).size(), 2u);
}

// A tray menu opens beside its icon and wholly on the icon's screen, wherever the panel is.
TEST(PopupMenuPlace, BesideTheIconAndOnTheScreenWhereverThePanelIs) {
    const QRect screen(0, 0, 1280, 800);
    const QSize menu(160, 90);
    // Bottom panel, icon at the right edge: above the icon, pulled in from the edge.
    EXPECT_EQ(PopupMenu::PlaceBeside(QRect(1256, 776, 22, 22), menu, screen), QPoint(1120, 686));
    // Top panel, icon at the left: below the icon.
    EXPECT_EQ(PopupMenu::PlaceBeside(QRect(2, 2, 22, 22), menu, screen), QPoint(2, 24));
    // A second screen to the right of the first one, panel at its bottom.
    const QRect second(1280, 0, 1920, 1080);
    EXPECT_EQ(PopupMenu::PlaceBeside(QRect(3170, 1056, 22, 22), menu, second), QPoint(3040, 966));
    // A menu taller than the room above a low icon still starts on the screen.
    EXPECT_EQ(PopupMenu::PlaceBeside(QRect(600, 780, 22, 20), QSize(160, 900), screen).y(), 0);
}

TEST_F(MessagesTest, FileDialogsTakeScriptedPathsAndCancelsAndRecordTheRequest) {
    const FileFilter profiles{"Profile File", {"*.pro", "*.PRO"}};
    TestHook::ScriptFileDialog("/tmp/a.pro");
    TestHook::ScriptFileDialog("");
    EXPECT_EQ(GetSaveFilePath(&window, profiles, "pro"), "/tmp/a.pro");
    EXPECT_EQ(GetOpenFilePath(&window, profiles), QString());
    EXPECT_EQ(GetOpenFilePath(&window, profiles), QString());  // unscripted: cancelled
    const auto requests = TestHook::FileDialogRequests();
    ASSERT_EQ(requests.size(), 3);
    EXPECT_TRUE(requests[0].save);
    EXPECT_TRUE(requests[0].promptOverwrite);
    EXPECT_EQ(requests[0].defaultExtension, "pro");
    EXPECT_EQ(requests[0].filter.patterns, QStringList({"*.pro", "*.PRO"}));
    EXPECT_FALSE(requests[1].save);
}

}  // namespace
