// The naming rule shared by profiles and macros: a taken name gets "_1", "_2", ... until it is
// free. Names are compared without regard to case.
#pragma once

#include <algorithm>

#include <QSet>
#include <QString>

#include "protocol/utf16_field.h"

// The names in use, folded once so that each lookup is a hash probe: finding a free name among
// n taken ones then takes time linear in n.
class TakenNames {
public:
    void Add(const QString& name) { folded_.insert(name.toCaseFolded()); }
    bool Contains(const QString& name) const { return folded_.contains(name.toCaseFolded()); }

private:
    QSet<QString> folded_;
};

// Returns the wanted name when it is free, else the first free "<base>_<n>" (n = 1, 2, ...).
// The result never holds more than maxLength UTF-16 units and never ends in half a surrogate
// pair: the wanted name is cut to the field, and the base is shortened so that the base and its
// "_n" fit together.
inline QString MakeUniqueName(const QString& wanted, int maxLength, const TakenNames& taken) {
    const QString cut = CutToUnits(wanted, maxLength);
    if (!taken.Contains(cut)) {
        return cut;
    }
    for (int n = 1;; ++n) {
        const QString suffix = QStringLiteral("_%1").arg(n);
        const int room = std::max(0, maxLength - static_cast<int>(suffix.size()));
        const QString candidate = CutToUnits(cut, room) + suffix;
        if (!taken.Contains(candidate)) {
            return candidate;
        }
    }
}
