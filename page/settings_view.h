// Puts the current profile into the settings page's controls: DPI stages and colours, lighting,
// report rate, timers and the labels of the 18 buttons.
#pragma once

#include <cstdint>

#include "page/page_controls.h"
#include "protocol/profile_record.h"

class KeyboardLayout;
class TextLookup;

class SettingsView {
public:
    SettingsView(PageControls& controls, const TextLookup& texts, const KeyboardLayout& layout)
        : c_(controls), texts_(texts), layout_(layout) {}

    // Every control from the record's displayed slot (the link-dependent part is the caller's).
    void Show(const ProfileRecord& record);
    // A stage in use can be made the active one; one at 0 DPI cannot (its option is disabled and
    // says why).
    void ShowStageInUse(int stage, bool inUse);
    // Shows the lighting rows the effect uses.
    void UpdateLightRows(int32_t lightMode);
    void ShowSleepLabel(int32_t sleepTimer);
    void ShowLightOffLabel(int32_t lightOffTimer);
    void ShowButtonLabel(int button, const ButtonEntry& entry);
    // The text of a key combination: the modifier texts each followed by "+", then the key.
    QString ShortcutText(const ButtonEntry& entry) const;

private:
    PageControls& c_;
    const TextLookup& texts_;
    const KeyboardLayout& layout_;
};
