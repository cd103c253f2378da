// The user's macros: an ordered list kept in <data folder>ms_1/macro.data, 240 bytes per macro,
// back to back, without a header. A macro's position in the list is its macro index.
#pragma once

#include <memory>
#include <vector>

#include <QString>

#include "macro/import_result.h"
#include "macro/macro_record.h"

class TextLookup;

inline constexpr int kMacroNameMaxLength = kMacroNameUnits - 1;

class MacroStore {
public:
    // dataFolder ends in a separator; the store file lives in its ms_1/ subfolder.
    explicit MacroStore(QString dataFolder);

    QString FilePath() const;

    // Replaces the list with the file's records. A missing file gives an empty store; a short
    // last record is completed with zero bytes.
    void Load();
    // Rewrites the file whole, through a temporary file, so a failed write keeps the old one.
    bool Save() const;

    int Count() const { return static_cast<int>(records_.size()); }
    MacroRecord& At(int index) { return *records_.at(static_cast<std::size_t>(index)); }
    const MacroRecord& At(int index) const { return *records_.at(static_cast<std::size_t>(index)); }
    QString NameAt(int index) const;

    // Case-insensitive; FindByName gives the first match or -1.
    bool NameExists(const QString& name) const { return FindByName(name) >= 0; }
    int FindByName(const QString& name) const;
    QString UniqueName(const QString& candidate) const;

    // Appends an empty macro named "<add_macro_text><count + 1>" (made unique) and saves.
    MacroRecord& AddNew(const TextLookup& texts);
    // Appends a record as it is (its name is not checked) without saving; returns its index.
    int Append(const MacroRecord& record);
    void Remove(int index);
    void Rename(MacroRecord& record, const QString& name);
    void UpdateActions(MacroRecord& record, const MacroAction* actions, int count);

    // Adds the first 240 bytes of a *.macro file (missing bytes zero) under a unique name, and
    // saves. A missing, unreadable or empty file adds nothing.
    ImportResult Import(const QString& path);
    // Writes the record's 240 bytes exactly as stored.
    bool Export(int index, const QString& path) const;

private:
    QString dataFolder_;
    // Owned one by one: the editor keeps references to records while the list changes.
    std::vector<std::unique_ptr<MacroRecord>> records_;
};

// The number of actions a macro really carries: actionCount held to 0..46.
int UsableActionCount(const MacroRecord& record);
