// The menus of the main window's title bar and of the tray: the program menu (About, Start with
// the desktop, Quit), the look menu (Dark, Light, Follow the desktop) and the tray's menu. Also
// keeps the chosen look in CONFIG.ini and follows the desktop's preference when asked to.
#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "sys/desktop_color_scheme.h"
#include "ui/popup_menu.h"

class WindowImplBase;

enum class LookChoice { Dark, Light, Desktop };

class ProgramMenus {
public:
    // `configPath` is CONFIG.ini; `onSaveFailed` runs when the choice cannot be written.
    ProgramMenus(QString configPath, std::function<void()> onSaveFailed);
    ~ProgramMenus();

    // Builds the menus for `window` and puts the saved look in force.
    void Load(WindowImplBase* window);

    void OpenProgramMenu(const Control& anchor);
    void OpenLookMenu(const Control& anchor);
    PopupMenu& TrayMenu() { return trayMenu_; }
    PopupMenu& ProgramMenu() { return programMenu_; }
    PopupMenu& LookMenu() { return lookMenu_; }

    // A chosen item of these menus; false when the name is not one of theirs ("configuration"
    // and "exit" are the window's).
    bool HandleCommand(const QString& name);
    void ReloadTexts();

    LookChoice Look() const { return look_; }
    // Whether the light sheet is in force now.
    static bool LightInForce();
    void ChooseLook(LookChoice look);

    static constexpr char kLookKey[] = "look";

private:
    void PutLookInForce();
    void ToggleAutostart();

    QString configPath_;
    std::function<void()> onSaveFailed_;
    WindowImplBase* window_ = nullptr;
    PopupMenu programMenu_, lookMenu_, trayMenu_;
    LookChoice look_ = LookChoice::Desktop;
    std::unique_ptr<DesktopColorScheme> desktopScheme_;
};
