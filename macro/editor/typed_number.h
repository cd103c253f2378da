// Numbers the user types into edit boxes are read as plain decimals: leading digits count, the
// rest is ignored, and text without digits reads as 0.
#pragma once

#include <QString>

// Held to +-10^12, far beyond any box's range, so nothing overflows.
long long TypedNumber(const QString& text);
