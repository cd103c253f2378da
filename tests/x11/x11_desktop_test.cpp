// The program's window on an X11 desktop with a window manager and a tray: dragging the title
// area moves it (a double-click there does nothing), the DPI popup is a notification bubble at
// the corner that never takes the focus, and the tray's menu opened at the right screen edge lies
// wholly on the screen, beside the icon.
#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "app/dpi_msg.h"
#include "sim/hidapi/shared_mouse.h"
#include "tests/e2e/program_on_mouse.h"
#include "tests/x11/x11_desktop.h"

namespace {

constexpr int kWaitMs = 15000;

class ProgramOnX11 : public ProgramOnMouse {
protected:
    void SetUp() override {
        TALVORE_NEED_X11_DESKTOP();
        ProgramOnMouse::SetUp();
        UseLanguage(2);
        sim::SharedMouse().SetCablePlugged(true);
        Open();
        root = window->RootWidget();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return root->isVisible() && root->isActiveWindow(); }, kWaitMs));
    }
    bool Xdotool(const QStringList& arguments) {
        bool ok = false;
        TestDesktop().Run(QStringLiteral("xdotool"), arguments, &ok);
        return ok;
    }
    bool MoveTo(QPoint p) {
        return Xdotool(
            {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
    }
    // Where the X server has the window now: the window manager may tell the program only when a
    // move ends.
    // Where the X server has a window: what the user sees, whatever Qt has learnt of it yet.
    static QRect ServerGeometry(const QWidget* widget) {
        const QString info = TestDesktop().Run(
            QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(widget->winId())});
        QRect at(-1, -1, 0, 0);
        for (const QString& line : info.split(QLatin1Char('\n'))) {
            const QString text = line.trimmed();
            const int value = text.section(QLatin1Char(':'), 1).trimmed().toInt();
            if (text.startsWith(QLatin1String("Absolute upper-left X:"))) {
                at.moveLeft(value);
            } else if (text.startsWith(QLatin1String("Absolute upper-left Y:"))) {
                at.moveTop(value);
            } else if (text.startsWith(QLatin1String("Width:"))) {
                at.setWidth(value);
            } else if (text.startsWith(QLatin1String("Height:"))) {
                at.setHeight(value);
            }
        }
        return at;
    }
    QPoint ServerPosition() const { return ServerGeometry(root).topLeft(); }
    QString ActiveWindow() const {
        return TestDesktop()
            .Run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")})
            .trimmed();
    }

    QWidget* root = nullptr;
};

TEST_F(ProgramOnX11, DraggingTheTitleAreaMovesTheWindowAndADoubleClickThereDoesNothing) {
    const QRect before(ServerPosition(), root->frameGeometry().size());
    const QPoint grab = before.topLeft() + QPoint(150, 25);
    ASSERT_TRUE(MoveTo(grab));
    ASSERT_TRUE(Xdotool({QStringLiteral("mousedown"), QStringLiteral("1")}));
    // The window manager takes over the move once the program has asked it to: edge the pointer
    // until the window follows, then drag.
    int nudge = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            MoveTo(grab + QPoint(++nudge, 0));
            return ServerPosition() != before.topLeft();
        },
        kWaitMs))
        << "the window never followed the pointer";
    const QPoint moveBegan = grab + QPoint(nudge, 0) - (ServerPosition() - before.topLeft());
    const QPoint target = grab + QPoint(-120, 80);
    for (int step = 1; step <= 5; ++step) {
        ASSERT_TRUE(MoveTo(moveBegan + (target - moveBegan) * step / 5));
    }
    ASSERT_TRUE(Xdotool({QStringLiteral("mouseup"), QStringLiteral("1")}));
    const QPoint expected = before.topLeft() + (target - moveBegan);
    // The program learns where its window went.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return root->frameGeometry().topLeft() == expected; }, kWaitMs))
        << root->frameGeometry().x() << "," << root->frameGeometry().y() << ", expected "
        << expected.x() << "," << expected.y();
    const QRect after = root->frameGeometry();
    EXPECT_EQ(after.size(), before.size());

    // A double-click on the title area: no maximising, nothing moves.
    ASSERT_TRUE(MoveTo(after.topLeft() + QPoint(150, 25)));
    ASSERT_TRUE(Xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                         QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")}));
    QTest::qWait(300);
    ASSERT_TRUE(MoveTo(after.topLeft() + QPoint(400, 300)));  // a move still under way shows now
    QTest::qWait(300);
    EXPECT_EQ(root->frameGeometry(), after);
    EXPECT_EQ(ServerPosition(), after.topLeft());
    EXPECT_FALSE(root->isMaximized());
    EXPECT_TRUE(root->isVisible());
}

TEST_F(ProgramOnX11, TheDpiPopupIsANotificationAtTheCornerThatNeverTakesTheFocus) {
    const QString active = ActiveWindow();
    ASSERT_EQ(active, QString::number(root->winId()));
    sim::SharedMouse().PressDpiButton();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->DpiPopup() != nullptr; }, kWaitMs));
    QWidget* popup = window->DpiPopup()->RootWidget();
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup->isVisible(); }, kWaitMs));
    const QString type = TestDesktop().Run(QStringLiteral("xprop"),
                                           {QStringLiteral("-id"), QString::number(popup->winId()),
                                            QStringLiteral("_NET_WM_WINDOW_TYPE")});
    EXPECT_TRUE(type.contains(QLatin1String("_NET_WM_WINDOW_TYPE_NOTIFICATION")))
        << type.toStdString();
    // Another change while it is up goes into the same popup; the focus never moves.
    sim::SharedMouse().PressDpiButton();
    QTest::qWait(300);
    EXPECT_EQ(ActiveWindow(), active);
    EXPECT_TRUE(root->isActiveWindow());
    EXPECT_FALSE(popup->isActiveWindow());
    // The server's geometry, not Qt's frameGeometry(): Qt reads the frame's margins while openbox
    // is still sizing its frame and may keep a 1 x 1 frame for a while.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect placed = ServerGeometry(popup);
    EXPECT_TRUE(area.contains(placed));
    EXPECT_LE(area.right() - placed.right(), 20);
    EXPECT_LE(area.bottom() - placed.bottom(), 20);
}

TEST_F(ProgramOnX11, TheTrayMenuAtTheRightScreenEdgeLiesWhollyOnTheScreenBesideTheIcon) {
    if (!TestDesktop().HasTray()) {
        GTEST_SKIP() << TestDesktop().TrayProblem().toStdString();
    }
    // The icon is made after the window's first frame; until the tray has taken it in, its window
    // still lies where it was made. The tray is at the right edge.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QRect icon;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            icon = window->Tray().Geometry();
            return icon.isValid() && !icon.isEmpty() && icon.right() >= screen.right() - 60;
        },
        kWaitMs))
        << "the icon never reached the tray: " << icon.x() << "," << icon.y();
    ASSERT_TRUE(MoveTo(icon.center()));
    ASSERT_TRUE(Xdotool({QStringLiteral("click"), QStringLiteral("3")}));
    PopupMenu& menu = window->Menus().TrayMenu();
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu.IsOpen(); }, kWaitMs));
    const QRect placed = menu.ScreenRect();
    EXPECT_TRUE(screen.contains(placed))
        << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
    // Beside the icon: over it, no further away than the menu is tall.
    EXPECT_LE(placed.bottom(), icon.bottom());
    EXPECT_GE(placed.bottom(), icon.top() - placed.height());
    EXPECT_EQ(menu.ItemNames(),
              (QStringList{QStringLiteral("configuration"), QStringLiteral("exit")}));
    menu.Close();
}

}  // namespace
