// The macro editor's edit pane: the key, mouse button and delay of the selected action.
#include "macro/editor/ms_1_macro.h"

#include "dialogs/msg_wnd.h"
#include "macro/editor/hook_input.h"
#include "macro/editor/ms_1_macro_internal.h"
#include "macro/editor/typed_number.h"
#include "macro/key_table.h"

namespace {

// Items of the mouse-button combo, in order.
constexpr uint8_t kComboButtons[] = {kMacroLeftButton, kMacroRightButton, kMacroMiddleButton,
                                     kMacroForwardButton, kMacroBackwardButton};

int ComboItemOf(uint8_t code) {
    for (int k = 0; k < 5; ++k) {
        if (kComboButtons[k] == code) {
            return k;
        }
    }
    return 0;
}

}  // namespace

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
