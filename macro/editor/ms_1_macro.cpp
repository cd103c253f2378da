// The macro editor's window: its controls, and the notifications, messages and timers it hands on
// to the list, the files, the action list, the edit pane and the recording.
#include "macro/editor/ms_1_macro.h"

#include "link/driver_abi.h"
#include "macro/editor/ms_1_macro_internal.h"
#include "macro/macro_store.h"
#include "sys/text_lookup.h"

Q_LOGGING_CATEGORY(lcMacroEditor, "talvore.macro.editor")

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
    recordArea_ = Find<Control>(QStringLiteral("ms_1_macro_record_area"));
    recordAreaLabel_ = Find<Label>(QStringLiteral("ms_1_macro_record_area_label"));
    modeHint_ = Find<Label>(QStringLiteral("macro_record_hint"));
    statusLabel_ = Find<Label>(QStringLiteral("ms_1_macro_status_label"));
    fillLabel_ = Find<Label>(QStringLiteral("ms_1_macro_fill_label"));
    fillLabel_.SetToolTip(services_.texts.Text(QStringLiteral("macro_fill_tip_text")));

    rows_.SetList(actionList_);
    nameEdit_.SetMaxChars(kMacroNameMaxLength);
    // Delays are whole milliseconds, 10 to 65535: the boxes take digits only.
    for (Edit* box : {&delayEdit_, &mouseDelayEdit_, &defaultDelayEdit_}) {
        box->SetDigitsOnly(5);
    }
    // The key box shows the captured key's name; typing must not add to it.
    keyEdit_.SetReadOnly(true);
    recordButton_.SetTextKey(QStringLiteral("start_recording_text"));
    ShowMousePanel(false);
    ShowEditPage(kEditPageNone);
    captureMode_ = CurrentCaptureMode();
    ShowCaptureMode();

    macroList_.RemoveAll();
    for (int i = 0; i < services_.store.Count(); ++i) {
        macroList_.AddLabel(services_.store.NameAt(i), kMacroRowHeight);
    }
    // The macro shown is the one whose row is marked: the first, when there is one.
    if (services_.store.Count() > 0) {
        macroList_.Select(0, TakeFocus::kNo, Notify::kYes);
    } else {
        LoadCurrent();
    }
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
    closing_ = true;
    CommitFocusedBox();
    // A recording or key capture still running ends with the window: the hook is removed and
    // the recorded actions are kept.
    if (buffer_.recording) {
        StopRecording();
    }
    StopKeyCapture();
    windowInput_.Detach();
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
