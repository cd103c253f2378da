// Texts longer than their control: shown cut with "…" to the width the control has, and cut
// again whenever the control is resized, restyled or gets another font.
#pragma once

#include <QString>

class QWidget;

namespace ui_internal {

// Shows `text` on a button or label, cut to its width when it does not fit.
void SetElidedText(QWidget* widget, const QString& text);
// Ends the cutting (a plain text or a language key takes the control over).
void StopEliding(QWidget* widget);
// The whole text of a control that cuts its text; empty when it does not.
QString FullText(const QWidget* widget);

}  // namespace ui_internal
