#include "macro/editor/ms_1_macro.h"

#include <QLoggingCategory>

#include "app/msg_wnd.h"
#include "link/driver_abi.h"
#include "macro/editor/hook_input.h"
#include "macro/editor/typed_number.h"
#include "macro/key_table.h"
#include "macro/macro_store.h"
#include "protocol/utf16_field.h"
#include "ui/file_dialogs.h"

Q_LOGGING_CATEGORY(lcMacroEditor, "talvore.macro.editor")

namespace {

constexpr int kMacroRowHeight = 29;
constexpr int kImportedMacroRowHeight = 30;
constexpr int kEditPageNone = 0;
constexpr int kEditPageKey = 1;
constexpr int kEditPageMouse = 2;
// Items of the mouse-button combo, in order.
constexpr uint8_t kComboButtons[] = {kMacroLeftButton, kMacroRightButton, kMacroMiddleButton,
                                     kMacroForwardButton, kMacroBackwardButton};

const QString kWarningTitle = QStringLiteral("warning_title_text");

FileFilter MacroFileFilter() {
    return {QStringLiteral("Macro Flie"), {QStringLiteral("*.macro"), QStringLiteral("*.MACRO")}};
}

int ComboItemOf(uint8_t code) {
    for (int k = 0; k < 5; ++k) {
        if (kComboButtons[k] == code) {
            return k;
        }
    }
    return 0;
}

}  // namespace

void RunMacroEditor(WindowImplBase& owner, MacroEditorServices services) {
    CMS_1_Macro editor(std::move(services));
    if (!editor.Create(&owner, kWindowToolWindow)) {
        return;
    }
    editor.CenterWindow();
    editor.ShowModal();
}

CMS_1_Macro::CMS_1_Macro(MacroEditorServices services)
    : services_(std::move(services)),
      recorder_(buffer_, services_.clock, services_.layout, ProgramLastHookInput()),
      hooks_(services_.hooks, Poster()),
      rows_(services_.layout, services_.texts) {}

CMS_1_Macro::~CMS_1_Macro() = default;

void CMS_1_Macro::InitWindow() {
    const auto button = [this](const char* name) { return Find<Button>(QLatin1String(name)); };
    const auto edit = [this](const char* name) { return Find<Edit>(QLatin1String(name)); };
    exit_ = button("btn_exit");
    macroList_ = Find<ListBox>(QStringLiteral("ms_1_macro_list"));
    nameEdit_ = edit("ms_1_macro_name_edit");
    add_ = button("ms_1_macro_add_btn");
    delete_ = button("ms_1_macro_delete_btn");
    insertMouseCheck_ = Find<CheckBox>(QStringLiteral("ms_1_macro_insert_mouse_btn"));
    recordButton_ = Find<CheckBox>(QStringLiteral("ms_1_macro_record_btn"));
    actionList_ = Find<ListBox>(QStringLiteral("ms_1_macro_action_list"));
    recordDelay_ = Find<Option>(QStringLiteral("ms_1_record_delay_btn"));
    defaultDelay_ = Find<Option>(QStringLiteral("ms_1_default_delay_btn"));
    noDelay_ = Find<Option>(QStringLiteral("ms_1_no_delay_btn"));
    defaultDelayEdit_ = edit("ms_1_default_delay_edit");
    up_ = button("ms_1_macro_up_btn");
    down_ = button("ms_1_macro_down_btn");
    deleteAction_ = button("ms_1_macro_delete_action_btn");
    clearActions_ = button("ms_1_macro_clear_action_btn");
    editCheck_ = Find<CheckBox>(QStringLiteral("ms_1_macro_action_edit_check"));
    editTab_ = Find<TabLayout>(QStringLiteral("ms_1_macro_action_edit_tab"));
    keyEdit_ = edit("ms_1_macro_action_edit");
    delayEdit_ = edit("ms_1_macro_delay_edit");
    mouseCombo_ = Find<ComboBox>(QStringLiteral("ms_1_macro_mouse_action_combo"));
    mouseDelayEdit_ = edit("ms_1_macro_mouseaction_delay_edit");
    import_ = button("ms_1_macro_import_btn");
    export_ = button("ms_1_macro_export_btn");
    nameTab_ = Find<Control>(QStringLiteral("ms_1_macro_name_tab"));
    mouseEventTab_ = Find<Control>(QStringLiteral("ms_1_macro_mouse_event_tab"));
    for (int k = 0; k < 5; ++k) {
        mouseKeys_[k] = Find<Button>(QStringLiteral("ms_1_macro_key%d_btn"), k + 1);
    }
    saveDataTab_ = Find<Control>(QStringLiteral("ms_1_macro_savedata_tab"));
    filesTab_ = Find<Control>(QStringLiteral("ms_1_macro_exportorimport_tab"));
    save_ = button("ms_1_macro_save_btn");
    cancel_ = button("ms_1_macro_cancel_btn");

    rows_.SetList(actionList_);
    nameEdit_.SetMaxChars(kMacroNameMaxLength);
    // The key box shows the captured key's name; typing must not add to it.
    keyEdit_.SetReadOnly(true);
    recordButton_.SetTextKey(QStringLiteral("start_recording_text"));
    ShowMousePanel(false);
    ShowEditPage(kEditPageNone);

    macroList_.RemoveAll();
    for (int i = 0; i < services_.store.Count(); ++i) {
        macroList_.AddLabel(services_.store.NameAt(i), kMacroRowHeight);
    }
    LoadCurrent();
}

