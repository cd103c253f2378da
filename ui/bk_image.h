// Background images of controls, given as "skins/x.png" or "res='skins/x.png' dest='l,t,r,b'".
#pragma once

#include <QRect>
#include <QString>

class QWidget;

namespace ui_internal {

struct BkImagePlacement {
    QString file;  // relative to the skin folder
    QRect dest;    // inside the control; invalid = the whole control
};

// Reads either form; an empty file when the text names none.
BkImagePlacement ParseBkImage(const QString& text);

void SetBkImage(QWidget* widget, const QString& text);
QString BkImageOf(const QWidget* widget);

}  // namespace ui_internal
