#include "macro/editor/typed_number.h"

#include <algorithm>

namespace {
constexpr long long kLimit = 1'000'000'000'000LL;
}

long long TypedNumber(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    for (; i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'); ++i) {
        value = std::min(kLimit, value * 10 + (t[i].unicode() - u'0'));
    }
    return negative ? -value : value;
}
