// The main window as a desktop window: never hidden where no tray can bring it back, started in
// the tray when asked, the title bar's program menu (About, Start with the desktop, Quit) and
// look menu (Dark, Light, the desktop's), both remembered and in four languages.
#include <QApplication>
#include <QFile>
#include <QStackedWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/about_wnd.h"
#include "sys/autostart.h"
#include "sys/ini_file.h"
#include "tests/app/app_test_support.h"
#include "ui/ui_internal.h"

namespace {

class DesktopShell : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureProgramApp();
        TestHook::Enable();
        savedConfigHome_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    }
    void TearDown() override {
        window.reset();
        TestHook::Disable();
        TrayIcon::OverrideHostPresent(true);
        UiApplication::SwitchTheme(QStringLiteral("theme.qss"), QString());
        qputenv("XDG_CONFIG_HOME", savedConfigHome_);
    }
    void Open(bool tray, bool hidden = false) {
        TrayIcon::OverrideHostPresent(tray);
        window = std::make_unique<CMainWnd>(folder.Platform());
        window->SetStartHidden(hidden);
        ASSERT_TRUE(window->Create(nullptr, 0, QRect(0, 0, 800, 572)));
        QTest::qWait(0);
        QCoreApplication::processEvents();
    }
    int ShownPage() const {
        auto* stack =
            window->RootWidget()->findChild<QStackedWidget*>(QStringLiteral("device_tab_switch"));
        return stack != nullptr && stack->currentWidget()->isVisibleTo(stack)
                   ? stack->currentIndex()
                   : -1;
    }
    void Click(const char* button) {
        window->Find<Button>(QLatin1String(button)).Click();
        QCoreApplication::processEvents();
    }
    // Chooses an item of an open menu; the command arrives as message 1027.
    void Choose(PopupMenu& menu, const char* item) {
        ASSERT_TRUE(menu.ChooseItem(QLatin1String(item))) << item;
        QCoreApplication::processEvents();
    }
    QString IconFileOf(const char* button) const {
        auto* w = window->RootWidget()->findChild<QToolButton*>(QLatin1String(button));
        return w != nullptr ? w->property("skinImage").toString() : QString();
    }

    ProgramFolder folder;
    QTemporaryDir configHome;
    std::unique_ptr<CMainWnd> window;
    QByteArray savedConfigHome_;
};

// No mouse and no tray: the window stays, says that no mouse is there, and its close button
// minimises it, even when the program was asked to start hidden. With a tray it stays hidden.
TEST_F(DesktopShell, WithoutATrayTheWindowIsNeverHidden) {
    for (const bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "--hidden" : "plain start");
        Open(false, hidden);
        EXPECT_TRUE(window->IsVisible());
        EXPECT_EQ(ShownPage(), 1);
        const Label text = window->Find<Label>(QStringLiteral("no_mouse_label"));
        EXPECT_EQ(text.Text(), LanguageManager::Instance().Text(QStringLiteral("no_device_text")));
        Click("exit_btn");
        EXPECT_TRUE(window->IsVisible());
        EXPECT_TRUE(window->IsMinimized());
        window.reset();
    }
    Open(true);
    EXPECT_FALSE(window->IsVisible());
}

TEST_F(DesktopShell, TheProgramMenuOffersAboutStartWithTheDesktopAndQuit) {
    folder.WriteConfig("[SETTING]\nlanId=3\n");  // Russian
    Open(true);
    PopupMenu& menu = window->Menus().ProgramMenu();
    Click("main_menu_btn");
    EXPECT_TRUE(menu.IsOpen());
    EXPECT_EQ(menu.ItemNames(), (QStringList{QStringLiteral("about"), QStringLiteral("autostart"),
                                             QStringLiteral("exit")}));
    EXPECT_EQ(menu.ItemText(QStringLiteral("autostart")),
              QStringLiteral("Запускать вместе с рабочим столом"));
    EXPECT_FALSE(menu.IsChecked(QStringLiteral("autostart")));

    // Start with the desktop: the entry is written, ticked, and removed by a second choice.
    Choose(menu, "autostart");
    QFile entry(autostart::EntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly)) << autostart::EntryPath().toStdString();
    EXPECT_TRUE(entry.readAll().contains(" --hidden\n"));
    entry.close();
    Click("main_menu_btn");
    EXPECT_TRUE(menu.IsChecked(QStringLiteral("autostart")));
    Choose(menu, "autostart");
    EXPECT_FALSE(QFileInfo::exists(autostart::EntryPath()));
    EXPECT_FALSE(menu.IsChecked(QStringLiteral("autostart")));

    // About names the version, in the window's language.
    QString version;
    TestHook::ScriptModal(QStringLiteral("AboutWnd"), 1, [&](WindowImplBase& box) {
        version = box.Find<Label>(QStringLiteral("about_version")).Text();
    });
    Click("main_menu_btn");
    Choose(menu, "about");
    EXPECT_EQ(version, QStringLiteral("Версия ") + CAboutWnd::Version());
    EXPECT_FALSE(CAboutWnd::Version().isEmpty());

    // The language switch takes the menus along.
    window->Find<ComboBox>(QStringLiteral("combo_lan")).Select(3, TakeFocus::kNo, Notify::kYes);
    EXPECT_EQ(menu.ItemText(QStringLiteral("autostart")),
              QStringLiteral("Iniciar con el escritorio"));
    EXPECT_EQ(window->Menus().TrayMenu().ItemText(QStringLiteral("exit")), QStringLiteral("Salir"));

    // Quit ends the program as the tray's Exit does.
    Click("main_menu_btn");
    Choose(menu, "exit");
    EXPECT_FALSE(window->IsWindow());
}

