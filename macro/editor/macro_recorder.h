// The recorder: turns hook input into actions of the working copy, with measured, default or no
// delays, and inserts single mouse clicks. It knows nothing of windows or hooks; the editor
// installs the hook, passes message 1034 on, and stores the working copy after a stop.
#pragma once

#include <cstdint>

#include "macro/editor/macro_edit_buffer.h"

class Clock;
class KeyboardLayout;

// The last hook message the recorder took and when, shared by every editor window for the life
// of the program: a held key's repeated presses are dropped against it.
struct LastHookInput {
    uint64_t message = 0;
    int64_t param = 0;
    uint64_t timeMs = 0;
};
LastHookInput& ProgramLastHookInput();

class MacroRecorder {
public:
    MacroRecorder(MacroEditBuffer& buffer, const Clock& clock, const KeyboardLayout& layout,
                  LastHookInput& last)
        : buffer_(buffer), clock_(clock), layout_(layout), last_(last) {}

    // The record button with a macro open and no recording running: with no row selected the
    // recording replaces the macro, otherwise it goes in after the selected row. Then Start.
    void Begin(uint16_t defaultDelay);
    void Start(uint16_t defaultDelay);
    // Ends the recording. A recording never leaves a key or button held: a press it recorded
    // without its release (the click on the editor's close button, a key still down at the limit)
    // is dropped. Returns the number of actions dropped.
    int Stop();

    enum class Outcome {
        kIgnored,   // a repeat of the last input, or not recording
        kRecorded,  // one action more
        kFull,      // the macro is full: stop the recording
    };
    // One message 1034 while recording. kFull comes either instead of an action (nothing was
    // added) or right after the action that filled the macro.
    Outcome OnKeyEvent(uint64_t wParam, int64_t lParam);

    // A press and a release of mouse button 1..5 after the selected row (at the front when none
    // is selected), both with `delay`. False when they do not fit. Leaves insertMode set, so the
    // editor's rebuild selects the release; the editor clears it afterwards.
    bool InsertMouseClick(int button, uint16_t delay);

private:
    bool IsFull() const;
    // Removes action `index`, keeping the insertion point and the selection on their actions.
    void RemoveAction(int index);

    MacroEditBuffer& buffer_;
    const Clock& clock_;
    const KeyboardLayout& layout_;
    LastHookInput& last_;
    int blockStart_ = 0;  // where this recording's actions begin
    int recorded_ = 0;    // how many it has added
};
