#include "macro/macro_name_changes.h"

#include "macro/macro_store.h"

MacroNameChanges::MacroNameChanges(const MacroStore& store) {
    origins_.reserve(static_cast<std::size_t>(store.Count()));
    for (int i = 0; i < store.Count(); ++i) {
        origins_.push_back({store.NameAt(i), store.NameAt(i)});
    }
}

// The first macro of those the editor started with that bears the name now (a loaded store may
// hold a name twice; lookups by name always take the first).
MacroNameChanges::Origin* MacroNameChanges::Holding(const QString& nameNow) {
    for (Origin& origin : origins_) {
        if (origin.nameNow && origin.nameNow->compare(nameNow, Qt::CaseInsensitive) == 0) {
            return &origin;
        }
    }
    return nullptr;
}

void MacroNameChanges::Renamed(const QString& from, const QString& to) {
    if (Origin* origin = Holding(from)) {
        origin->nameNow = to;
    }
}

void MacroNameChanges::Deleted(const QString& name) {
    if (Origin* origin = Holding(name)) {
        origin->nameNow.reset();
    }
}

MacroNameChanges::Fate MacroNameChanges::FateOf(const QString& oldName, QString* nameNow) const {
    for (const Origin& origin : origins_) {
        if (origin.oldName.compare(oldName, Qt::CaseInsensitive) != 0) {
            continue;
        }
        if (!origin.nameNow) {
            return Fate::Gone;
        }
        if (nameNow != nullptr) {
            *nameNow = *origin.nameNow;
        }
        return Fate::Kept;
    }
    return Fate::Unknown;
}