// The look is put in force at once, with the glyphs drawn for it, kept in CONFIG.ini and taken
// again at the next start. "The desktop's" without a portal that answers is the dark look.
TEST_F(DesktopShell, TheLookMenuSwitchesBetweenDarkAndLightAndRemembersTheChoice) {
    folder.WriteConfig("[SETTING]\nlanId=2\n");
    Open(true);
    EXPECT_EQ(window->Menus().Look(), LookChoice::Desktop);
    EXPECT_FALSE(ProgramMenus::LightInForce());
    PopupMenu& looks = window->Menus().LookMenu();
    Click("skin_btn");
    EXPECT_TRUE(looks.IsChecked(QStringLiteral("theme_system")));
    EXPECT_EQ(looks.ItemText(QStringLiteral("theme_light")), QStringLiteral("Light"));

    Choose(looks, "theme_light");
    EXPECT_TRUE(ProgramMenus::LightInForce());
    EXPECT_TRUE(qApp->styleSheet().contains(QStringLiteral("light theme")));
    EXPECT_TRUE(UiApplication::SkinPath(QStringLiteral("skins/close.svg"))
                    .endsWith(QStringLiteral("skins/light/close.svg")));
    EXPECT_EQ(IconFileOf("exit_btn"), QStringLiteral("skins/close.svg"));
    EXPECT_EQ(
        ReadIniInt(folder.ConfigPath(), QStringLiteral("SETTING"), QStringLiteral("look"), -1), 1);
    // The menus, built in the dark look, show the light glyphs from their next opening on.
    const auto lightGlyph = [] {
        return QIcon(UiApplication::SkinPath(QStringLiteral("skins/close.svg")))
            .pixmap(16, 16)
            .toImage();
    };
    Click("main_menu_btn");
    PopupMenu& programMenu = window->Menus().ProgramMenu();
    programMenu.Close();
    EXPECT_EQ(programMenu.ItemIcon(QStringLiteral("exit")).pixmap(16, 16).toImage(), lightGlyph());

    // The next start takes the light look again; a dialog opened then has the light glyphs.
    window.reset();
    UiApplication::SwitchTheme(QStringLiteral("theme.qss"), QString());
    Open(true);
    EXPECT_EQ(window->Menus().Look(), LookChoice::Light);
    EXPECT_TRUE(ProgramMenus::LightInForce());
    TestHook::ScriptModal(QStringLiteral("AboutWnd"), 1, [](WindowImplBase& box) {
        auto* close = box.RootWidget()->findChild<QToolButton*>(QStringLiteral("btn_exit"));
        ASSERT_NE(close, nullptr);
        const QImage shown = close->icon().pixmap(16, 16).toImage();
        const QImage light = QIcon(UiApplication::SkinPath(QStringLiteral("skins/close.svg")))
                                 .pixmap(16, 16)
                                 .toImage();
        EXPECT_EQ(shown, light);
    });
    CAboutWnd::Show(window.get());

    Click("skin_btn");
    Choose(window->Menus().LookMenu(), "theme_dark");
    EXPECT_FALSE(ProgramMenus::LightInForce());
    EXPECT_FALSE(qApp->styleSheet().contains(QStringLiteral("light theme")));
    Click("skin_btn");
    Choose(window->Menus().LookMenu(), "theme_system");
    EXPECT_FALSE(ProgramMenus::LightInForce());
    EXPECT_EQ(
        ReadIniInt(folder.ConfigPath(), QStringLiteral("SETTING"), QStringLiteral("look"), -1), 2);
}

}  // namespace

// The light look is written from the dark one (scripts/make-light-theme.py): a rule added to the
// dark style sheet and not carried over leaves that control unstyled in the light look (a fold
// header drawn as a tick box), and a glyph it names must exist for the light look too.
TEST(LightLook, StylesEveryRuleOfTheDarkLookWithGlyphsThatExist) {
    const auto rules = [](const QString& file) {
        QFile qss(QStringLiteral(TALVORE_SOURCE_DIR "/res/skins/") + file);
        EXPECT_TRUE(qss.open(QIODevice::ReadOnly)) << file.toStdString();
        QStringList selectors;
        QStringList glyphs;
        const QString text = QString::fromUtf8(qss.readAll());
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            if (line.trimmed().endsWith(QLatin1Char('{'))) {
                selectors << line.trimmed();
            }
            const qsizetype at = line.indexOf(QLatin1String("url(skins:"));
            if (at >= 0) {
                glyphs << line.mid(at + 10, line.indexOf(QLatin1Char(')'), at) - at - 10);
            }
        }
        return std::pair{selectors, glyphs};
    };
    const auto [dark, darkGlyphs] = rules(QStringLiteral("theme.qss"));
    const auto [light, lightGlyphs] = rules(QStringLiteral("theme_light.qss"));
    ASSERT_GT(dark.size(), 50);
    QStringList missing;
    for (const QString& selector : dark) {
        if (!light.contains(selector)) {
            missing << selector;
        }
    }
    EXPECT_EQ(missing.join(QLatin1Char('\n')).toStdString(), std::string());
    EXPECT_EQ(light.size(), dark.size());
    for (const QString& glyph : lightGlyphs) {
        const QString dir = QStringLiteral(TALVORE_SOURCE_DIR "/res/skins/");
        EXPECT_TRUE(QFile::exists(dir + QStringLiteral("light/") + glyph) ||
                    QFile::exists(dir + glyph))
            << glyph.toStdString();
    }
}
