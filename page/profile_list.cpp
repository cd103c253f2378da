#include "page/profile_list.h"

#include "dialogs/config_name_wnd.h"
#include "dialogs/file_folders.h"
#include "dialogs/import_messages.h"
#include "dialogs/msg_wnd.h"
#include "macro/import_result.h"
#include "page/profile_store.h"

namespace {

constexpr int kRowHeight = 29;
constexpr char kWarningTitleKey[] = "warning_title_text";
constexpr char kExportFailedTextKey[] = "export_failed_text";

}  // namespace

const FileFilter& ProfileFileFilter() {
    static const FileFilter filter{QStringLiteral("Profile File"),
                                   {QStringLiteral("*.pro"), QStringLiteral("*.PRO")}};
    return filter;
}

ProfileList::ProfileList(ProfileStore& store, WindowImplBase& owner, ListBox list, PageHooks hooks)
    : store_(store), owner_(owner), list_(std::move(list)), hooks_(std::move(hooks)) {}

void ProfileList::Fill() {
    list_.RemoveAll();
    const int selected = store_.WithLock([this](ProfileStore& s) {
        for (int i = 0; i < s.Count(); ++i) {
            list_.AddLabel(ProfileName(s.At(i)), kRowHeight);
        }
        return s.SelectedIndex();
    });
    list_.Select(selected, TakeFocus::kNo, Notify::kNo);
}

void ProfileList::Refill() {
    Fill();
    Select(store_.SelectedIndex());
}

void ProfileList::Select(int index) {
    // Before the store is loaded there is nothing to show; a row outside the list selects nothing.
    const bool selected =
        store_.WithLock([&](ProfileStore& s) { return s.Current() != nullptr && s.Select(index); });
    if (!selected) {
        return;
    }
    hooks_.refreshPage();
    hooks_.requestApply();  // Select asked for the whole profile to be sent
}

void ProfileList::ShowSelected(int index) {
    list_.Select(index, TakeFocus::kNo, Notify::kYes);
}

void ProfileList::Add() {
    if (!store_.RoomForProfiles(1)) {
        Warn(QLatin1String(kStoreFullTextKey), false);
        return;
    }
    const std::optional<QString> name = AskName(QStringLiteral("profile_name_1_text"));
    if (!name) {
        return;
    }
    QString stored;
    const int index = store_.WithLock([&](ProfileStore& s) {
        stored = ProfileName(s.AppendProfile(*name));
        return s.Count() - 1;
    });
    list_.AddLabel(stored, kRowHeight);
    list_.Select(index, TakeFocus::kNo, Notify::kYes);
}

void ProfileList::Delete() {
    if (store_.Count() <= 1) {
        Warn(QStringLiteral("one_profile_text"), false);
        return;
    }
    if (Warn(QStringLiteral("delete_profile_text"), true) != 1) {
        return;
    }
    int removed = -1;
    const int next = store_.WithLock([&](ProfileStore& s) {
        removed = s.SelectedIndex();
        return s.RemoveAt(removed) ? s.SelectedIndex() : -1;
    });
    if (next < 0) {
        return;
    }
    list_.RemoveAt(removed);
    list_.Select(next, TakeFocus::kNo, Notify::kYes);
}

void ProfileList::Rename() {
    const std::optional<QString> name = AskName(QStringLiteral("profile_name_2_text"));
    if (!name) {
        return;
    }
    const int index = store_.SelectedIndex();
    store_.Rename(index, *name);  // saved at once: a rename sends nothing that would save it
    list_.SetItemText(index,
                      store_.WithLock([&](ProfileStore& s) { return ProfileName(s.At(index)); }));
}

void ProfileList::Reset() {
    if (Warn(QStringLiteral("restore_text"), true) != 1) {
        return;
    }
    const bool reset = store_.WithLock([](ProfileStore& s) {
        ProfileRecord* record = s.Current();
        if (record == nullptr) {
            return false;
        }
        ResetRecord(*record);
        return true;
    });
    if (!reset) {
        return;
    }
    hooks_.refreshPage();
    store_.SetForceFullApply(true);
    hooks_.requestApply();
}

void ProfileList::Import() {
    const QString path = GetOpenFilePath(&owner_, ProfileFileFilter(), FileDialogFolder());
    if (path.isEmpty()) {
        return;
    }
    RememberFileDialogChoice(path);
    const ImportResult result = ImportFile(path);
    // A file that is no profile, one holding what the mouse does not take (named), a full store
    // and a good one that could not be stored are told apart.
    TellImportFailed(&owner_, result);
}

ImportResult ProfileList::ImportFile(const NativePath& path) {
    auto record = std::make_unique<ProfileRecord>();
    if (ImportResult read = ProfileStore::ReadProfileFile(path, *record); !read.Ok()) {
        return read;
    }
    return ImportRecord(std::move(record));
}

ImportResult ProfileList::ImportRecord(std::unique_ptr<ProfileRecord> record) {
    const ImportResult result = store_.ImportProfileRecord(std::move(record));
    if (result.Ok()) {
        list_.AddLabel(result.name, kRowHeight);
        list_.Select(result.index, TakeFocus::kNo, Notify::kYes);
    }
    return result;
}

void ProfileList::Export() {
    const int index = store_.SelectedIndex();
    const QString name = store_.WithLock([&](ProfileStore& s) { return ProfileName(s.At(index)); });
    const QString path =
        GetSaveFilePath(&owner_, ProfileFileFilter(), QStringLiteral("pro"), FileDialogFolder(),
                        true, SuggestedFileName(name, QStringLiteral("pro")));
    if (path.isEmpty()) {
        return;
    }
    RememberFileDialogChoice(path);
    if (!store_.ExportProfile(index, path)) {
        Warn(QLatin1String(kExportFailedTextKey), false);
    }
}

std::optional<QString> ProfileList::AskName(const QString& titleKey) {
    CMS_1_ConfigName dialog(titleKey, store_);
    if (!dialog.Create(&owner_, kWindowToolWindow)) {
        return std::nullopt;
    }
    dialog.CenterWindow();
    if (dialog.ShowModal() != 1) {
        return std::nullopt;
    }
    return dialog.ResultName();
}

int ProfileList::Warn(const QString& messageKey, bool confirm) {
    return CMsgWnd::Show(&owner_, QLatin1String(kWarningTitleKey), messageKey,
                         confirm ? CMsgWnd::Kind::kConfirm : CMsgWnd::Kind::kWarning);
}
