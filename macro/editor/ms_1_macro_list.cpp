// The macro editor's list of macros: choosing, adding, deleting and renaming.
#include "macro/editor/ms_1_macro.h"

#include <cstring>

#include "dialogs/msg_wnd.h"
#include "macro/editor/ms_1_macro_internal.h"
#include "macro/macro_name_changes.h"
#include "macro/macro_store.h"
#include "macro/record_check.h"
#include "protocol/utf16_field.h"

void CMS_1_Macro::SelectMacro(int index) {
    if (buffer_.recording) {
        StopRecording();  // kept in the macro it was recorded into
    }
    currentIndex_ = index;
    buffer_.insertMode = false;
    buffer_.insertPos = buffer_.insertStart = -1;
    ShowStatus({});
    LoadCurrent();
}

void CMS_1_Macro::LoadCurrent() {
    qCDebug(lcMacroEditor, "iActionIndex=%d, iNextActionIndex=%d", buffer_.selectedAction, -1);
    MacroStore& store = services_.store;
    if (currentIndex_ < 0 || currentIndex_ >= store.Count()) {
        current_ = nullptr;
        currentIndex_ = -1;
        buffer_.Empty();
        buffer_.selectedAction = -1;
        nameEdit_.SetText(QString());
        actionList_.RemoveAll();
        RefreshEditPane();
        ShowFill();
        return;
    }
    current_ = &store.At(currentIndex_);
    buffer_.Load(*current_);
    nameEdit_.SetText(store.NameAt(currentIndex_));
    RebuildActionList();
    ShowFill();
}

void CMS_1_Macro::AddMacro() {
    if (!services_.store.RoomFor(1)) {
        CMsgWnd::Show(this, kWarningTitle, QLatin1String(kStoreFullTextKey),
                      CMsgWnd::Kind::kWarning);
        return;
    }
    services_.store.AddNew(services_.texts);
    const int row =
        macroList_.AddLabel(services_.store.NameAt(services_.store.Count() - 1), kMacroRowHeight);
    macroList_.Select(row, TakeFocus::kNo, Notify::kYes);
}

void CMS_1_Macro::DeleteMacro() {
    const int index = macroList_.CurSel();
    if (index < 0 || index >= services_.store.Count()) {
        return;
    }
    if (buffer_.recording) {
        StopRecording();
    }
    // Before a macro goes, the user learns which buttons lose it.
    const QString name = services_.store.NameAt(index);
    const QString users = services_.describeUsers ? services_.describeUsers(name) : QString();
    const int answer =
        users.isEmpty()
            ? CMsgWnd::Show(this, kWarningTitle, QStringLiteral("delete_macro_text"))
            : CMsgWnd::Show(this, kWarningTitle, QStringLiteral("delete_macro_used_text"),
                            CMsgWnd::Kind::kConfirm, {name, users});
    if (answer != 1) {
        return;
    }
    if (services_.nameChanges != nullptr) {
        services_.nameChanges->Deleted(name);
    }
    current_ = nullptr;
    services_.store.Remove(index);
    macroList_.RemoveAt(index);
    const int next = index < services_.store.Count() ? index : index - 1;
    if (next >= 0) {
        macroList_.Select(next, TakeFocus::kNo, Notify::kYes);
    } else {
        SelectMacro(-1);
    }
}

void CMS_1_Macro::RenameMacro() {
    if (current_ == nullptr) {
        return;
    }
    MacroStore& store = services_.store;
    const QString wanted = nameEdit_.Text().trimmed().left(kMacroNameMaxLength);
    const QString name = FieldToString(current_->name);
    if (wanted.compare(name, Qt::CaseInsensitive) == 0) {
        nameEdit_.SetText(name);  // the same name: nothing changes, and the box says so
        return;
    }
    // An empty name, or one another macro has, is refused: the box shows the name again and
    // the user is told why.
    const int holder = store.FindByName(wanted);
    const char* refusal = !IsUsableName(wanted)                    ? "macro_name_empty_text"
                          : holder >= 0 && holder != currentIndex_ ? "macro_name_taken_text"
                                                                   : nullptr;
    if (refusal != nullptr) {
        nameEdit_.SetText(name);
        if (!closing_) {
            const bool taken = std::strcmp(refusal, "macro_name_taken_text") == 0;
            CMsgWnd::Show(this, kWarningTitle, QLatin1String(refusal), CMsgWnd::Kind::kWarning,
                          taken ? QStringList{wanted} : QStringList{});
        }
        return;
    }
    store.Rename(*current_, wanted);
    if (services_.nameChanges != nullptr) {
        services_.nameChanges->Renamed(name, wanted);
    }
    StoreOrUndo();
    nameEdit_.SetText(wanted);
    macroList_.SetItemText(currentIndex_, store.NameAt(currentIndex_));
}
