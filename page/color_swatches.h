// The colour swatches of the settings page (the eight DPI stage indicators and the lighting): a
// click opens the colour dialog below the swatch, and a confirmed colour goes into the current
// profile, onto the swatch and to the mouse.
#pragma once

#include <cstdint>
#include <functional>

#include <QPoint>
#include <QRect>

#include "protocol/profile_record.h"
#include "ui/controls.h"

class ProfileStore;
class WindowImplBase;

class ColorSwatches {
public:
    ColorSwatches(ProfileStore& store, WindowImplBase& owner, std::function<void()> requestApply)
        : store_(store), owner_(owner), requestApply_(std::move(requestApply)) {}

    // `stage` 0..7.
    void ChooseDpiColor(Button swatch, int stage);
    void ChooseLightColor(Button swatch);

    // Where the dialog opens: 200 px left of the swatch's left edge, just below it.
    static QPoint DialogPosition(const QRect& ownerOnScreen, const QRect& swatchInWindow);

private:
    void Choose(Button& swatch, const std::function<uint32_t&(ProfileSlot&)>& field);

    ProfileStore& store_;
    WindowImplBase& owner_;
    std::function<void()> requestApply_;
};
