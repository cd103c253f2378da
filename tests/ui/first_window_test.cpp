// The first window of a run: the theme waits until its layout is built and then styles it, so it
// must look exactly like every later window; a theme loaded while no window comes still takes
// effect; and layouts load without Qt Designer's widget plugins, the library paths untouched.
// Each case runs in a process of its own (ctest runs every case alone), so "first" holds.
#include <gtest/gtest.h>
#include <QApplication>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QtTest/QTest>
#include <memory>

#include "ui/language_manager.h"
#include "ui/ui_application.h"
#include "ui/window_impl_base.h"

namespace {

// Colours theme.qss gives: QWidget { color: #e6eaf0; }, QLabel[role="caption"] { color: #f3f6fa; }
constexpr QRgb kThemeText = 0xffe6eaf0;
constexpr QRgb kThemeCaption = 0xfff3f6fa;

void EnsureApp() {
    static int argc = 1;
    static char name[] = "talvore_first_window_test";
    static char* argv[] = {name, nullptr};
    static UiApplication* app = new UiApplication(argc, argv);
    (void)app;
}

class MainWindow final : public WindowImplBase {
public:
    QString GetWindowClassName() const override { return QStringLiteral("FirstWindowTestWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("main.xml"); }
};

std::unique_ptr<MainWindow> OpenMainWindow() {
    auto window = std::make_unique<MainWindow>();
    EXPECT_TRUE(window->Create(nullptr, 0, QRect(0, 0, 800, 572)));
    return window;
}

TEST(FirstWindow, IsBuiltBeforeTheThemeAndLooksLikeEveryLaterWindow) {
    EnsureApp();
    ASSERT_TRUE(QApplication::allWidgets().isEmpty());
    UiApplication::SetSkinFolder(QStringLiteral(TALVORE_SOURCE_DIR "/res"));
    ASSERT_TRUE(LanguageManager::Instance().Load(QStringLiteral("lan/RU.xml")));
    ASSERT_TRUE(qApp->styleSheet().isEmpty()) << "the theme should wait for the first window";

    const auto first = OpenMainWindow();
    EXPECT_FALSE(qApp->styleSheet().isEmpty());
    const QImage firstLook = first->RootWidget()->grab().toImage();

    const auto later = OpenMainWindow();
    const QImage laterLook = later->RootWidget()->grab().toImage();
    ASSERT_EQ(firstLook.size(), QSize(800, 572));
    EXPECT_TRUE(firstLook == laterLook) << "the first window differs from a later one";

    auto* title = first->RootWidget()->findChild<QLabel*>(QStringLiteral("title_label"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->palette().color(QPalette::WindowText).rgba(), kThemeCaption);
}

TEST(FirstWindow, ThemeWithoutAWindowTakesEffectOnceTheEventLoopRuns) {
    EnsureApp();
    ASSERT_TRUE(QApplication::allWidgets().isEmpty());
    UiApplication::SetSkinFolder(QStringLiteral(TALVORE_SOURCE_DIR "/res"));
    // A widget of the program's own, not built from a layout.
    QLabel label(QStringLiteral("text"));
    label.show();
    QTRY_VERIFY(!qApp->styleSheet().isEmpty());
    label.ensurePolished();
    EXPECT_EQ(label.palette().color(QPalette::WindowText).rgba(), kThemeText);

    // With widgets on screen a theme is put in force at once.
    qApp->setStyleSheet(QString());
    ASSERT_TRUE(
        UiApplication::LoadTheme(QStringLiteral(TALVORE_SOURCE_DIR "/res/skins/theme.qss")));
    EXPECT_FALSE(qApp->styleSheet().isEmpty());
}

bool DesignerPluginLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly)) {
        return false;
    }
    return maps.readAll().contains("/designer/");
}

TEST(FirstWindow, LayoutsLoadWithoutDesignerPluginsAndTheirImagesStillShow) {
    EnsureApp();
    UiApplication::SetSkinFolder(QStringLiteral(TALVORE_SOURCE_DIR "/res"));
    const QStringList libraryPaths = QCoreApplication::libraryPaths();

    const auto window = OpenMainWindow();
    EXPECT_EQ(QCoreApplication::libraryPaths(), libraryPaths);
    EXPECT_FALSE(DesignerPluginLoaded());
    // Images of the layout come through the image plugins, which still load.
    auto* battery = window->RootWidget()->findChild<QLabel*>(QStringLiteral("battery_icon"));
    ASSERT_NE(battery, nullptr);
    EXPECT_FALSE(battery->pixmap().isNull());
    // A second layout uses the same loader.
    EXPECT_TRUE(OpenMainWindow()->IsWindow());
    EXPECT_FALSE(DesignerPluginLoaded());
}

}  // namespace
