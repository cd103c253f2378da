// The macro editor's recording from the input hook, and the mouse clicks inserted by hand.
#include "macro/editor/ms_1_macro.h"

#include "macro/editor/ms_1_macro_internal.h"
#include "macro/editor/typed_number.h"

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
