// The control kinds and the widgets behind them (docs/layout-guide.md has the full table).
// Find<T> returns a null handle when the named widget is of another kind.
#pragma once

#include <QString>

#include "ui/control.h"

// QLabel.
class Label : public Control {
public:
    static constexpr const char* kKind = "label (QLabel)";
    static bool Accepts(const QWidget* widget);
    using Control::Control;
};

// Any push button, tool button, option or check box; raises "click" when the user clicks it.
class Button : public Control {
public:
    static constexpr const char* kKind = "button (QAbstractButton)";
    static bool Accepts(const QWidget* widget);
    using Control::Control;
    // Clicks as the user would, with every notification the click brings.
    void Click();
};

// QRadioButton; options with the same "group" property exclude each other, wherever they sit.
// The user selecting one raises "selectchanged" from it (not from the one it replaced).
class Option : public Control {
public:
    static constexpr const char* kKind = "option (QRadioButton)";
    static bool Accepts(const QWidget* widget);
    using Control::Control;
    void Select(Notify notify);
    bool IsSelected() const;
    QString Group() const;
};

// QCheckBox; the user toggling it raises "checkclick" with wParam = new state (1 checked).
class CheckBox : public Control {
public:
    static constexpr const char* kKind = "check box (QCheckBox)";
    static bool Accepts(const QWidget* widget);
    using Control::Control;
    void SetCheck(bool checked, Notify notify);
    bool GetCheck() const;
};

// QSlider; every value the user moves it through raises "valuechanged" with wParam = value.
class Slider : public Control {
public:
    static constexpr const char* kKind = "slider (QSlider)";
    static bool Accepts(const QWidget* widget);
    using Control::Control;
    void SetRange(int minimum, int maximum);
    // Values outside the range are clamped to it.
    void SetValue(int value, Notify notify = Notify::kNo);
    int Value() const;
    int Minimum() const;
    int Maximum() const;
};

// QProgressBar.
class Progress : public Control {
public:
    static constexpr const char* kKind = "progress (QProgressBar)";
    static bool Accepts(const QWidget* widget);
    using Control::Control;
    void SetRange(int minimum, int maximum);
    void SetValue(int value);
    int Value() const;
};

// QComboBox; the user picking an item raises "itemselect" with wParam = index,
// lParam = previous index.
class ComboBox : public Control {
public:
    static constexpr const char* kKind = "combo box (QComboBox)";
    static bool Accepts(const QWidget* widget);
    using Control::Control;
    int AddItem(const QString& text);
    void RemoveAll();
    int Count() const;
    QString ItemText(int index) const;
    // An index outside the items selects nothing and raises nothing.
    void Select(int index, TakeFocus focus, Notify notify);
    int CurSel() const;
};

// QLineEdit: "textchanged" on the user's typing (not on SetText), "setfocus" and "killfocus".
class Edit : public Control {
public:
    static constexpr const char* kKind = "edit (QLineEdit)";
    static bool Accepts(const QWidget* widget);
    using Control::Control;
    void SetMaxChars(int count);
    // Typing and pasting take the digits 0-9 only, at most `count` of them.
    void SetDigitsOnly(int count);
    void SetReadOnly(bool readOnly);
    void MoveCaretToEnd();
    int CaretPosition() const;
};

// QListWidget. Rows are plain labels or widgets built from a row layout ("keylistitem.xml");
// the user selecting a row raises "itemselect" with wParam = row, lParam = previous row
// (-1 as an unsigned value when there was none). A label row cut with "…" shows its whole text
// as a tooltip.
class ListBox : public Control {
public:
    static constexpr const char* kKind = "list (QListWidget)";
    static bool Accepts(const QWidget* widget);
    using Control::Control;
    // Returns the new row's index, -1 on a null handle.
    int AddLabel(const QString& text, int height);
    // A row built from a layout file of the skin folder; returns the row's container (its
    // sub-controls are found with FindChild), null when the layout cannot be built.
    Control AddRow(const QString& layoutFile, int height);
    Control Row(int index) const;
    void SetItemText(int index, const QString& text);
    QString ItemText(int index) const;
    // Removing rows never raises "itemselect"; select afterwards if the caller wants one.
    void RemoveAt(int index);
    void RemoveAll();
    int Count() const;
    // An index outside the rows clears the selection.
    void Select(int index, TakeFocus focus, Notify notify);
    int CurSel() const;
    void EnsureVisible(int index);
};

// QStackedWidget: shows one page at a time, or none (-1).
class TabLayout : public Control {
public:
    static constexpr const char* kKind = "tab layout (QStackedWidget)";
    static bool Accepts(const QWidget* widget);
    using Control::Control;
    // Pages outside 0..PageCount()-1 show none.
    void SelectPage(int index);
    int CurPage() const;
    int PageCount() const;
};

// ColorPalette (ui/color_palette.h): "colorchanged" while the user drags,
// "colorchangedbuttonup" on release; wParam = the colour.
class Palette : public Control {
public:
    static constexpr const char* kKind = "colour palette (ColorPalette)";
    static bool Accepts(const QWidget* widget);
    using Control::Control;
    void SetSelectColor(quint32 argb);
    quint32 GetSelectColor() const;
};
