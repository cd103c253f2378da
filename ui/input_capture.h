// The key and mouse-button input of one control, handed to a callback instead of doing what it
// usually does. Where no global hook can listen (a Wayland session), the macro editor records in
// such a control and the key boxes take their key from it. While attached, the control keeps every
// key to itself: Tab, Return, Escape and shortcuts are input, not focus moves or button presses.
#pragma once

#include <QtGlobal>
#include <functional>
#include <memory>

#include "ui/control.h"

struct CapturedInput {
    enum class Kind { Key, Button };
    Kind kind = Kind::Key;
    bool release = false;
    // Keys: the platform's key code (on X11 and Wayland the kernel's evdev code plus 8); 0 when
    // the platform gives none.
    quint32 nativeScanCode = 0;
    // Buttons, numbered as X numbers them: 1 left, 2 middle, 3 right, 8 back, 9 forward.
    int button = 0;
};

class InputCapture {
public:
    using Sink = std::function<void(const CapturedInput&)>;

    InputCapture();
    ~InputCapture();  // detaches
    InputCapture(const InputCapture&) = delete;
    InputCapture& operator=(const InputCapture&) = delete;

    // From now on the control's presses and releases go to `sink` (a held key's repeats are
    // dropped). Attaching again moves the capture to the new control.
    void Attach(const Control& control, Sink sink);
    void Detach();
    bool Attached() const;

private:
    class Filter;
    std::unique_ptr<Filter> filter_;
};
