// The top-level widgets of every live window and menu, for language switches.
#pragma once

#include <QList>

class QWidget;

namespace ui_internal {
void RegisterTextRoot(QWidget* root);  // forgotten automatically when the widget is destroyed
QList<QWidget*> TextRoots();
}  // namespace ui_internal
