// What each of the mouse's 18 buttons does, as the settings page changes it: the function menu
// beside a button's label, the key combination and macro dialogs, the rule that keeps a left
// click among buttons 0..15, and the copy of buttons 0..9 into the second slot. Every change is
// made in the current profile and followed by an apply request (message 1329).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QString>

#include "link/driver_functions.h"

class KeyboardLayout;
class MenuWindow;
class ProfileStore;
class SettingsView;
class TextLookup;
class WindowImplBase;
struct ButtonEntry;
struct PageControls;

class ButtonAssignment {
public:
    ButtonAssignment(PageControls& controls, ProfileStore& store, SettingsView& view,
                     const KeyboardLayout& layout, const TextLookup& texts);
    ~ButtonAssignment();
    ButtonAssignment(const ButtonAssignment&) = delete;
    ButtonAssignment& operator=(const ButtonAssignment&) = delete;

    // The window that owns the menus and dialogs and receives the apply requests; the hook
    // table the key combination dialog captures keys with.
    void SetWindow(WindowImplBase* window, const HookTable* hooks);

    // A click on button j's label: j becomes the current button and its function menu opens
    // beside the label (above it when it would leave the screen below), its current function
    // marked. Any open menu closes. The last button, whose function the mouse keeps, has none.
    void OpenButtonMenu(int button);
    // A menu item was chosen: it applies to the current button, the last whose menu opened.
    void AssignFunction(const QString& itemName);

    int CurrentButton() const { return currentButton_; }
    // The open (or last) function menu; null before the first.
    MenuWindow* Menu() const { return menu_.get(); }

    // The menu layout of button j: buttons 12 to 15 have their own.
    static QString MenuLayoutOf(int button);

private:
    // What the dialogs decided for the entry, written when the function is stored; nothing
    // when the assignment stops.
    using EntryUpdate = std::function<void(ButtonEntry&)>;
    std::optional<EntryUpdate> AskShortcut(int button);
    std::optional<EntryUpdate> AskMacro(int button);
    bool KeepsLeftClick(int button, uint8_t code);
    void PlaceMenu();

    PageControls& controls_;
    ProfileStore& store_;
    SettingsView& view_;
    const KeyboardLayout& layout_;
    const TextLookup& texts_;
    WindowImplBase* window_ = nullptr;
    const HookTable* hooks_ = nullptr;
    int currentButton_ = 0;
    std::unique_ptr<MenuWindow> menu_;
};
