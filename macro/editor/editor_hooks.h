// The input hook as the macro editor uses it: installed for a recording or while the key box has
// the focus, posting message 1034 to the editor window through the program's one hook relay.
// Whatever is installed is released when the editor goes, so nothing reaches a window that is
// gone.
#pragma once

#include "link/driver_functions.h"
#include "ui/message_poster.h"

class EditorHooks {
public:
    // The table belongs to the main window and may be unbound (no hook library): then nothing
    // is called and no input arrives.
    EditorHooks(const HookTable& table, MessagePoster window);
    ~EditorHooks();
    EditorHooks(const EditorHooks&) = delete;
    EditorHooks& operator=(const EditorHooks&) = delete;

    // False when the hook could not be installed (no hook library, or no X display to listen
    // on): then no input will arrive.
    bool StartRecording();
    void StopRecording();
    // While the pointer is over the record button, so the click that stops is not recorded.
    void MuteMouse(bool muted);
    bool StartKeyCapture();
    void StopKeyCapture();
    // Removes the hook if this editor installed it.
    void Release();

    bool Installed() const { return installed_; }

private:
    bool Install();

    const HookTable& table_;
    MessagePoster poster_;
    bool installed_ = false;
};
