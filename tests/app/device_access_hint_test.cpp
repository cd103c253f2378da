// A mouse whose device node this user may not open is not reported as absent: the program says
// once why it cannot reach it, and a request to open the window says it again instead of "no
// mouse".
#include <cerrno>

#include <gtest/gtest.h>

#include "app/main_wnd.h"
#include "dialogs/msg_wnd.h"
#include "link/program_messages.h"
#include "tests/app/app_test_support.h"

namespace {

using namespace program_messages;

DeviceAccessReport Report(bool refused) {
    DeviceAccessReport report;
    MouseNodeAccess receiver;
    receiver.node = {QStringLiteral("/dev/hidraw4"), 0x0003, 0x1D57, 0xFA60};
    receiver.link = QStringLiteral("receiver");
    receiver.error = refused ? EACCES : 0;
    report.nodes.push_back(receiver);
    return report;
}

// Scripts the next message box to check its text and close with OK.
void ExpectBoxSaying(const char* key) {
    TestHook::ScriptModal(QStringLiteral("MsgWnd"), 1, [key](WindowImplBase& box) {
        EXPECT_EQ(box.Find<Label>(QStringLiteral("warning")).TextKey(), QLatin1String(key));
    });
}

TEST(DeviceAccessHint, ShownOnceWhenRefusedAndInsteadOfTheNoMouseWarning) {
    EnsureProgramApp();
    TestHook::Enable();
    ProgramFolder folder;
    bool refused = true;
    auto window = std::make_unique<CMainWnd>(folder.Platform());
    window->SetDeviceAccessDiagnosis([&] { return Report(refused); });

    ExpectBoxSaying("device_access_text");
    ASSERT_TRUE(window->Create(nullptr, 0, QRect(0, 0, 800, 572)));
    QTest::qWait(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(TestHook::ModalRuns().count(QStringLiteral("MsgWnd")), 1);
    EXPECT_FALSE(window->IsVisible());

    // Later link changes do not repeat the hint on their own.
    window->SendMessage(kCableStatus, 0, 0);
    window->SendMessage(kDeviceConnected);
    EXPECT_EQ(TestHook::ModalRuns().count(QStringLiteral("MsgWnd")), 1);

    // Asked to open: the hint, not "no mouse".
    ExpectBoxSaying("device_access_text");
    window->SendMessage(kTrayIcon, 0, ui::kMouseLeftButtonUp);
    EXPECT_EQ(TestHook::ModalRuns().count(QStringLiteral("MsgWnd")), 2);

    // Once the node opens (rules installed) and still no link is up, the mouse is absent.
    refused = false;
    ExpectBoxSaying("no_device_text");
    window->SendMessage(kOpenInstance);
    EXPECT_EQ(TestHook::ModalRuns().count(QStringLiteral("MsgWnd")), 3);

    window.reset();
    TestHook::Disable();
}

}  // namespace
