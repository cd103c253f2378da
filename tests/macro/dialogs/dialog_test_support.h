// The two button dialogs in tests: an application on the source tree's skin folder in English,
// and a dialog shown and made the active window, so focus moves as it does for a user.
#pragma once

#include <QApplication>
#include <QWidget>
#include <QtTest/QTest>

#include "ui/language_manager.h"
#include "ui/ui_application.h"
#include "ui/window_impl_base.h"

inline void EnsureDialogApp() {
    static int argc = 1;
    static char name[] = "talvore_dialogs_test";
    static char* argv[] = {name, nullptr};
    static UiApplication* app = [] {
        auto* created = new UiApplication(argc, argv);
        UiApplication::SetSkinFolder(QStringLiteral(TALVORE_SOURCE_DIR "/res"));
        return created;
    }();
    (void)app;
    LanguageManager::Instance().Load(QStringLiteral("lan/EN.xml"));
}

inline bool ShowActive(WindowImplBase& window) {
    window.ShowWindow();
    QWidget* root = window.RootWidget();
    QApplication::setActiveWindow(root);
    return QTest::qWaitForWindowActive(root);
}