// ---- Notifications -------------------------------------------------------------------------

void CMS_1_Macro::Notify(const Notification& n) {
    if (n.Is("click")) {
        OnClick(n);
    } else if (n.Is("checkclick")) {
        if (n.sender == recordButton_) {
            OnRecordClicked();
        } else if (n.sender == editCheck_) {
            OnEditCheck(n.wParam != 0);
        } else if (n.sender == insertMouseCheck_) {
            ShowMousePanel(n.wParam != 0);
        }
    } else if (n.Is("selectchanged")) {
        if (n.sender == recordDelay_) {
            buffer_.delayMode = DelayMode::kRecorded;
        } else if (n.sender == defaultDelay_) {
            buffer_.delayMode = DelayMode::kDefault;
        } else if (n.sender == noDelay_) {
            buffer_.delayMode = DelayMode::kNone;
        }
    } else if (n.Is("itemselect")) {
        const int index = static_cast<int>(static_cast<qintptr>(n.wParam));
        if (n.sender == macroList_) {
            SelectMacro(index);
        } else if (n.sender == actionList_) {
            SelectAction(index);
        } else if (n.sender == mouseCombo_) {
            OnMouseButtonChosen(index);
        }
    } else if (n.Is("killfocus")) {
        OnKillFocus(n);
    } else if (n.Is("setfocus") && n.sender == keyEdit_) {
        StartKeyCapture();
    } else if (n.Is("mouseenter") || n.Is("mouseleave")) {
        if (n.sender == recordButton_) {
            pointerOverRecordButton_ = n.Is("mouseenter");
            if (buffer_.recording) {
                hooks_.MuteMouse(pointerOverRecordButton_);
            }
        }
    } else if (n.Is("timer")) {
        OnTimer(static_cast<unsigned>(n.wParam));
    }
}

void CMS_1_Macro::OnClick(const Notification& n) {
    const Control& s = n.sender;
    if (s == exit_) {
        Close(1);
    } else if (s == add_) {
        AddMacro();
    } else if (s == delete_) {
        DeleteMacro();
    } else if (s == import_) {
        ImportMacro();
    } else if (s == export_) {
        ExportMacro();
    } else if (s == up_ || s == down_) {
        MoveAction(s == up_);
    } else if (s == deleteAction_) {
        DeleteAction();
    } else if (s == clearActions_) {
        ClearActions();
    } else if (s == save_) {
        ClosePane(false);
    } else if (s == cancel_) {
        ClosePane(true);
    } else {
        for (int k = 0; k < 5; ++k) {
            if (s == mouseKeys_[k]) {
                InsertMouseClick(k + 1);
            }
        }
    }
}

