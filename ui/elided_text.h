// Texts longer than their control: shown cut with "…" to the width the control has, and cut
// again whenever the control is resized, restyled or gets another font.
#pragma once

#include <QString>

class QListWidget;
class QWidget;

namespace ui_internal {

// Shows `text` on a button or label, cut to its width when it does not fit.
void SetElidedText(QWidget* widget, const QString& text);
// Ends the cutting (a plain text or a language key takes the control over).
void StopEliding(QWidget* widget);
// The whole text of a control that cuts its text; empty when it does not.
QString FullText(const QWidget* widget);

// A list's label rows that do not fit its width are cut with "…" by the list; hovering one shows
// its whole text as a tooltip (rows that fit show none). Installed once per list.
void ShowCutRowsInToolTips(QListWidget* list);

}  // namespace ui_internal
