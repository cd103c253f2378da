#include "ui/control.h"

#include <QAbstractButton>
#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QVariant>
#include <QWidget>

#include "ui/bk_image.h"
#include "ui/elided_text.h"
#include "ui/ui_internal.h"

namespace {
constexpr const char* kTextKeyProperty = "textKey";
constexpr const char* kBkColorProperty = "bkColor";
constexpr const char* kUserDataProperty = "userData";
// On a QComboBox: one language key per item, in item order.
constexpr const char* kItemKeysProperty = "itemKeys";
}  // namespace

bool Control::Accepts(const QWidget* widget) {
    return widget != nullptr;
}

Control::Control(QWidget* widget) : object_(widget) {}

QWidget* Control::Widget() const {
    return static_cast<QWidget*>(object_.data());
}

QString Control::Name() const {
    return IsNull() ? QString() : object_->objectName();
}

void Control::SetVisible(bool visible) {
    if (QWidget* w = Widget()) {
        w->setVisible(visible);
    }
}

bool Control::IsVisible() const {
    const QWidget* w = Widget();
    return w != nullptr && !w->isHidden();
}

void Control::SetEnabled(bool enabled) {
    if (QWidget* w = Widget()) {
        w->setEnabled(enabled);
    }
}

bool Control::IsEnabled() const {
    const QWidget* w = Widget();
    return w != nullptr && w->isEnabled();
}

void Control::SetText(const QString& text) {
    if (QWidget* w = Widget()) {
        ui_internal::StopEliding(w);
        w->setProperty(kTextKeyProperty, QVariant());
        ui_internal::SetWidgetText(w, text);
    }
}

QString Control::Text() const {
    const QWidget* w = Widget();
    if (w == nullptr) {
        return QString();
    }
    const QString full = ui_internal::FullText(w);
    return full.isNull() ? ui_internal::WidgetText(w) : full;
}

void Control::SetElidedText(const QString& text) {
    if (QWidget* w = Widget()) {
        w->setProperty(kTextKeyProperty, QVariant());
        ui_internal::SetElidedText(w, text);
    }
}

void Control::SetTextKey(const QString& key) {
    if (QWidget* w = Widget()) {
        ui_internal::StopEliding(w);
        w->setProperty(kTextKeyProperty, key);
        ui_internal::SetWidgetText(w, ui_internal::DisplayText(key));
    }
}

QString Control::TextKey() const {
    const QWidget* w = Widget();
    return w == nullptr ? QString() : w->property(kTextKeyProperty).toString();
}

void Control::SetToolTip(const QString& text) {
    if (QWidget* w = Widget()) {
        w->setToolTip(text);
    }
}

void Control::SetBkColor(quint32 argb) {
    QWidget* w = Widget();
    if (w == nullptr) {
        return;
    }
    const QColor c = QColor::fromRgba(argb);
    w->setProperty(kBkColorProperty, argb);
    // A style sheet on the widget itself wins over the theme's rules for its kind.
    w->setStyleSheet(QStringLiteral("background-color: rgba(%1, %2, %3, %4);")
                         .arg(c.red())
                         .arg(c.green())
                         .arg(c.blue())
                         .arg(c.alpha()));
}

quint32 Control::BkColor() const {
    const QWidget* w = Widget();
    return w == nullptr ? 0 : w->property(kBkColorProperty).toUInt();
}

void Control::SetBkImage(const QString& image) {
    if (QWidget* w = Widget()) {
        ui_internal::SetBkImage(w, image);
    }
}

QString Control::BkImage() const {
    const QWidget* w = Widget();
    return w == nullptr ? QString() : ui_internal::BkImageOf(w);
}

void Control::SetFocus() {
    if (QWidget* w = Widget()) {
        w->setFocus(Qt::OtherFocusReason);
    }
}

bool Control::HasFocus() const {
    const QWidget* w = Widget();
    return w != nullptr && w->hasFocus();
}

void Control::SetFixedHeight(int height) {
    if (QWidget* w = Widget()) {
        w->setFixedHeight(height);
    }
}

QString Control::ToolTip() const {
    const QWidget* w = Widget();
    return w == nullptr ? QString() : w->toolTip();
}

QRect Control::Geometry() const {
    const QWidget* w = Widget();
    if (w == nullptr) {
        return {};
    }
    return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size());
}

QString Control::UserData() const {
    const QWidget* w = Widget();
    return w == nullptr ? QString() : w->property(kUserDataProperty).toString();
}

void Control::SetUserData(const QString& data) {
    if (QWidget* w = Widget()) {
        w->setProperty(kUserDataProperty, data);
    }
}

void Control::SetStyleState(const char* name, const QString& value) {
    QWidget* w = Widget();
    if (w == nullptr || StyleState(name) == value) {
        return;
    }
    w->setProperty(name, value.isEmpty() ? QVariant() : QVariant(value));
    // Style sheets match properties when a widget is polished: polish it again for the new state.
    w->style()->unpolish(w);
    w->style()->polish(w);
    w->update();
}

QString Control::StyleState(const char* name) const {
    const QWidget* w = Widget();
    return w == nullptr ? QString() : w->property(name).toString();
}

QWidget* Control::FindChildWidget(const QString& name, bool (*accepts)(const QWidget*),
                                  const char* kind) const {
    const QWidget* w = Widget();
    if (w == nullptr) {
        return nullptr;
    }
    QWidget* child = w->findChild<QWidget*>(name);
    if (child == nullptr || !accepts(child)) {
        ui_internal::ReportLayoutError(w, name, kind, child != nullptr);
        return nullptr;
    }
    return child;
}

namespace ui_internal {

void SetWidgetText(QWidget* widget, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->setPlaceholderText(text);
    } else {
        widget->setToolTip(text);
    }
}

QString WidgetText(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return edit->text();
    }
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) {
        return group->title();
    }
    if (auto* combo = qobject_cast<const QComboBox*>(widget)) {
        return combo->currentText();
    }
    return widget->toolTip();
}

void ApplyTextKeys(QWidget* root) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        const QString key = w->property(kTextKeyProperty).toString();
        if (!key.isEmpty()) {
            SetWidgetText(w, DisplayText(key));
        }
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            ApplyItemKeys(combo);
        }
    }
}

// Designer cannot give combo box items a dynamic property, so the keys of a combo box's items
// sit in one string list on the combo box; items the form lacks are added.
void ApplyItemKeys(QComboBox* combo) {
    const QStringList keys = combo->property(kItemKeysProperty).toStringList();
    for (int i = 0; i < keys.size(); ++i) {
        if (i < combo->count()) {
            combo->setItemText(i, DisplayText(keys[i]));
        } else {
            combo->addItem(DisplayText(keys[i]));
        }
    }
}

}  // namespace ui_internal
