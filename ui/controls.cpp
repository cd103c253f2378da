#include "ui/controls.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QVariant>
#include <algorithm>

#include "ui/color_palette.h"
#include "ui/elided_text.h"
#include "ui/ui_internal.h"
#include "ui/window_impl_base.h"

namespace {
Q_LOGGING_CATEGORY(lcControls, "talvore.ui.controls")

template <class W>
W* As(const Control& control) {
    return qobject_cast<W*>(control.Widget());
}

// Marks the "no page" state of a tab layout; QStackedWidget always has a current page.
constexpr const char* kNoPageProperty = "talvoreNoPage";
}  // namespace

bool Label::Accepts(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) != nullptr;
}

bool Button::Accepts(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) != nullptr;
}

void Button::Click() {
    if (auto* b = As<QAbstractButton>(*this)) {
        b->click();
    }
}

bool Option::Accepts(const QWidget* w) {
    return qobject_cast<const QRadioButton*>(w) != nullptr;
}

void Option::Select(Notify notify) {
    auto* b = As<QRadioButton>(*this);
    if (b == nullptr) {
        return;
    }
    {
        const QSignalBlocker blocker(b);
        b->setChecked(true);
    }
    if (notify == Notify::kYes) {
        ui_internal::RaiseNotify(b, "selectchanged", 1);
    }
}

bool Option::IsSelected() const {
    auto* b = As<QRadioButton>(*this);
    return b != nullptr && b->isChecked();
}

QString Option::Group() const {
    auto* b = As<QRadioButton>(*this);
    return b == nullptr ? QString() : b->property("group").toString();
}

bool CheckBox::Accepts(const QWidget* w) {
    return qobject_cast<const QCheckBox*>(w) != nullptr;
}

void CheckBox::SetCheck(bool checked, Notify notify) {
    auto* b = As<QCheckBox>(*this);
    if (b == nullptr) {
        return;
    }
    {
        const QSignalBlocker blocker(b);
        b->setChecked(checked);
    }
    if (notify == Notify::kYes) {
        ui_internal::RaiseNotify(b, "checkclick", checked ? 1 : 0);
    }
}

bool CheckBox::GetCheck() const {
    auto* b = As<QCheckBox>(*this);
    return b != nullptr && b->isChecked();
}

bool Slider::Accepts(const QWidget* w) {
    return qobject_cast<const QSlider*>(w) != nullptr;
}

void Slider::SetRange(int minimum, int maximum) {
    if (auto* s = As<QSlider>(*this)) {
        const QSignalBlocker blocker(s);
        s->setRange(minimum, maximum);
    }
}

void Slider::SetValue(int value, Notify notify) {
    auto* s = As<QSlider>(*this);
    if (s == nullptr) {
        return;
    }
    {
        const QSignalBlocker blocker(s);
        s->setValue(value);
    }
    if (notify == Notify::kYes) {
        ui_internal::RaiseNotify(s, "valuechanged", static_cast<quintptr>(s->value()));
    }
}

int Slider::Value() const {
    auto* s = As<QSlider>(*this);
    return s == nullptr ? 0 : s->value();
}

int Slider::Minimum() const {
    auto* s = As<QSlider>(*this);
    return s == nullptr ? 0 : s->minimum();
}

int Slider::Maximum() const {
    auto* s = As<QSlider>(*this);
    return s == nullptr ? 0 : s->maximum();
}

bool Progress::Accepts(const QWidget* w) {
    return qobject_cast<const QProgressBar*>(w) != nullptr;
}

void Progress::SetRange(int minimum, int maximum) {
    if (auto* p = As<QProgressBar>(*this)) {
        p->setRange(minimum, maximum);
    }
}

void Progress::SetValue(int value) {
    if (auto* p = As<QProgressBar>(*this)) {
        p->setValue(std::clamp(value, p->minimum(), p->maximum()));
    }
}

int Progress::Value() const {
    auto* p = As<QProgressBar>(*this);
    return p == nullptr ? 0 : p->value();
}

