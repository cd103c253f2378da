// The naming rule shared by profiles and macros: a taken name gets "_1", "_2", ... until it is
// free. Names are compared without regard to case by the caller's predicate.
#pragma once

#include <QString>

// Returns the wanted name when it is free, else the first free "<base>_<n>" (n = 1, 2, ...).
// The result never holds more than maxLength characters: the wanted name is cut to the field, and
// the base is shortened so that the base and its "_n" fit together.
template <class TakenPredicate>
QString MakeUniqueName(const QString& wanted, int maxLength, TakenPredicate isTaken) {
    const QString cut = wanted.left(maxLength);
    if (!isTaken(cut)) {
        return cut;
    }
    for (int n = 1;; ++n) {
        const QString suffix = QStringLiteral("_%1").arg(n);
        const QString candidate = cut.left(maxLength - static_cast<int>(suffix.size())) + suffix;
        if (!isTaken(candidate)) {
            return candidate;
        }
    }
}
