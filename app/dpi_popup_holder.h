// The main window's DPI popup: opened on a DPI change, given the new text while it is open, and
// let go as soon as it is asked to close. A popup ends only on a later pass of the event loop; a
// change that comes in between opens a new popup instead of going to the one that is leaving.
#pragma once

#include <QString>

#include <vector>

class CDPIMsg;
class WindowImplBase;

class DpiPopupHolder {
public:
    DpiPopupHolder() = default;
    // Frees the popups that are still open or have not ended yet (when the loop is over).
    ~DpiPopupHolder();
    DpiPopupHolder(const DpiPopupHolder&) = delete;
    DpiPopupHolder& operator=(const DpiPopupHolder&) = delete;

    // Shows `text`: in the open popup, or in a new one owned by `owner`.
    void Show(WindowImplBase* owner, const QString& text);
    // Asks the open popup, if any, to close.
    void Close();
    // The popup on screen, or null.
    CDPIMsg* Current() const { return current_; }

private:
    void Ended(CDPIMsg* popup);

    CDPIMsg* current_ = nullptr;
    std::vector<CDPIMsg*> closing_;
};