bool ComboBox::Accepts(const QWidget* w) {
    return qobject_cast<const QComboBox*>(w) != nullptr;
}

int ComboBox::AddItem(const QString& text) {
    auto* c = As<QComboBox>(*this);
    if (c == nullptr) {
        return -1;
    }
    const QSignalBlocker blocker(c);
    c->addItem(text);
    return c->count() - 1;
}

void ComboBox::RemoveAll() {
    if (auto* c = As<QComboBox>(*this)) {
        const QSignalBlocker blocker(c);
        c->clear();
    }
}

int ComboBox::Count() const {
    auto* c = As<QComboBox>(*this);
    return c == nullptr ? 0 : c->count();
}

QString ComboBox::ItemText(int index) const {
    auto* c = As<QComboBox>(*this);
    return c == nullptr ? QString() : c->itemText(index);
}

void ComboBox::Select(int index, TakeFocus focus, Notify notify) {
    auto* c = As<QComboBox>(*this);
    if (c == nullptr || index < 0 || index >= c->count()) {
        return;
    }
    const int previous = c->currentIndex();
    {
        const QSignalBlocker blocker(c);
        c->setCurrentIndex(index);
    }
    if (focus == TakeFocus::kYes) {
        c->setFocus(Qt::OtherFocusReason);
    }
    if (notify == Notify::kYes) {
        ui_internal::RaiseNotify(c, "itemselect", static_cast<quintptr>(index), previous);
    }
}

int ComboBox::CurSel() const {
    auto* c = As<QComboBox>(*this);
    return c == nullptr ? -1 : c->currentIndex();
}

bool Edit::Accepts(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) != nullptr;
}

void Edit::SetMaxChars(int count) {
    if (auto* e = As<QLineEdit>(*this)) {
        e->setMaxLength(count);
    }
}

void Edit::SetDigitsOnly(int count) {
    if (auto* e = As<QLineEdit>(*this)) {
        const QRegularExpression digits(QStringLiteral("[0-9]{0,%1}").arg(count));
        e->setValidator(new QRegularExpressionValidator(digits, e));
    }
}

void Edit::SetReadOnly(bool readOnly) {
    if (auto* e = As<QLineEdit>(*this)) {
        e->setReadOnly(readOnly);
    }
}

void Edit::MoveCaretToEnd() {
    if (auto* e = As<QLineEdit>(*this)) {
        e->end(false);
    }
}

int Edit::CaretPosition() const {
    auto* e = As<QLineEdit>(*this);
    return e == nullptr ? 0 : e->cursorPosition();
}

bool ListBox::Accepts(const QWidget* w) {
    return qobject_cast<const QListWidget*>(w) != nullptr;
}

int ListBox::AddLabel(const QString& text, int height) {
    auto* list = As<QListWidget>(*this);
    if (list == nullptr) {
        return -1;
    }
    const QSignalBlocker blocker(list);
    auto* item = new QListWidgetItem(text, list);
    item->setSizeHint(QSize(0, height));
    ui_internal::ShowCutRowsInToolTips(list);
    return list->count() - 1;
}

Control ListBox::AddRow(const QString& layoutFile, int height) {
    auto* list = As<QListWidget>(*this);
    if (list == nullptr) {
        return Control();
    }
    QString error;
    QWidget* row = ui_internal::LoadLayout(layoutFile, nullptr, &error);
    if (row == nullptr) {
        qCCritical(lcControls).noquote() << "list" << list->objectName() << "row:" << error;
        return Control();
    }
    ui_internal::ApplyTextKeys(row);
    row->setFixedHeight(height);
    const QSignalBlocker blocker(list);
    auto* item = new QListWidgetItem(list);
    item->setSizeHint(QSize(0, height));
    list->setItemWidget(item, row);
    // Clicks on the row's own parts select the row, as a click on a plain row does.
    row->setAttribute(Qt::WA_TransparentForMouseEvents);
    return Control(row);
}

Control ListBox::Row(int index) const {
    auto* list = As<QListWidget>(*this);
    if (list == nullptr || index < 0 || index >= list->count()) {
        return Control();
    }
    return Control(list->itemWidget(list->item(index)));
}

