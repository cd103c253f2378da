#include "page/color_swatches.h"

#include <optional>

#include "page/dpi_color_wnd.h"
#include "page/profile_store.h"

namespace {
constexpr int kDialogLeftOfSwatch = 200;
}  // namespace

QPoint ColorSwatches::DialogPosition(const QRect& ownerOnScreen, const QRect& swatchInWindow) {
    return {ownerOnScreen.left() + swatchInWindow.left() - kDialogLeftOfSwatch,
            ownerOnScreen.top() + swatchInWindow.top() + swatchInWindow.height()};
}

void ColorSwatches::ChooseDpiColor(Button swatch, int stage) {
    if (stage < 0 || stage >= kDpiStageCount) {
        return;
    }
    Choose(swatch, [stage](ProfileSlot& slot) -> uint32_t& { return slot.dpiColor[stage]; });
}

void ColorSwatches::ChooseLightColor(Button swatch) {
    Choose(swatch, [](ProfileSlot& slot) -> uint32_t& { return slot.lightColor; });
}

// The page edits slot 0, the slot the mouse is configured from.
void ColorSwatches::Choose(Button& swatch, const std::function<uint32_t&(ProfileSlot&)>& field) {
    const std::optional<uint32_t> stored =
        store_.WithLock([&](ProfileStore& s) -> std::optional<uint32_t> {
            ProfileRecord* record = s.Current();
            return record == nullptr ? std::nullopt : std::optional(field(record->slots[0]));
        });
    if (!stored) {
        return;
    }
    CDpiColorWnd dialog;
    dialog.SetSelectedColor(StoredToColor(*stored));
    dialog.SetPosition(DialogPosition(owner_.ScreenRect(), swatch.Geometry()));
    if (!dialog.Create(&owner_, kWindowToolWindow) || dialog.ShowModal() != 1) {
        return;
    }
    const quint32 chosen = dialog.SelectedColor();
    const bool kept = store_.WithLock([&](ProfileStore& s) {
        ProfileRecord* record = s.Current();
        if (record != nullptr) {
            field(record->slots[0]) = ColorToStored(chosen);
        }
        return record != nullptr;
    });
    if (!kept) {
        return;
    }
    swatch.SetBkColor(chosen);
    requestApply_();
}
