// What other programs may ask of the running program: talvorectl through the single-instance
// socket, and so later a D-Bus interface. Each operation does what the page's own control does:
// the page shows the result at once, and the stores are saved under their lock as every save of
// the program is. While the program runs it is the only writer of its data folder, so this is
// the way other programs change its stores.
#pragma once

#include <functional>

#include <QString>
#include <QStringList>

#include "sys/file_io.h"

class ProfileList;
class ProfileStore;

class PageOperations {
public:
    struct Outcome {
        bool done = false;
        QString name;   // done: the name the new profile or macro was stored under
        QString error;  // not done: why, one English sentence that says nothing was changed
        bool noSuchProfile = false;  // not done because no profile has the name asked for
        QStringList lines;  // done: what to print, when it is more than the name
    };

    // `apply` sends the current profile (what changed since the last send).
    PageOperations(ProfileStore& store, ProfileList& profiles, std::function<void()> apply)
        : store_(store), profiles_(profiles), apply_(std::move(apply)) {}

    // As the profile import button, without the dialogs: added, selected and shown.
    Outcome ImportProfile(const NativePath& file);
    // As the macro editor's import button.
    Outcome ImportMacro(const NativePath& file);
    // As a click on the profile's row: current, shown and sent whole. The first of that name.
    Outcome SelectProfile(const QString& name);
    // A backup's profiles, selection and macros in place of the stores (the replaced ones kept
    // aside): the list refilled, the selected profile shown and sent whole.
    Outcome RestoreBackup(const NativePath& file);
    // Sends the current profile, as the page does after each change.
    Outcome Apply();

private:
    ProfileStore& store_;
    ProfileList& profiles_;
    std::function<void()> apply_;
};
