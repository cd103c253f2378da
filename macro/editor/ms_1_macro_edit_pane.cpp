// The macro editor's edit pane: the key, mouse button and delay of the selected action.
#include "macro/editor/ms_1_macro.h"

#include "dialogs/msg_wnd.h"
#include "macro/dialogs/window_input.h"
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
    if (!StoreOrUndo() && !closing_) {
        // A delay over 1280 ms takes the room of two actions: the macro would not fit.
        CMsgWnd::Show(this, kWarningTitle, QStringLiteral("macro_delay_cost_text"),
                      CMsgWnd::Kind::kWarning,
                      {QString::number(delay), QString::number(kMacroLongDelayMs)});
    }
}

void CMS_1_Macro::OnMouseButtonChosen(int item) {
    if (item < 0 || item >= 5) {
        return;
    }
    SetSelectedCode(kComboButtons[item]);
    StoreOrUndo();
}

// A press and its release change together: the user sees both rows change, and an edit never
// leaves a key or button held.
void CMS_1_Macro::SetSelectedCode(uint8_t code) {
    bool changed = false;
    const int partner = buffer_.SetCodeOfPair(buffer_.selectedAction, code, &changed);
    if (changed) {
        RedrawAction(buffer_.selectedAction);
        RedrawAction(partner);
    }
}

void CMS_1_Macro::StartKeyCapture() {
    if (buffer_.recording) {
        StopRecording();  // one use of the hook at a time
    }
    buffer_.routeToRecorder = false;
    buffer_.routeToKeyEdit = true;
    capturingKey_ = true;
    // Where the hook cannot hear the editor, the key box takes the keys typed into it.
    const bool hooked = captureMode_ == CaptureMode::GlobalHook && hooks_.StartKeyCapture();
    if (!hooked) {
        windowInput_.Attach(keyEdit_, [this](const CapturedInput& input) {
            const auto message = HookMessageOf(input);
            if (input.kind == CapturedInput::Kind::Key && message) {
                OnCapturedKey(message->wParam);
            }
        });
    }
}

void CMS_1_Macro::StopKeyCapture() {
    if (!capturingKey_) {
        return;
    }
    hooks_.StopKeyCapture();
    windowInput_.Detach();
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
        wParam <= UINT32_MAX
            ? VirtualKeyToUsage(static_cast<uint32_t>(wParam), services_.layout).value_or(0)
            : 0;
    keyEdit_.SetText(UsageToKeyName(usage, services_.layout, services_.texts));
    SetSelectedCode(usage);
    StoreOrUndo();
}
