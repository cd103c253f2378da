#include "ui/cursor.h"

#include <QCursor>

QPoint CursorPosition() {
    return QCursor::pos();
}
