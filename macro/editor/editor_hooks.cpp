#include "macro/editor/editor_hooks.h"

EditorHooks::EditorHooks(const HookTable& table, MessagePoster window)
    : table_(table), poster_(std::move(window)) {
    window_ = {&poster_, &EditorHooks::Post};
}

EditorHooks::~EditorHooks() {
    Release();
}

void EditorHooks::Post(void* context, uint32_t message, uint64_t wParam, int64_t lParam) {
    // The poster drops the message once the window is gone; the hook thread never blocks here.
    static_cast<const MessagePoster*>(context)->Post(message, static_cast<quintptr>(wParam),
                                                     static_cast<qintptr>(lParam));
}

bool EditorHooks::StartRecording() {
    if (!table_.Bound()) {
        return false;
    }
    installed_ = table_.installhook(&window_) != 0;
    table_.enablehook(1);
    table_.mousewheelenable(0);
    return installed_;
}

void EditorHooks::StopRecording() {
    if (!table_.Bound()) {
        return;
    }
    table_.removehook();
    table_.removemousehook();
    table_.enablemousehook(0);
    table_.enablehook(0);
    table_.mousewheelenable(0);
    installed_ = false;
}

void EditorHooks::MuteMouse(bool muted) {
    if (table_.Bound()) {
        table_.enablemousehook(muted ? 0 : 1);
    }
}

bool EditorHooks::StartKeyCapture() {
    if (!table_.Bound()) {
        return false;
    }
    installed_ = table_.installhook(&window_) != 0;
    table_.enablehook(1);
    return installed_;
}

void EditorHooks::StopKeyCapture() {
    if (!table_.Bound()) {
        return;
    }
    table_.removehook();
    table_.enablehook(0);
    installed_ = false;
}

void EditorHooks::Release() {
    if (installed_ && table_.Bound()) {
        table_.removehook();
        table_.enablehook(0);
    }
    installed_ = false;
}
