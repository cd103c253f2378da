// What the macro editor did to the names of the macros that existed when it opened: renamed
// (perhaps several times) or deleted. The buttons of every profile follow their macro through a
// rename instead of losing it, and fall back to their default function when it was deleted.
#pragma once

#include <optional>
#include <vector>

#include <QString>

class MacroStore;

class MacroNameChanges {
public:
    // Remembers the store's names as they are now.
    explicit MacroNameChanges(const MacroStore& store);

    // The macro now named `from` (compared without regard to case) is called `to` from now on.
    void Renamed(const QString& from, const QString& to);
    // The macro now named `name` is gone.
    void Deleted(const QString& name);

    enum class Fate { Unknown, Kept, Gone };
    // What became of the macro a button names by its name from before the editor opened: Kept
    // with its name now, Gone, or Unknown for a name the store did not hold then.
    Fate FateOf(const QString& oldName, QString* nameNow = nullptr) const;

private:
    struct Origin {
        QString oldName;
        std::optional<QString> nameNow;  // none once deleted
    };
    Origin* Holding(const QString& nameNow);
    std::vector<Origin> origins_;
};
