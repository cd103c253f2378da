// The UI library's process-wide part: the application object, the skin folder with its theme,
// the message loop and its end. Create one before any window, on the main thread.
#pragma once

#include <QString>
#include <memory>

class QApplication;

class UiApplication {
public:
    UiApplication(int& argc, char** argv);
    ~UiApplication();
    UiApplication(const UiApplication&) = delete;
    UiApplication& operator=(const UiApplication&) = delete;

    // The folder layouts, images and language files are read from ("<program>/res/"); its
    // "skins" subfolder becomes the search path "skins" the theme names images by. Loads
    // "skins/theme.qss" from it when present; without it the windows keep the plain Qt look.
    static void SetSkinFolder(const QString& folder);
    static QString SkinFolder();
    // `relative` inside the skin folder; absolute paths are returned as they are.
    static QString SkinPath(const QString& relative);
    // Applies a style sheet file to every window; false (look unchanged) when it cannot be read.
    // Loaded before any widget exists, the sheet waits for the first window: that window is
    // built with no sheet in force and styled once when its layout is complete, instead of at
    // every step of the build. The next round of the event loop puts it in force in any case.
    static bool LoadTheme(const QString& qssPath);
    // Switches the look: `sheetFile` of the "skins" folder ("theme.qss", "theme_light.qss"),
    // with the images of its subfolder `imageVariant` ("light"; empty for the default images)
    // standing in for those of the same name, in open windows and in those opened later.
    static bool SwitchTheme(const QString& sheetFile, const QString& imageVariant);
    static bool HasSkinVariant();
    // Puts a sheet that waits for the first window in force; nothing when none waits.
    static void ApplyPendingTheme();

    // The launcher's activation token (xdg-activation) for the next window that asks to be
    // activated: on Wayland the compositor raises and focuses a window only with one. Qt takes
    // it from XDG_ACTIVATION_TOKEN at that moment. Nothing on other platforms.
    static void UseActivationToken(const QString& token);

    // Runs until PostQuitMessage; returns its code.
    int MessageLoop();
    // Thread-safe: ends the message loop once the events queued before it have run.
    static void PostQuitMessage(int code = 0);

    // For the end of the program whatever is open: every dialog, file dialog and menu that runs
    // a loop of its own ends as if cancelled, innermost first, and until AllowModalRuns() a modal
    // run ends at once. Their callers go on once control is back in their loops.
    static void EndModalRuns();
    static void AllowModalRuns();
    static bool Ending();
    // The number of event loops running now: 1 in the main loop, more inside a dialog or menu.
    static int LoopDepth();

private:
    static void PrepareProcess();

    std::unique_ptr<QApplication> app_;
};
