// The dialog in which the user puts a key combination on a mouse button: four modifier boxes
// (Ctrl, Shift, Alt, Win) and a key box that takes the key pressed anywhere on the desktop,
// through the input hook library, for as long as the box has the focus; where the hook cannot
// hear (a Wayland session) it takes the keys pressed into it.
#pragma once

#include <array>
#include <cstdint>

#include "link/driver_functions.h"
#include "ui/input_capture.h"
#include "ui/window_impl_base.h"

class KeyboardLayout;
class TextLookup;

class CShortcutWnd final : public WindowImplBase {
public:
    // modifiers: bit 0 Ctrl, bit 1 Shift, bit 2 Alt, bit 3 Win. keyUsage: HID usage, 0 none.
    // hooks may be null or unbound (no hook library): the key box then takes no keys.
    CShortcutWnd(uint8_t modifiers, uint8_t keyUsage, const HookTable* hooks,
                 const KeyboardLayout& layout, const TextLookup& texts);
    ~CShortcutWnd() override;

    QString GetWindowClassName() const override { return QStringLiteral("ShortcutWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("shortcut.xml"); }

    // The ticked boxes as bits 0..3 and the key taken, once the dialog closed with 1.
    uint8_t Modifiers() const;
    uint8_t KeyUsage() const { return keyUsage_; }

protected:
    void InitWindow() override;
    void Notify(const Notification& n) override;
    void OnClick(const Notification& n) override;
    qintptr HandleCustomMessage(unsigned message, quintptr wParam, qintptr lParam,
                                bool& handled) override;

private:
    void StartCapture();
    void StopCapture();
    void StartWindowCapture();
    void TakeKey(quintptr wParam);
    void ShowKey();

    std::array<bool, 4> modifierFlags_{};
    uint8_t keyUsage_ = 0;
    const HookTable* hooks_;
    const KeyboardLayout& layout_;
    const TextLookup& texts_;
    bool capturing_ = false;
    Button ok_, cancel_, exit_;
    std::array<CheckBox, 4> flagBoxes_;
    Edit keyBox_;
    InputCapture windowKeys_;
};
