#include "macro/dialogs/shortcut_wnd.h"

#include <QLoggingCategory>

#include "link/program_messages.h"
#include "macro/dialogs/hook_target.h"
#include "macro/key_table.h"

Q_LOGGING_CATEGORY(lcShortcut, "talvore.shortcut")

namespace {
// Virtual-key codes fit in a byte; the hook reports mouse buttons as mouse messages (513 and up),
// which a key combination has no use for: a click on OK must not replace the key just taken.
constexpr quintptr kLastVirtualKey = 0xFF;
}  // namespace

CShortcutWnd::CShortcutWnd(uint8_t modifiers, uint8_t keyUsage, const HookTable* hooks,
                           const KeyboardLayout& layout, const TextLookup& texts)
    : keyUsage_(keyUsage), hooks_(hooks), layout_(layout), texts_(texts) {
    for (std::size_t k = 0; k < modifierFlags_.size(); ++k) {
        modifierFlags_[k] = ((modifiers >> k) & 1) != 0;
    }
}

CShortcutWnd::~CShortcutWnd() {
    StopCapture();
}

uint8_t CShortcutWnd::Modifiers() const {
    uint8_t bits = 0;
    for (std::size_t k = 0; k < modifierFlags_.size(); ++k) {
        bits |= static_cast<uint8_t>((modifierFlags_[k] ? 1u : 0u) << k);
    }
    return bits;
}

void CShortcutWnd::InitWindow() {
    ok_ = Find<Button>(QStringLiteral("btn_ok"));
    cancel_ = Find<Button>(QStringLiteral("btn_cancel"));
    exit_ = Find<Button>(QStringLiteral("btn_exit"));
    for (std::size_t k = 0; k < flagBoxes_.size(); ++k) {
        flagBoxes_[k] = Find<CheckBox>(QStringLiteral("check_flag_%d"), static_cast<int>(k) + 1);
        flagBoxes_[k].SetCheck(modifierFlags_[k], Notify::kNo);
    }
    keyBox_ = Find<Edit>(QStringLiteral("edit_key"));
    keyBox_.SetReadOnly(true);  // it shows the key's name; typing goes through the hook
    ShowKey();
}

void CShortcutWnd::ShowKey() {
    keyBox_.SetText(UsageToKeyName(keyUsage_, layout_, texts_));
}

void CShortcutWnd::StartCapture() {
    if (hooks_ == nullptr || hooks_->installhook == nullptr || hooks_->enablehook == nullptr) {
        qCInfo(lcShortcut) << "no input hook: the key box takes no keys";
        return;
    }
    hooks_->installhook(hook_target::RouteTo(Poster()));
    hooks_->enablehook(1);
    capturing_ = true;
}

void CShortcutWnd::StopCapture() {
    if (!capturing_) {
        return;
    }
    capturing_ = false;
    // The table may have been emptied since (the main window unloads the hook library as it
    // ends): nothing is called that is gone.
    if (hooks_->removehook != nullptr) {
        hooks_->removehook();
    }
    if (hooks_->enablehook != nullptr) {
        hooks_->enablehook(0);
    }
    hook_target::Release();
}

void CShortcutWnd::Notify(const Notification& n) {
    if (n.Is("click")) {
        OnClick(n);
    } else if (n.Is("checkclick")) {
        for (std::size_t k = 0; k < flagBoxes_.size(); ++k) {
            if (n.sender == flagBoxes_[k]) {
                modifierFlags_[k] = n.wParam != 0;
            }
        }
    } else if (n.Is("setfocus") && n.sender == keyBox_) {
        StartCapture();
    } else if (n.Is("killfocus") && n.sender == keyBox_) {
        StopCapture();
    }
}

void CShortcutWnd::OnClick(const Notification& n) {
    if (n.sender == ok_) {
        Close(1);
    } else if (n.sender == cancel_ || n.sender == exit_) {
        Close(0);
    }
}

qintptr CShortcutWnd::HandleCustomMessage(unsigned message, quintptr wParam, qintptr lParam,
                                          bool& handled) {
    if (message == ui::kMsgDestroy) {
        StopCapture();
    } else if (message == program_messages::kHookInput && wParam <= kLastVirtualKey) {
        // Presses and releases alike: the key kept is the last one the hook reported.
        qCDebug(lcShortcut, "%llx,%llx", static_cast<unsigned long long>(wParam),
                static_cast<unsigned long long>(lParam));
        keyUsage_ = VirtualKeyToUsage(static_cast<uint32_t>(wParam), layout_).value_or(0);
        qCDebug(lcShortcut, "iUsageID=%d", keyUsage_);
        ShowKey();
    }
    handled = false;
    return 0;
}