void ListBox::SetItemText(int index, const QString& text) {
    auto* list = As<QListWidget>(*this);
    if (list != nullptr && index >= 0 && index < list->count()) {
        list->item(index)->setText(text);
    }
}

QString ListBox::ItemText(int index) const {
    auto* list = As<QListWidget>(*this);
    if (list == nullptr || index < 0 || index >= list->count()) {
        return {};
    }
    return list->item(index)->text();
}

void ListBox::RemoveAt(int index) {
    auto* list = As<QListWidget>(*this);
    if (list != nullptr && index >= 0 && index < list->count()) {
        const QSignalBlocker blocker(list);
        delete list->takeItem(index);
    }
}

void ListBox::RemoveAll() {
    if (auto* list = As<QListWidget>(*this)) {
        const QSignalBlocker blocker(list);
        list->clear();
    }
}

int ListBox::Count() const {
    auto* list = As<QListWidget>(*this);
    return list == nullptr ? 0 : list->count();
}

void ListBox::Select(int index, TakeFocus focus, Notify notify) {
    auto* list = As<QListWidget>(*this);
    if (list == nullptr) {
        return;
    }
    const int previous = CurSel();
    const int row = index >= 0 && index < list->count() ? index : -1;
    {
        const QSignalBlocker blocker(list);
        list->setCurrentRow(row);
        if (row < 0) {
            list->clearSelection();
        }
    }
    if (focus == TakeFocus::kYes) {
        list->setFocus(Qt::OtherFocusReason);
    }
    ui_internal::TakeLastListRow(list, row);
    if (notify == Notify::kYes) {
        ui_internal::RaiseNotify(list, "itemselect", static_cast<quintptr>(row), previous);
    }
}

// The selected row: a row that is only current (after the focus came, or a row was removed) is
// not one the user chose.
int ListBox::CurSel() const {
    auto* list = As<QListWidget>(*this);
    if (list == nullptr) {
        return -1;
    }
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.constFirst());
}

namespace ui_internal {

int TakeLastListRow(QWidget* list, int row) {
    constexpr const char* kLastRow = "talvoreLastRow";
    const QVariant last = list->property(kLastRow);
    list->setProperty(kLastRow, row);
    return last.isValid() ? last.toInt() : -1;
}

}  // namespace ui_internal

void ListBox::EnsureVisible(int index) {
    auto* list = As<QListWidget>(*this);
    if (list != nullptr && index >= 0 && index < list->count()) {
        list->scrollToItem(list->item(index));
    }
}

bool TabLayout::Accepts(const QWidget* w) {
    return qobject_cast<const QStackedWidget*>(w) != nullptr;
}

void TabLayout::SelectPage(int index) {
    auto* stack = As<QStackedWidget>(*this);
    if (stack == nullptr) {
        return;
    }
    const bool none = index < 0 || index >= stack->count();
    stack->setProperty(kNoPageProperty, none);
    if (!none) {
        stack->setCurrentIndex(index);
    }
    if (QWidget* current = stack->currentWidget()) {
        current->setVisible(!none);
    }
}

int TabLayout::CurPage() const {
    auto* stack = As<QStackedWidget>(*this);
    if (stack == nullptr || stack->property(kNoPageProperty).toBool()) {
        return -1;
    }
    return stack->currentIndex();
}

int TabLayout::PageCount() const {
    auto* stack = As<QStackedWidget>(*this);
    return stack == nullptr ? 0 : stack->count();
}

bool Palette::Accepts(const QWidget* w) {
    return qobject_cast<const ColorPalette*>(w) != nullptr;
}

void Palette::SetSelectColor(quint32 argb) {
    if (auto* p = As<ColorPalette>(*this)) {
        p->SetSelectColor(argb);
    }
}

quint32 Palette::GetSelectColor() const {
    auto* p = As<ColorPalette>(*this);
    return p == nullptr ? 0 : p->GetSelectColor();
}