void CMS_1_Macro::OnKillFocus(const Notification& n) {
    if (n.sender == nameEdit_) {
        RenameMacro();
    } else if (n.sender == keyEdit_) {
        StopKeyCapture();
    } else if (n.sender == delayEdit_) {
        OnDelayBoxDone(delayEdit_);
    } else if (n.sender == mouseDelayEdit_) {
        OnDelayBoxDone(mouseDelayEdit_);
    } else if (n.sender == defaultDelayEdit_) {
        defaultDelayEdit_.SetText(QString::number(DefaultDelayFromBox()));
    }
}

qintptr CMS_1_Macro::HandleCustomMessage(unsigned message, quintptr wParam, qintptr lParam,
                                         bool& handled) {
    handled = false;
    if (message == TALVORE_MSG_HOOK_INPUT) {
        if (buffer_.routeToKeyEdit) {
            OnCapturedKey(wParam);
        } else if (buffer_.routeToRecorder) {
            OnRecorderInput(wParam, lParam);
        }
    }
    return 0;
}

void CMS_1_Macro::OnDestroy() {
    CommitFocusedBox();
    // A recording or key capture still running ends with the window: the hook is removed and
    // the recorded actions are kept.
    if (buffer_.recording) {
        StopRecording();
    }
    StopKeyCapture();
    hooks_.Release();
}

void CMS_1_Macro::CommitFocusedBox() {
    if (nameEdit_.HasFocus()) {
        RenameMacro();
    } else if (delayEdit_.HasFocus()) {
        OnDelayBoxDone(delayEdit_);
    } else if (mouseDelayEdit_.HasFocus()) {
        OnDelayBoxDone(mouseDelayEdit_);
    }
}

void CMS_1_Macro::OnTimer(unsigned id) {
    const Control root(RootWidget());
    if (id == kScrollToInsertTimer) {
        KillTimer(root, id);
        if (buffer_.insertPos >= 1) {
            actionList_.EnsureVisible(buffer_.insertPos - 1);
        }
    } else if (id == kScrollToStartTimer) {
        KillTimer(root, id);
        if (buffer_.insertStart >= 0) {
            actionList_.EnsureVisible(buffer_.insertStart);
        }
    }
}

// ---- The macro list ------------------------------------------------------------------------

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

void CMS_1_Macro::ImportMacro() {
    if (buffer_.recording) {
        StopRecording();
    }
    const QString path = GetOpenFilePath(this, MacroFileFilter(), services_.dataFolder);
    if (path.isEmpty()) {
        return;
    }
    const ImportResult result = services_.store.Import(path);
    if (!result.Ok()) {
        qCWarning(lcMacroEditor).noquote() << "cannot import" << path;
        const char* key = result.error == ImportError::CannotSave  ? kImportNotSavedTextKey
                          : result.error == ImportError::StoreFull ? kStoreFullTextKey
                                                                   : kImportFailedTextKey;
        CMsgWnd::Show(this, kWarningTitle, QLatin1String(key), CMsgWnd::Kind::kWarning);
        return;
    }
    const int row = macroList_.AddLabel(result.name, kImportedMacroRowHeight);
    macroList_.Select(row, TakeFocus::kNo, Notify::kYes);
}

void CMS_1_Macro::ExportMacro() {
    if (current_ == nullptr) {
        return;
    }
    const QString path = GetSaveFilePath(this, MacroFileFilter(), QStringLiteral("macro"),
                                         services_.dataFolder, true);
    if (path.isEmpty()) {
        return;
    }
    if (!services_.store.Export(currentIndex_, path)) {
        qCWarning(lcMacroEditor).noquote() << "cannot write" << path;
        CMsgWnd::Show(this, kWarningTitle, QStringLiteral("macro_export_failed_text"),
                      CMsgWnd::Kind::kWarning);
    }
}

// ---- The action list -----------------------------------------------------------------------

void CMS_1_Macro::RebuildActionList() {
    rows_.Rebuild(buffer_.actions.data(), buffer_.actionCount);
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
    actionList_.Select(buffer_.selectedAction, TakeFocus::kNo, Notify::kYes);
    StoreOrUndo();
}

