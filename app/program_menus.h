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

    // Puts the saved look in force for `window`'s menus. The menus themselves are built by
    // Build(), which the window calls after its first frame, or on first use.
    void Load(WindowImplBase* window);
    void Build();

    void OpenProgramMenu(const Control& anchor);
    void OpenLookMenu(const Control& anchor);
    PopupMenu& TrayMenu() {
        Build();
        return trayMenu_;
    }
    PopupMenu& ProgramMenu() {
        Build();
        return programMenu_;
    }
    PopupMenu& LookMenu() {
        Build();
        return lookMenu_;
    }

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
    bool built_ = false;
    PopupMenu programMenu_, lookMenu_, trayMenu_;
    LookChoice look_ = LookChoice::Desktop;
    std::unique_ptr<DesktopColorScheme> desktopScheme_;
};
