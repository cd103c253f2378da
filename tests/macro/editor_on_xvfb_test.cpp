// The macro editor on a real X server (Xvfb) with the real hook library, driven by xdotool as a
// user would: start a recording with the record button, type on an ordinary application window
// and click in it, come back and stop. Skipped where Xvfb or xdotool is missing.
#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "link/driver_library.h"
#include "macro/editor/ms_1_macro.h"
#include "macro/macro_store.h"
#include "macro/us_keyboard_layout.h"
#include "sys/clock.h"
#include "tests/drivers/x_client_window.h"
#include "ui/language_manager.h"
#include "ui/ui_application.h"

namespace {

constexpr int kWaitMs = 10000;

class EditorOnXvfb : public ::testing::Test {
protected:
    void SetUp() override {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        xdotool_ = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        if (xvfb.isEmpty() || xdotool_.isEmpty()) {
            GTEST_SKIP() << "Xvfb or xdotool is not installed: the editor needs an X server";
        }
        const QString display =
            QStringLiteral(":%1").arg(500 + (QCoreApplication::applicationPid() % 400));
        server_.start(xvfb, {display, QStringLiteral("-screen"), QStringLiteral("0"),
                             QStringLiteral("1600x900x24"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp")});
        if (!server_.waitForStarted(5000)) {
            GTEST_SKIP() << "Xvfb could not be started";
        }
        qputenv("DISPLAY", display.toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
        // The server takes a moment to accept connections.
        QProcess probe;
        bool answered = false;
        for (int i = 0; i < 100 && !answered; ++i) {
            probe.start(xdotool_, {QStringLiteral("getmouselocation")});
            answered = probe.waitForFinished(5000) && probe.exitCode() == 0;
        }
        if (!answered) {
            GTEST_SKIP() << "the X server on " << display.toStdString() << " did not answer";
        }
        static int argc = 1;
        static char name[] = "editor_on_xvfb_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<UiApplication>(argc, argv);
        UiApplication::SetSkinFolder(QStringLiteral(TALVORE_BIN_DIR "/res/"));
        ASSERT_TRUE(LanguageManager::Instance().Load(QStringLiteral("lan/EN.xml")));
        ASSERT_TRUE(hook_.Load(QStringLiteral(TALVORE_BIN_DIR "/Hook.so")))
            << hook_.ErrorString().toStdString();
    }

    void TearDown() override {
        editor_.reset();
        hook_.Unload();
        app_.reset();
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            server_.waitForFinished(5000);
        }
    }

    // The event loop keeps running meanwhile: delays are measured when the input is handled.
    void Xdotool(const QStringList& args) {
        QProcess tool;
        tool.start(xdotool_, args);
        ASSERT_TRUE(QTest::qWaitFor([&] { return tool.state() == QProcess::NotRunning; }, kWaitMs));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }
    void MoveTo(const QPoint& p) {
        Xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
    }

    QString xdotool_;
    QProcess server_;
    std::unique_ptr<UiApplication> app_;
    HookLibrary hook_;
    QTemporaryDir folder_;
    MacroStore store_{folder_.path() + '/'};
    UsKeyboardLayout layout_;
    SteadyClock clock_;
    std::unique_ptr<CMS_1_Macro> editor_;
};

TEST_F(EditorOnXvfb, TypingAndClickingOnAnApplicationWindowIsRecordedWithoutTheStoppingClick) {
    XClientWindow client;  // at (0, 0), 400 x 300
    ASSERT_TRUE(client.Mapped());
    editor_ = std::make_unique<CMS_1_Macro>(MacroEditorServices{store_,
                                                                hook_.Table(),
                                                                layout_,
                                                                LanguageManager::Instance(),
                                                                clock_,
                                                                folder_.path() + '/',
                                                                nullptr,
                                                                {}});
    ASSERT_TRUE(editor_->Create(nullptr, kWindowToolWindow, QRect(480, 100, 1000, 660)));
    editor_->ShowWindow(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor_->RootWidget()));
    editor_->Find<Option>(QStringLiteral("ms_1_record_delay_btn")).Select(Notify::kYes);
    QWidget* record = editor_->Find<Button>(QStringLiteral("ms_1_macro_record_btn")).Widget();
    const QPoint recordCentre = record->mapToGlobal(record->rect().center());

    MoveTo(recordCentre);
    ASSERT_TRUE(QTest::qWaitFor([&] { return record->underMouse(); }, kWaitMs));
    Xdotool({QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor_->Buffer().recording; }, kWaitMs));

    MoveTo(QPoint(100, 100));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !record->underMouse(); }, kWaitMs));
    Xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("120"),
             QStringLiteral("a"), QStringLiteral("b")});
    Xdotool({QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor_->Buffer().actionCount == 6; }, kWaitMs))
        << editor_->Buffer().actionCount << " actions";

    MoveTo(recordCentre);
    ASSERT_TRUE(QTest::qWaitFor([&] { return record->underMouse(); }, kWaitMs));
    Xdotool({QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !editor_->Buffer().recording; }, kWaitMs));
    // Give a stray press of the stopping click time to arrive, if the hook let one through.
    QTest::qWait(300);

    MacroStore stored(folder_.path() + '/');
    stored.Load();
    ASSERT_EQ(stored.Count(), 1);
    const MacroRecord& macro = stored.At(0);
    ASSERT_EQ(macro.actionCount, 6);
    const uint8_t codes[] = {0x04, 0x04, 0x05, 0x05, 0xF1, 0xF1};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(macro.actions[i].code, codes[i]) << i;
        EXPECT_EQ(macro.actions[i].kind, i % 2 == 0 ? 1 : 2) << i;
    }
    // xdotool holds each key 60 ms and waits 60 ms before the next (half its 120 ms each): the
    // recorded delays are what really passed, not the default 10 ms each. A loaded machine may
    // hand two events over together, so only their sum (about 180 ms) is held against the 30 ms
    // the defaults would make.
    int typed = 0;
    for (int i = 0; i < 3; ++i) {
        EXPECT_LT(macro.actions[i].delay, 5000) << i;
        typed += macro.actions[i].delay;
    }
    EXPECT_GE(typed, 90);
    EXPECT_EQ(macro.actions[5].delay, 10);
}

}  // namespace
