#include "page/button_assignment.h"

#include <QLoggingCategory>
#include <algorithm>

#include "dialogs/msg_wnd.h"
#include "link/program_messages.h"
#include "macro/dialogs/select_macro_wnd.h"
#include "macro/dialogs/shortcut_wnd.h"
#include "macro/macro_binding.h"
#include "page/function_codes.h"
#include "page/page_controls.h"
#include "page/profile_store.h"
#include "page/settings_view.h"
#include "ui/menu_window.h"
#include "ui/window_impl_base.h"

Q_LOGGING_CATEGORY(lcButtons, "talvore.page.buttons")

namespace {

// The last position (17) keeps its function: its menu changes nothing.
constexpr int kLastAssignableButton = 16;
// Buttons 0..15 must keep at least one left click among them; button 16 does not count.
constexpr int kLeftClickRuleButtons = 16;
// A menu moved above its label still reaches 25 pixels below the label's top.
constexpr int kMenuOverlap = 25;
constexpr uint8_t kModifierBits = 0x0F;

ButtonEntry* EntryOf(ProfileStore& store, int button) {
    ProfileRecord* record = store.Current();
    return record == nullptr ? nullptr : &ActiveSlot(*record).buttons[button];
}

template <class Dialog>
int RunModal(Dialog& dialog, WindowImplBase* owner) {
    if (!dialog.Create(owner, kWindowToolWindow)) {
        return -1;
    }
    dialog.CenterWindow();
    return dialog.ShowModal();
}

}  // namespace

ButtonAssignment::ButtonAssignment(PageControls& controls, ProfileStore& store, SettingsView& view,
                                   const KeyboardLayout& layout, const TextLookup& texts)
    : controls_(controls), store_(store), view_(view), layout_(layout), texts_(texts) {}

ButtonAssignment::~ButtonAssignment() = default;

void ButtonAssignment::SetWindow(WindowImplBase* window, const HookTable* hooks) {
    window_ = window;
    hooks_ = hooks;
}

QString ButtonAssignment::MenuLayoutOf(int button) {
    return button >= 12 && button <= 15 ? QStringLiteral("MS/MS_1/ms_1_menu_1.xml")
                                        : QStringLiteral("MS/MS_1/ms_1_menu.xml");
}

void ButtonAssignment::OpenButtonMenu(int button) {
    if (button < 0 || button >= kButtonCount || window_ == nullptr) {
        return;
    }
    currentButton_ = button;
    menu_.reset();
    if (button > kLastAssignableButton) {
        return;  // the mouse keeps the last button's function: a menu would choose nothing
    }
    const QRect windowRect = window_->ScreenRect();
    const QRect label = controls_.btnKey[static_cast<std::size_t>(button)].Geometry();
    const QPoint anchor(windowRect.left() + label.left() + label.width(),
                        windowRect.top() + label.top());
    menu_ = std::make_unique<MenuWindow>();
    if (!menu_->Create(window_, MenuLayoutOf(button), anchor, kMenuAlignLeft | kMenuAlignTop)) {
        qCWarning(lcButtons) << "no function menu for button" << button;
        return;
    }
    PlaceMenu();
    // The function the button has now is marked, and the keyboard starts there.
    const uint8_t code = store_.WithLock([&](ProfileStore& s) -> uint8_t {
        const ButtonEntry* entry = EntryOf(s, button);
        return entry != nullptr ? entry->functionCode : 0;
    });
    menu_->MarkItem(MenuItemOfFunction(code));
}

// The menu opens to the right of the label, its top at the label's top. When it would leave the
// screen below, it moves up so that its bottom edge sits 25 pixels below the label's top; when it
// would leave on the right, it opens to the left of the label. It never leaves the work area.
void ButtonAssignment::PlaceMenu() {
    const QRect area = WindowImplBase::WorkArea();
    const QRect windowRect = window_->ScreenRect();
    const QRect label = controls_.btnKey[static_cast<std::size_t>(currentButton_)].Geometry();
    const QSize size = menu_->ScreenRect().size();
    int x = windowRect.left() + label.left() + label.width();
    int y = windowRect.top() + label.top();
    if (y + size.height() >= area.top() + area.height()) {
        y = windowRect.top() + label.top() - size.height() + kMenuOverlap;
    }
    if (x + size.width() > area.left() + area.width()) {
        x = windowRect.left() + label.left() - size.width();
    }
    x = std::clamp(x, area.left(),
                   std::max(area.left(), area.left() + area.width() - size.width()));
    y = std::clamp(y, area.top(), std::max(area.top(), area.top() + area.height() - size.height()));
    menu_->MoveTo(QPoint(x, y), kMenuAlignLeft | kMenuAlignTop);
    menu_->ResizeToContent();
}

