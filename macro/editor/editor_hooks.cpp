#include "macro/editor/editor_hooks.h"

#include "macro/dialogs/hook_target.h"

EditorHooks::EditorHooks(const HookTable& table, MessagePoster window)
    : table_(table), poster_(std::move(window)) {}

EditorHooks::~EditorHooks() {
    Release();
}

bool EditorHooks::Install() {
    installed_ = table_.installhook(hook_target::RouteTo(poster_)) != 0;
    table_.enablehook(1);
    return installed_;
}

bool EditorHooks::StartRecording() {
    if (!table_.Bound()) {
        return false;
    }
    const bool installed = Install();
    table_.mousewheelenable(0);
    return installed;
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
    hook_target::Release();
    installed_ = false;
}

void EditorHooks::MuteMouse(bool muted) {
    if (table_.Bound()) {
        table_.enablemousehook(muted ? 0 : 1);
    }
}

bool EditorHooks::StartKeyCapture() {
    return table_.Bound() && Install();
}

void EditorHooks::StopKeyCapture() {
    if (!table_.Bound()) {
        return;
    }
    table_.removehook();
    table_.enablehook(0);
    hook_target::Release();
    installed_ = false;
}

void EditorHooks::Release() {
    if (installed_ && table_.Bound()) {
        table_.removehook();
        table_.enablehook(0);
        hook_target::Release();
    }
    installed_ = false;
}
