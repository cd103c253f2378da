// The macro editor's recording, from the input hook or from its own recording area, and the mouse
// clicks inserted by hand.
#include "macro/editor/ms_1_macro.h"

#include "macro/dialogs/window_input.h"
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
    ShowStatus({});
    if (captureMode_ == CaptureMode::GlobalHook && !hooks_.StartRecording()) {
        // No hook can listen after all (no hook library, no X display): the editor records in
        // its own area instead, and says so, rather than record nothing.
        hooks_.StopRecording();
        qCWarning(lcMacroEditor) << "the input hook is not available: recording in the editor";
        captureMode_ = CaptureMode::OwnWindow;
        ShowCaptureMode();
    }
    const bool replacing = buffer_.selectedAction < 0;
    recorder_.Begin(DefaultDelayFromBox());
    recordButton_.SetTextKey(QStringLiteral("stop_recording_text"));
    recordButton_.SetCheck(true, Notify::kNo);
    if (captureMode_ == CaptureMode::OwnWindow) {
        StartAreaRecording();
    } else if (pointerOverRecordButton_) {
        hooks_.MuteMouse(true);  // the pointer is still on the button that started it
    }
    if (replacing) {
        RebuildActionList();  // the macro starts empty
    }
}

void CMS_1_Macro::StopRecording(const char* reason) {
    const bool wasRecording = buffer_.recording;
    // Presses left without their release (the click on the close button, a key still down)
    // are dropped: a recording never leaves a key or button held.
    const int dropped = recorder_.Stop();
    recordButton_.SetTextKey(QStringLiteral("start_recording_text"));
    recordButton_.SetCheck(false, Notify::kNo);
    if (captureMode_ == CaptureMode::OwnWindow) {
        StopAreaRecording();
    } else {
        hooks_.StopRecording();
    }
    if (dropped > 0 && !closing_) {
        RebuildActionList();
    }
    StoreOrUndo();
    if (wasRecording && reason != nullptr) {
        ShowStatus(QLatin1String(reason));
    }
}

void CMS_1_Macro::OnRecorderInput(quintptr wParam, qintptr lParam) {
    // Input posted before a recording stopped is ignored by the recorder.
    const int before = buffer_.actionCount;
    const MacroRecorder::Outcome outcome = recorder_.OnKeyEvent(wParam, lParam);
    if (buffer_.actionCount != before) {
        RebuildActionList();
    }
    if (outcome == MacroRecorder::Outcome::kFull) {
        StopRecording("macro_full_stopped_text");
    }
}

// The keys and buttons pressed in the area become hook messages, so they take the same way as the
// hook's: delays, the filter of repeated reports, the stop at the limit and insert mode alike.
void CMS_1_Macro::StartAreaRecording() {
    windowInput_.Attach(recordArea_, [this](const CapturedInput& input) {
        if (const auto message = HookMessageOf(input); message && buffer_.recording) {
            OnRecorderInput(message->wParam, message->lParam);
        }
    });
    recordArea_.SetStyleState("recording", QStringLiteral("true"));
    recordAreaLabel_.SetTextKey(QStringLiteral("macro_area_recording_text"));
    recordArea_.SetFocus();
}

void CMS_1_Macro::StopAreaRecording() {
    windowInput_.Detach();
    recordArea_.SetStyleState("recording", QString());
    recordAreaLabel_.SetTextKey(QStringLiteral("macro_area_idle_text"));
}

void CMS_1_Macro::ShowCaptureMode() {
    const bool own = captureMode_ == CaptureMode::OwnWindow;
    modeHint_.SetTextKey(own ? QStringLiteral("macro_mode_window_text")
                             : QStringLiteral("macro_mode_global_text"));
    recordArea_.SetVisible(own);
}

void CMS_1_Macro::ShowStatus(const QString& key) {
    statusLabel_.SetVisible(!key.isEmpty());
    if (!key.isEmpty()) {
        statusLabel_.SetTextKey(key);
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