bool ButtonAssignment::KeepsLeftClick(int button, uint8_t code) {
    return store_.WithLock([&](ProfileStore& s) {
        const ProfileRecord* record = s.Current();
        if (record == nullptr) {
            return false;
        }
        const ProfileSlot& slot = ActiveSlot(*record);
        for (int j = 0; j < kLeftClickRuleButtons; ++j) {
            const uint8_t c = j == button ? code : slot.buttons[j].functionCode;
            if (c == kFunctionLeftClick) {
                return true;
            }
        }
        return false;
    });
}

std::optional<ButtonAssignment::EntryUpdate> ButtonAssignment::AskShortcut(int button) {
    bool wasShortcut = false;
    uint8_t modifiers = 0;
    uint8_t usage = 0;
    store_.WithLock([&](ProfileStore& s) {
        if (ButtonEntry* entry = EntryOf(s, button)) {
            wasShortcut = entry->functionCode == kFunctionShortcut;
            if (!wasShortcut) {
                // A key left from an earlier shortcut is not offered again.
                entry->shortcutUsage = 0;
                std::fill(std::begin(entry->reserved4), std::end(entry->reserved4), 0);
            }
            modifiers = entry->shortcutModifiers & kModifierBits;
            usage = entry->shortcutUsage;
        }
        return 0;
    });
    CShortcutWnd dialog(modifiers, usage, hooks_, layout_, texts_);
    if (RunModal(dialog, window_) != 1) {
        return std::nullopt;
    }
    const uint8_t chosenModifiers = dialog.Modifiers();
    const uint8_t chosenKey = dialog.KeyUsage();
    if (chosenModifiers == 0 && chosenKey == 0) {
        // Nothing chosen: the function stays. A button that already is a shortcut keeps it
        // whole; writing the empty choice would leave it on an empty shortcut that the label
        // and the mouse do not show until some later apply sends it.
        if (!wasShortcut) {
            store_.WithLock([&](ProfileStore& s) {
                if (ButtonEntry* entry = EntryOf(s, button)) {
                    entry->shortcutUsage = 0;
                    entry->shortcutModifiers = 0;
                }
                return 0;
            });
        }
        return std::nullopt;
    }
    return [chosenModifiers, chosenKey](ButtonEntry& entry) {
        entry.shortcutUsage = chosenKey;
        entry.shortcutModifiers = chosenModifiers;
    };
}

std::optional<ButtonAssignment::EntryUpdate> ButtonAssignment::AskMacro(int button) {
    int index = -1;
    int mode = 0;
    int count = 1;
    store_.WithLock([&](ProfileStore& s) {
        if (const ButtonEntry* entry = EntryOf(s, button);
            entry != nullptr && entry->functionCode == kFunctionMacro) {
            index = entry->macroIndex;
            mode = entry->macroRepeatMode;
            count = entry->macroRepeatCount;
        }
        return 0;
    });
    const MacroStore& macros = store_.Macros();
    CMS_1_SelectMacro dialog(macros, index, mode, count);
    if (RunModal(dialog, window_) != 1) {
        return std::nullopt;
    }
    const int chosen = dialog.SelectedIndex();
    if (chosen < 0 || chosen >= macros.Count()) {
        return std::nullopt;
    }
    // The macro is copied now: the entry carries what the mouse receives, not a reference.
    const MacroRecord macro = macros.At(chosen);
    return [macro, chosen, mode = dialog.RepeatMode(), count = dialog.RepeatCount()](
               ButtonEntry& entry) { BindMacroToButton(entry, macro, chosen, mode, count); };
}

void ButtonAssignment::AssignFunction(const QString& itemName) {
    const int button = currentButton_;
    if (button > kLastAssignableButton ||
        store_.WithLock([](ProfileStore& s) { return s.Current() == nullptr; })) {
        return;
    }
    const uint8_t code = FunctionOfMenuItem(itemName).value_or(kFunctionLeftClick);
    if (!KeepsLeftClick(button, code)) {
        if (window_ != nullptr) {
            CMsgWnd::Show(window_, QStringLiteral("warning_title_text"),
                          QStringLiteral("one_click_text"), CMsgWnd::Kind::kWarning);
        }
        return;
    }
    std::optional<EntryUpdate> update = EntryUpdate();
    if (code == kFunctionShortcut) {
        update = AskShortcut(button);
    } else if (code == kFunctionMacro) {
        update = AskMacro(button);
    }
    if (!update) {
        return;
    }
    ButtonEntry stored{};
    const bool done = store_.WithLock([&](ProfileStore& s) {
        ProfileRecord* record = s.Current();
        if (record == nullptr) {
            return false;
        }
        ButtonEntry& entry = ActiveSlot(*record).buttons[button];
        if (*update) {
            (*update)(entry);
        }
        entry.functionCode = code;
        MirrorButton(*record, button);
        stored = entry;
        return true;
    });
    if (!done) {
        return;
    }
    if (window_ != nullptr) {
        window_->PostMessage(program_messages::kApplyRequest);
    }
    view_.ShowButtonLabel(button, stored);
}
