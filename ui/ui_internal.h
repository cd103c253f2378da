// Helpers shared by the library's own files; window code does not include this.
#pragma once

#include <QString>
#include <QtGlobal>

class QComboBox;
class QWidget;

namespace ui_internal {

// Sends a notification from `sender` to the receiver of its window (nothing when the widget
// belongs to no window of ours).
void RaiseNotify(QWidget* sender, const char* type, quintptr wParam = 0, qintptr lParam = 0);

// The critical log line (and, in debug builds, the stop) for a control a layout lacks.
void ReportLayoutError(const QWidget* scope, const QString& name, const char* kind, bool wrongKind);

// The text of a language key, or the key itself when the language has none.
QString DisplayText(const QString& key);
void SetWidgetText(QWidget* widget, const QString& text);
QString WidgetText(const QWidget* widget);
// Shows the language text of every widget under `root` (root included) that holds a key.
void ApplyTextKeys(QWidget* root);
// Shows the language texts of a combo box's items ("itemKeys": one key per item).
void ApplyItemKeys(QComboBox* combo);

// Loads again, through the current theme's images, every image a layout gave a widget.
void ReloadSkinImages(QWidget* root);
// The image of the skin folder a layout gave `widget` ("skins/close.svg"), empty for none.
QString SkinImageOf(const QWidget* widget);
// The row a list reported chosen last (-1 none), replaced by `row`.
int TakeLastListRow(QWidget* list, int row);

// Builds a widget tree from a layout file of the skin folder; null with `error` set on failure.
QWidget* LoadLayout(const QString& file, QWidget* parent, QString* error);

}  // namespace ui_internal