void CMS_1_Macro::ClearActions() {
    if (current_ == nullptr) {
        return;
    }
    buffer_.Clear();
    StoreOrUndo();
    RebuildActionList();
}

// The store rule: a change is kept while the mouse can hold the macro (cost up to 47) and
// written to the store at once; otherwise the stored macro comes back.
void CMS_1_Macro::StoreOrUndo() {
    const int cost = buffer_.Cost();
    qCDebug(lcMacroEditor, "iTotalNum = %d", cost);
    if (cost <= kMacroCostEditLimit) {
        if (current_ != nullptr) {
            services_.store.UpdateActions(*current_, buffer_.actions.data(), buffer_.actionCount);
        }
        return;
    }
    LoadCurrent();
    reloading_ = false;
}

// ---- The edit pane -------------------------------------------------------------------------

void CMS_1_Macro::OnEditCheck(bool checked) {
    if (!buffer_.IsAction(buffer_.selectedAction)) {
        checked = false;
        editCheck_.SetCheck(false, Notify::kNo);
    }
    editPaneOn_ = checked;
    RefreshEditPane();
}

void CMS_1_Macro::RefreshEditPane() {
    const int index = buffer_.selectedAction;
    if (!editPaneOn_ || !buffer_.IsAction(index)) {
        if (editPaneOn_) {
            editPaneOn_ = false;  // nothing left to edit
            editCheck_.SetCheck(false, Notify::kNo);
        }
        ShowEditPage(kEditPageNone);
        return;
    }
    const MacroAction& action = buffer_.actions[static_cast<std::size_t>(index)];
    const bool last = buffer_.IsLastAction(index);
    const QString delay = ActionRows::DelayText(action, last);
    if (IsMouseButtonCode(action.code)) {
        ShowEditPage(kEditPageMouse);
        mouseCombo_.Select(ComboItemOf(action.code), TakeFocus::kNo, Notify::kNo);
        mouseDelayEdit_.SetText(delay);
        mouseDelayEdit_.SetEnabled(!last);
    } else {
        ShowEditPage(kEditPageKey);
        keyEdit_.SetText(UsageToKeyName(action.code, services_.layout, services_.texts));
        delayEdit_.SetText(delay);
        delayEdit_.SetEnabled(!last);
    }
}

void CMS_1_Macro::ShowEditPage(int page) {
    editTab_.SelectPage(page);
    // Page 0 shows nothing: the pane and its buttons give their room to the list.
    editTab_.SetVisible(page != kEditPageNone);
    saveDataTab_.SetVisible(page != kEditPageNone);
}

void CMS_1_Macro::ClosePane(bool reload) {
    if (!reload) {
        StoreOrUndo();
    }
    editPaneOn_ = false;
    editCheck_.SetCheck(false, Notify::kNo);
    ShowEditPage(kEditPageNone);
    if (reload && currentIndex_ >= 0) {
        reloading_ = true;
        LoadCurrent();
        reloading_ = false;
    }
}

void CMS_1_Macro::OnDelayBoxDone(Edit& box) {
    const uint16_t delay = ClampDelay(TypedNumber(box.Text()));
    const int index = buffer_.selectedAction;
    if (buffer_.SetDelay(index, delay)) {
        RedrawAction(index);
        box.SetText(QString::number(delay));
    } else if (buffer_.IsLastAction(index)) {
        box.SetText(ActionRows::DelayText(buffer_.actions[static_cast<std::size_t>(index)], true));
    }
    StoreOrUndo();
}

void CMS_1_Macro::OnMouseButtonChosen(int item) {
    if (item < 0 || item >= 5) {
        return;
    }
    if (buffer_.SetCode(buffer_.selectedAction, kComboButtons[item])) {
        RedrawAction(buffer_.selectedAction);
    }
    StoreOrUndo();
}

void CMS_1_Macro::StartKeyCapture() {
    if (buffer_.recording) {
        StopRecording();  // one use of the hook at a time
    }
    buffer_.routeToRecorder = false;
    buffer_.routeToKeyEdit = true;
    capturingKey_ = true;
    if (!hooks_.StartKeyCapture()) {
        StopKeyCapture();
        WarnNoHook();
    }
}

