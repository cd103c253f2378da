// The macro editor's list of macros: choosing, adding, deleting and renaming.
#include "macro/editor/ms_1_macro.h"

#include "dialogs/msg_wnd.h"
#include "macro/editor/ms_1_macro_internal.h"
#include "macro/macro_store.h"
#include "protocol/utf16_field.h"

void CMS_1_Macro::SelectMacro(int index) {
    if (buffer_.recording) {
        StopRecording();  // kept in the macro it was recorded into
    }
    currentIndex_ = index;
    buffer_.insertMode = false;
    buffer_.insertPos = buffer_.insertStart = -1;
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
        return;
    }
    current_ = &store.At(currentIndex_);
    buffer_.Load(*current_);
    nameEdit_.SetText(store.NameAt(currentIndex_));
    RebuildActionList();
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
    if (CMsgWnd::Show(this, kWarningTitle, QStringLiteral("delete_macro_text")) != 1) {
        return;
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
    const QString wanted = nameEdit_.Text().left(kMacroNameMaxLength);
    const QString name = FieldToString(current_->name);
    if (wanted.compare(name, Qt::CaseInsensitive) == 0) {
        nameEdit_.SetText(name);  // the same name: nothing changes, and the box says so
        return;
    }
    const int holder = store.FindByName(wanted);
    if (holder >= 0 && holder != currentIndex_) {
        nameEdit_.SetText(name);  // taken by another macro: refused
        return;
    }
    store.Rename(*current_, wanted);
    StoreOrUndo();
    macroList_.SetItemText(currentIndex_, store.NameAt(currentIndex_));
}
