#include "sim/panel/panel_placement.h"

#include <algorithm>

namespace sim {

QPoint PlaceBeside(const QRect& besides, const QSize& panel, const QRect& available) {
    int x = besides.right() + 1 + kPanelGap;
    if (x + panel.width() > available.right() + 1) {
        const int left = besides.left() - kPanelGap - panel.width();
        x = left >= available.left() ? left : available.right() + 1 - panel.width();
    }
    x = std::max(x, available.left());
    int y = std::min(besides.top(), available.bottom() + 1 - panel.height());
    y = std::max(y, available.top());
    return {x, y};
}

}  // namespace sim
