// The macro editor's action list: its rows, moving, deleting and clearing actions, and the rule
// that writes every change through to the store.
#include "macro/editor/ms_1_macro.h"

#include "dialogs/msg_wnd.h"
#include "macro/editor/ms_1_macro_internal.h"
#include "macro/macro_store.h"

void CMS_1_Macro::RebuildActionList() {
    rows_.Rebuild(buffer_.actions.data(), buffer_.actionCount);
    ShowFill();
    const Control root(RootWidget());
    int row = buffer_.actionCount - 1;
    if (reloading_ && buffer_.insertStart >= 0) {
        row = std::min(buffer_.insertStart, buffer_.actionCount - 1);
        SetTimer(root, kScrollToStartTimer, kScrollDelayMs);
    } else if (buffer_.insertMode) {
        row = buffer_.insertPos - 1;
        SetTimer(root, kScrollToInsertTimer, kScrollDelayMs);
    }
    actionList_.Select(row, TakeFocus::kNo, Notify::kYes);
}

void CMS_1_Macro::RedrawAction(int index) {
    if (buffer_.IsAction(index)) {
        rows_.Redraw(index, buffer_.actions[static_cast<std::size_t>(index)], buffer_.actionCount);
    }
}

void CMS_1_Macro::SelectAction(int index) {
    buffer_.selectedAction = buffer_.IsAction(index) ? index : -1;
    if (editPaneOn_) {
        RefreshEditPane();
    }
}

void CMS_1_Macro::MoveAction(bool up) {
    const int index = buffer_.selectedAction;
    if (!(up ? buffer_.MoveUp(index) : buffer_.MoveDown(index))) {
        return;
    }
    RedrawAction(index);
    RedrawAction(buffer_.selectedAction);
    actionList_.Select(buffer_.selectedAction, TakeFocus::kNo, Notify::kYes);
    StoreOrUndo();
}

void CMS_1_Macro::DeleteAction() {
    const int index = buffer_.selectedAction;
    if (!buffer_.Delete(index)) {
        return;
    }
    actionList_.RemoveAt(index);
    RedrawAction(buffer_.actionCount - 1);  // a new last row shows 10
    ShowFill();
    actionList_.Select(buffer_.selectedAction, TakeFocus::kNo, Notify::kYes);
    StoreOrUndo();
}

void CMS_1_Macro::ClearActions() {
    if (current_ == nullptr) {
        return;
    }
    // Every action goes at once: asked first, as deleting a macro is.
    if (buffer_.actionCount > 0 &&
        CMsgWnd::Show(this, kWarningTitle, QStringLiteral("clear_macro_text")) != 1) {
        return;
    }
    buffer_.Clear();
    StoreOrUndo();
    RebuildActionList();
}

// The store rule: a change is kept while the mouse can hold the macro (cost up to 47) and
// written to the store at once; otherwise the stored macro comes back.
bool CMS_1_Macro::StoreOrUndo() {
    const int cost = buffer_.Cost();
    qCDebug(lcMacroEditor, "iTotalNum = %d", cost);
    if (cost <= kMacroCostEditLimit) {
        if (current_ != nullptr) {
            services_.store.UpdateActions(*current_, buffer_.actions.data(), buffer_.actionCount);
        }
        ShowFill();
        return true;
    }
    LoadCurrent();
    reloading_ = false;
    return false;
}

void CMS_1_Macro::ShowFill() {
    const bool shown = current_ != nullptr;
    fillLabel_.SetVisible(shown);
    fillLabel_.SetText(QStringLiteral("%1 / %2").arg(buffer_.actionCount).arg(kMacroMaxActions));
    const bool full = buffer_.IsFull() || buffer_.Cost() >= kMacroCostRecordStop;
    fillLabel_.SetStyleState("full", full ? QStringLiteral("true") : QString());
}
