// Where the panel goes on the screen: beside the program's main window, never off the screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace sim {

inline constexpr int kPanelGap = 12;

// To the right of `besides` when the panel fits there, else to its left, else against the right
// edge of `available`; top-aligned with `besides` and kept inside `available` as far as it fits.
QPoint PlaceBeside(const QRect& besides, const QSize& panel, const QRect& available);

}  // namespace sim
