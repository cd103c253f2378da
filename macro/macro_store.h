// The user's macros: an ordered list kept in <data folder>ms_1/macro.data, 240 bytes per macro,
// back to back, without a header. A macro's position in the list is its macro index.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QString>

#include "base/macro_record.h"
#include "macro/import_result.h"
#include "macro/store_file.h"

class TextLookup;

inline constexpr int kMacroNameMaxLength = kMacroNameUnits - 1;
// A larger file is refused, not read.
inline constexpr qint64 kMaxMacroStoreBytes =
    kMaxMacroCount * static_cast<qint64>(sizeof(MacroRecord));

class MacroStore {
public:
    // dataFolder ends in a separator; the store file lives in its ms_1/ subfolder.
    explicit MacroStore(QString dataFolder);

    QString FilePath() const;
    NativePath Folder() const;

    // Replaces the list with the file's records, reading through an unfinished commit and never
    // writing. A missing or empty file gives an empty store; a short last record is completed
    // with zero bytes. A file that cannot be used (not a regular file, unreadable, too large)
    // gives an empty store and the Unusable condition; a folder another writer kept locked for
    // the whole wait, an empty store and Busy.
    StoreLoad Load();
    // The same for a caller that already holds the folder's lock.
    StoreLoad LoadLocked();
    // For a writer that changes the store from what it reads (talvorectl): creates the folder,
    // takes its exclusive lock, completes an interrupted commit and reads the store; every save
    // until EndChange() keeps to that lock, so no other writer comes between the reading and the
    // commit. Busy (and nothing read) when the lock could not be had.
    StoreLoad ReadForChange();
    // Saves from now on take the lock again each time.
    void EndChange() { heldLock_.reset(); }
    // Saves go under a lock the caller holds (the profile store's, for a change of both stores).
    void KeepToLock(std::shared_ptr<const StoreFolderLock> lock) { heldLock_ = std::move(lock); }

    // Rewrites the file whole, so that a failed write keeps the old one. A failure is also
    // passed to the save-failure handler.
    StoreWriteResult Save() const;
    // Called (on the saving thread) with every failed save of this store.
    void SetSaveFailedHandler(std::function<void(const StoreWriteResult&)> handler);
    // Refuses every save until the next load: the file in place holds something that must not
    // be overwritten (it could not be kept aside, or could not be read).
    void BlockSaves() { blocked_ = true; }
    // Refuses every save for good: another program writes this data folder.
    void ForbidSaves() { forbidden_ = true; }
    bool SavesBlocked() const { return blocked_ || forbidden_; }
    // Changes not written yet (a failed save, or records appended without saving).
    bool Dirty() const { return dirty_; }
    // The file's content, for a commit together with pro.data; MarkSaved() once it is in place.
    bool WriteContent(QIODevice& device) const;
    void MarkSaved() const { dirty_ = false; }

    int Count() const { return static_cast<int>(records_.size()); }
    // Whether `more` macros can still be added without passing kMaxMacroCount.
    bool RoomFor(int more) const { return Count() + more <= kMaxMacroCount; }
    MacroRecord& At(int index) { return *records_.at(static_cast<std::size_t>(index)); }
    const MacroRecord& At(int index) const { return *records_.at(static_cast<std::size_t>(index)); }
    QString NameAt(int index) const;

    // Case-insensitive; FindByName gives the first match or -1.
    bool NameExists(const QString& name) const { return FindByName(name) >= 0; }
    int FindByName(const QString& name) const;
    QString UniqueName(const QString& candidate) const;

    // Appends an empty macro named "<add_macro_text><count + 1>" (made unique) and saves. Only
    // when RoomFor(1).
    MacroRecord& AddNew(const TextLookup& texts);
    // Appends a record as it is (its name is not checked) without saving; returns its index.
    int Append(const MacroRecord& record);
    // Puts these records in place of the whole list, as the file now holds them (a restore,
    // which wrote the file itself).
    void ReplaceRecords(std::vector<std::unique_ptr<MacroRecord>> records);
    // Takes back what was appended since the store held `count` records and had the given
    // unsaved state (an import whose commit failed).
    void UndoAppends(int count, bool wasDirty);
    void Remove(int index);
    void Rename(MacroRecord& record, const QString& name);
    void UpdateActions(MacroRecord& record, const MacroAction* actions, int count);

    // Adds the first 240 bytes of a *.macro file under a unique name, and saves. A missing,
    // unreadable, short or non-regular file adds nothing (a *.macro holds one whole record); so
    // do one the record check refuses (Refused, with the fault), a full store (StoreFull) and a
    // failed save (CannotSave), which leave the list as it was.
    ImportResult Import(const NativePath& path);
    // The two halves of Import: reading the file (the bytes, or the error), and adding them.
    static ImportResult ReadMacroFile(const NativePath& path, QByteArray& bytes);
    ImportResult ImportBytes(const QByteArray& bytes);
    // Writes the record's 240 bytes exactly as stored. Writing over a store file is refused.
    StoreWriteResult Export(int index, const NativePath& path) const;

private:
    QString dataFolder_;
    // Owned one by one: the editor keeps references to records while the list changes.
    std::vector<std::unique_ptr<MacroRecord>> records_;
    std::function<void(const StoreWriteResult&)> onSaveFailed_;
    std::shared_ptr<const StoreFolderLock> heldLock_;
    bool blocked_ = false;
    bool forbidden_ = false;
    mutable bool dirty_ = false;
};

// A writer's hold on a store folder from its reading to its commit: the folder created, its
// exclusive lock taken and an interrupted commit completed; null when that could not be done.
std::shared_ptr<const StoreFolderLock> TakeStoreFolderForChange(const NativePath& folder);

// A store not read because its folder's lock could not be had (or the folder not created).
StoreLoad BusyStoreLoad(const NativePath& folder, const NativePath& file);

// The number of actions a macro really carries: actionCount held to 0..46.
int UsableActionCount(const MacroRecord& record);

// The ImportError for a file that could not be read.
ImportError ImportErrorOf(FileError error);
