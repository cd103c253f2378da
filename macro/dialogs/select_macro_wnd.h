// The dialog in which the user binds a stored macro to a mouse button: the list of macros, three
// repeat modes and, for the first mode, a repeat count of 1 to 255.
#pragma once

#include <array>

#include "ui/window_impl_base.h"

class MacroStore;

class CMS_1_SelectMacro final : public WindowImplBase {
public:
    // The preselection: a button already on a macro brings its macro index, repeat mode and
    // count; any other button -1, 0 and 1. A mode outside 0..2 reads as 0 and a count outside
    // 1..255 is held to it, so the dialog never shows one thing and returns another.
    CMS_1_SelectMacro(const MacroStore& store, int selectedIndex, int repeatMode, int repeatCount);

    QString GetWindowClassName() const override { return QStringLiteral("MS_1_SelectMacro"); }
    QString GetSkinFile() const override { return QStringLiteral("MS/MS_1/selectmacro.xml"); }

    // Once the dialog closed with 1. The index may be -1 or name no macro: the caller checks.
    int SelectedIndex() const { return selectedIndex_; }
    int RepeatMode() const { return repeatMode_; }
    int RepeatCount() const { return repeatCount_; }

    // The count a typed text stands for: its value held to 1..255 (empty or 0 gives 1).
    static int CountOfText(const QString& digits);

protected:
    void InitWindow() override;
    void Notify(const Notification& n) override;
    void OnClick(const Notification& n) override;

private:
    void SelectMode(int mode);
    void FilterCountText();
    void TakeCount();
    void UpdateOk();

    const MacroStore& store_;
    int selectedIndex_;
    int repeatMode_;
    int repeatCount_;
    Button ok_, cancel_, exit_;
    ListBox list_;
    std::array<Option, 3> modes_;
    Control countPanel_;
    Edit countBox_;
    Label emptyHint_;
};