void CMS_1_Macro::WarnNoHook() {
    qCWarning(lcMacroEditor) << "the input hook is not available: keys cannot be captured";
    if (!warnedNoHook_) {
        warnedNoHook_ = true;
        CMsgWnd::Show(this, kWarningTitle, QStringLiteral("macro_no_hook_text"),
                      CMsgWnd::Kind::kWarning);
    }
}

void CMS_1_Macro::StopKeyCapture() {
    if (!capturingKey_) {
        return;
    }
    hooks_.StopKeyCapture();
    capturingKey_ = false;
    // Input the hook sent before it stopped must not land in the action any more.
    buffer_.routeToKeyEdit = false;
}

void CMS_1_Macro::OnCapturedKey(quintptr wParam) {
    // The click that takes the focus away from the box is not a key.
    if (!capturingKey_ || IsMouseMessage(wParam)) {
        return;
    }
    const uint8_t usage =
        VirtualKeyToUsage(static_cast<uint32_t>(wParam), services_.layout).value_or(0);
    keyEdit_.SetText(UsageToKeyName(usage, services_.layout, services_.texts));
    if (buffer_.SetCode(buffer_.selectedAction, usage)) {
        RedrawAction(buffer_.selectedAction);
    }
    StoreOrUndo();
}

// ---- Recording and mouse clicks ------------------------------------------------------------

void CMS_1_Macro::OnRecordClicked() {
    if (current_ == nullptr && !buffer_.recording) {
        AddMacro();
    }
    if (buffer_.recording) {
        StopRecording();
        return;
    }
    if (current_ == nullptr) {
        recordButton_.SetCheck(false, Notify::kNo);
        return;
    }
    StopKeyCapture();
    if (!hooks_.StartRecording()) {
        // Nothing would arrive: the macro stays as it is, and the user is told why.
        hooks_.StopRecording();
        recordButton_.SetCheck(false, Notify::kNo);
        WarnNoHook();
        return;
    }
    const bool replacing = buffer_.selectedAction < 0;
    recorder_.Begin(DefaultDelayFromBox());
    recordButton_.SetTextKey(QStringLiteral("stop_recording_text"));
    recordButton_.SetCheck(true, Notify::kNo);
    if (pointerOverRecordButton_) {
        hooks_.MuteMouse(true);  // the pointer is still on the button that started it
    }
    if (replacing) {
        RebuildActionList();  // the macro starts empty
    }
}

void CMS_1_Macro::StopRecording() {
    recorder_.Stop();
    recordButton_.SetTextKey(QStringLiteral("start_recording_text"));
    recordButton_.SetCheck(false, Notify::kNo);
    hooks_.StopRecording();
    StoreOrUndo();
}

void CMS_1_Macro::OnRecorderInput(quintptr wParam, qintptr lParam) {
    // Input posted before a recording stopped is ignored by the recorder.
    const int before = buffer_.actionCount;
    const MacroRecorder::Outcome outcome = recorder_.OnKeyEvent(wParam, lParam);
    if (buffer_.actionCount != before) {
        RebuildActionList();
    }
    if (outcome == MacroRecorder::Outcome::kFull) {
        StopRecording();
    }
}

void CMS_1_Macro::InsertMouseClick(int button) {
    if (current_ == nullptr || buffer_.IsFull()) {
        return;
    }
    const uint16_t delay =
        buffer_.delayMode == DelayMode::kDefault ? DefaultDelayFromBox() : kShortestDelayMs;
    if (recorder_.InsertMouseClick(button, delay)) {
        RebuildActionList();
        StoreOrUndo();
    }
    buffer_.insertMode = false;
}

void CMS_1_Macro::ShowMousePanel(bool shown) {
    mouseEventTab_.SetVisible(shown);
    nameTab_.SetVisible(!shown);
}

uint16_t CMS_1_Macro::DefaultDelayFromBox() const {
    return ClampDelay(TypedNumber(defaultDelayEdit_.Text()));
}
