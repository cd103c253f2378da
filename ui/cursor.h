// Where the mouse pointer is, in screen coordinates.
#pragma once

#include <QPoint>

QPoint CursorPosition();
