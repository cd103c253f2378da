// The profile section of the settings page: the list of profile names, which always stands
// row for row beside the profile store, and its add, delete, rename, reset, import and export
// buttons with their dialogs.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>

#include "macro/import_result.h"
#include "protocol/profile_record.h"
#include "ui/controls.h"
#include "ui/file_dialogs.h"

class ProfileStore;
class WindowImplBase;

// The file dialogs' choice for profile files.
const FileFilter& ProfileFileFilter();

class ProfileList {
public:
    // What the page does for the list: show the current profile and ask for an apply.
    struct PageHooks {
        std::function<void()> refreshPage;
        std::function<void()> requestApply;
    };

    // `owner` owns the dialogs; `list` is the page's list of names.
    ProfileList(ProfileStore& store, WindowImplBase& owner, ListBox list, PageHooks hooks);

    // One row per profile in store order, the stored selection shown without a notification.
    void Fill();
    // The list's "itemselect": that profile becomes current, is shown and sent whole.
    void Select(int index);
    // After the store was replaced whole (a restore): Fill(), and the selected profile shown and
    // sent whole.
    void Refill();
    // Selects the row as a click on it does (for other programs' requests).
    void ShowSelected(int index);

    void Add();
    void Delete();
    void Rename();
    void Reset();
    void Import();
    void Export();
    // Imports a profile file without a dialog (for other programs' requests too): on success the
    // new row is added and selected, as after the import button.
    ImportResult ImportFile(const NativePath& path);
    // The same for a profile already read (from JSON, from another program).
    ImportResult ImportRecord(std::unique_ptr<ProfileRecord> record);

private:
    // The name dialog under its caption; nothing when the user cancelled.
    std::optional<QString> AskName(const QString& titleKey);
    int Warn(const QString& messageKey, bool confirm);

    ProfileStore& store_;
    WindowImplBase& owner_;
    ListBox list_;
    PageHooks hooks_;
};
