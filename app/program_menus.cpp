#include "app/program_menus.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include "app/about_wnd.h"
#include "dialogs/msg_wnd.h"
#include "sys/autostart.h"
#include "sys/ini_file.h"
#include "sys/program_layout.h"
#include "ui/ui_application.h"

namespace {
Q_LOGGING_CATEGORY(lcMenus, "talvore.menus")

// The items of the look menu, in the order of LookChoice (0 dark, 1 light, 2 the desktop's), the
// number CONFIG.ini keeps.
const char* const kLookItems[] = {"theme_dark", "theme_light", "theme_system"};

LookChoice LookFromNumber(int number) {
    return number >= 0 && number <= 2 ? static_cast<LookChoice>(number) : LookChoice::Desktop;
}
}  // namespace

ProgramMenus::ProgramMenus(QString configPath, std::function<void()> onSaveFailed)
    : configPath_(std::move(configPath)), onSaveFailed_(std::move(onSaveFailed)) {}

ProgramMenus::~ProgramMenus() = default;

void ProgramMenus::Load(WindowImplBase* window) {
    window_ = window;
    look_ = LookFromNumber(
        ReadIniInt(configPath_, QLatin1String(kSettingSection), QLatin1String(kLookKey), -1));
    PutLookInForce();
}

void ProgramMenus::Build() {
    if (built_ || window_ == nullptr) {
        return;
    }
    built_ = true;
    programMenu_.Load(window_, QStringLiteral("mainmenu.xml"));
    lookMenu_.Load(window_, QStringLiteral("skinmenu.xml"));
    trayMenu_.Load(window_, QStringLiteral("traymenu.xml"));
}

void ProgramMenus::OpenProgramMenu(const Control& anchor) {
    ProgramMenu().SetChecked(QStringLiteral("autostart"), autostart::IsEnabled());
    programMenu_.PopupBelow(anchor);
}

void ProgramMenus::OpenLookMenu(const Control& anchor) {
    LookMenu().SetChecked(QLatin1String(kLookItems[static_cast<int>(look_)]), true);
    lookMenu_.PopupBelow(anchor);
}

bool ProgramMenus::HandleCommand(const QString& name) {
    if (name == QLatin1String("about")) {
        CAboutWnd::Show(window_);
        return true;
    }
    if (name == QLatin1String("autostart")) {
        ToggleAutostart();
        return true;
    }
    for (int i = 0; i < 3; ++i) {
        if (name == QLatin1String(kLookItems[i])) {
            ChooseLook(static_cast<LookChoice>(i));
            return true;
        }
    }
    return false;
}

bool ProgramMenus::LightInForce() {
    return UiApplication::HasSkinVariant();
}

void ProgramMenus::ReloadTexts() {
    if (!built_) {
        return;  // built later, with the texts in force then
    }
    programMenu_.ReloadTexts();
    lookMenu_.ReloadTexts();
    trayMenu_.ReloadTexts();
}

void ProgramMenus::ChooseLook(LookChoice look) {
    look_ = look;
    if (built_) {
        lookMenu_.SetChecked(QLatin1String(kLookItems[static_cast<int>(look)]), true);
    }
    if (!WriteIniInt(configPath_, QLatin1String(kSettingSection), QLatin1String(kLookKey),
                     static_cast<int>(look))) {
        qCWarning(lcMenus) << "cannot write" << configPath_;
        if (onSaveFailed_) {
            onSaveFailed_();
        }
    }
    PutLookInForce();
}

void ProgramMenus::PutLookInForce() {
    bool light = look_ == LookChoice::Light;
    if (look_ == LookChoice::Desktop) {
        if (!desktopScheme_) {
            desktopScheme_ = std::make_unique<DesktopColorScheme>();
            QObject::connect(desktopScheme_.get(), &DesktopColorScheme::Changed,
                             desktopScheme_.get(), [this] {
                                 if (look_ == LookChoice::Desktop) {
                                     PutLookInForce();
                                 }
                             });
        }
        // No portal, or no preference: the program's own dark look.
        light = desktopScheme_->Current() == ColorScheme::Light;
    }
    // The sheet in force is the application's: a window made after another one had switched
    // it finds it already there.
    if (light == UiApplication::HasSkinVariant()) {
        return;
    }
    if (light) {
        UiApplication::SwitchTheme(QStringLiteral("theme_light.qss"), QStringLiteral("light"));
    } else {
        UiApplication::SwitchTheme(QStringLiteral("theme.qss"), QString());
    }
}

void ProgramMenus::ToggleAutostart() {
    const bool enable = !autostart::IsEnabled();
    const FileError result =
        enable ? autostart::Enable(QCoreApplication::applicationFilePath()) : autostart::Disable();
    if (result != FileError::None) {
        qCWarning(lcMenus).noquote() << DescribeFileError(result, autostart::EntryPath());
        CMsgWnd::Show(window_, QStringLiteral("warning_title_text"),
                      QStringLiteral("autostart_failed_text"), CMsgWnd::Kind::kWarning);
    }
    ProgramMenu().SetChecked(QStringLiteral("autostart"), autostart::IsEnabled());
}
