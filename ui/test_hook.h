// Scripted answers for modal runs and file dialogs, so tests drive dialogs without waiting for a
// user. While enabled, nothing blocks: a modal run or file dialog without a script ends at once
// (modal result -1, dialog cancelled) with a critical log line naming it.
//
//   TestHook::Enable();
//   TestHook::ScriptModal("MS_1_ConfigName", 0, [](WindowImplBase& w) {
//       w.Find<Edit>("edit_name").SetText("Work");
//       w.Find<Button>("btn_ok").Click();   // closes with 1: the run returns 1
//   });
//   TestHook::ScriptFileDialog("/tmp/x/a.pro");
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "ui/file_dialogs.h"

class WindowImplBase;

class TestHook {
public:
    using ModalAction = std::function<void(WindowImplBase&)>;
    struct ModalScript {
        int result = 0;
        ModalAction act;
    };

    static void Enable();
    // Also forgets every script and record.
    static void Disable();
    static bool IsEnabled();

    // The next modal run of a window of this class runs `act` on the built window (it may find
    // controls, type, click); if `act` closed the window, the run returns the result it closed
    // with, otherwise `result`. Scripts for one class are used in the order they were given.
    static void ScriptModal(const QString& className, int result, ModalAction act = {});
    // The next file dialog returns `path`; an empty path is a cancel.
    static void ScriptFileDialog(const QString& path);

    // Class names of the modal runs so far, and the file dialogs asked for, in order.
    static QStringList ModalRuns();
    static QList<FileDialogRequest> FileDialogRequests();

    // For the library.
    static std::optional<ModalScript> TakeModal(const QString& className);
    static std::optional<QString> TakeFileDialog(const FileDialogRequest& request);
};
