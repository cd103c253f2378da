// The rows of the editor's action list, built from "keylistitem.xml": the key with its icon,
// press or release with theirs, and the delay (the last row always shows 10, the time the mouse
// waits after the last action).
#pragma once

#include "base/macro_record.h"
#include "ui/controls.h"

class KeyboardLayout;
class TextLookup;

inline constexpr char kActionRowLayout[] = "keylistitem.xml";
inline constexpr int kActionRowHeight = 30;

class ActionRows {
public:
    ActionRows(const KeyboardLayout& layout, const TextLookup& texts)
        : layout_(layout), texts_(texts) {}

    void SetList(ListBox list) { list_ = std::move(list); }

    // Replaces every row; selects nothing.
    void Rebuild(const MacroAction* actions, int count);
    // Shows action `index` of `count` in its row again.
    void Redraw(int index, const MacroAction& action, int count);

    // The texts a row shows, for tests.
    static QString DelayText(const MacroAction& action, bool last);

private:
    void Fill(const Control& row, const MacroAction& action, bool last) const;

    const KeyboardLayout& layout_;
    const TextLookup& texts_;
    ListBox list_;
};
