// The user's profiles: the ordered list of records, the selected one, and pro.data.
//
// pro.data: the selected index (unsigned 32-bit), then every record's 165,024 bytes in list order.
// The window thread edits the list and the records while the apply thread saves the store and
// takes a copy of the current record, so one lock guards the list, the records and the selection.
// Callers that read or edit several things together run their code under it with WithLock().
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include <QString>

#include "macro/import_result.h"
#include "macro/macro_store.h"
#include "macro/store_file.h"
#include "protocol/profile_record.h"

class MacroNameChanges;
class TextLookup;

inline constexpr int kProfileNameMaxLength = kProfileNameUnits - 1;
// A larger file is refused, not read.
inline constexpr qint64 kMaxProfileStoreBytes =
    4 + kMaxProfileCount * static_cast<qint64>(sizeof(ProfileRecord));

// What the program's start found in the data folder.
struct StoreStartReport {
    std::vector<NativePath> keptAside;  // damaged stores moved aside before anything was written
    bool saveFailed = false;            // a store that had to be written could not be
};

class ProfileStore {
public:
    // dataFolder ends in a separator; both store files live in its ms_1/ subfolder. The texts give
    // the default names ("add_profile_text"); they must outlive the store.
    ProfileStore(QString dataFolder, const TextLookup& texts);

    QString FilePath() const;
    NativePath Folder() const;
    MacroStore& Macros() { return macros_; }

    // The program's start: completes an interrupted commit, reads pro.data and macro.data, keeps
    // a store that exists but cannot be used (or holds a damaged tail) aside under a ".damaged"
    // name, and creates pro.data with one default profile when there is no usable one. The stored
    // selection becomes current and forceFullApply is set. A store that could not be kept aside is
    // never written over (its saves fail).
    StoreStartReport LoadProfiles();
    // Reads pro.data only and never writes (readers such as talvorectl's listings). Without a
    // whole record (missing, empty or unusable file) the list is empty. A trailing partial record
    // is left out; an index outside the list selects 0. Busy (and an empty list) when another
    // writer kept the folder locked for the whole wait.
    StoreLoad ReadProfiles();
    // For a writer that changes the stores from what it reads (talvorectl): creates the folder,
    // takes its exclusive lock, completes an interrupted commit and reads both stores; every
    // commit until EndChange() keeps to that lock, so no other writer comes between the reading
    // and the commit. Both loads are Busy (and nothing read) when the lock could not be had.
    struct Loads {
        StoreLoad profiles;
        StoreLoad macros;
    };
    Loads ReadForChange();
    void EndChange();
    // Refuses every save of both stores for good: another program writes this data folder.
    void ForbidSaves();
    // Rewrites pro.data whole. A failure is also passed to the save-failure handler. (It never
    // writes macro.data: the apply thread calls it while the macro editor may be changing the
    // macros on the window thread.)
    StoreWriteResult SaveProfiles() const;
    // Called (on the saving thread) with every failed save of either store.
    void SetSaveFailedHandler(std::function<void(const StoreWriteResult&)> handler);

    // Appends a default profile named "<add_profile_text><count + 1>" (made unique). The
    // selection does not change.
    ProfileRecord& AddDefaultProfile();
    // Whether `more` profiles can still be added without passing kMaxProfileCount.
    bool RoomForProfiles(int more) const;
    bool ProfileNameExists(const QString& name) const;
    QString UniqueProfileName(const QString& wanted) const;

    // The list.
    int Count() const;
    ProfileRecord& At(int index);
    int SelectedIndex() const;
    ProfileRecord* Current();
    // Makes the profile current and sets forceFullApply; false for an index outside the list.
    bool Select(int index);
    // Appends a default profile with the given name (cut to 49 characters) and selects it. Only
    // when RoomForProfiles(1).
    ProfileRecord& AppendProfile(const QString& name);
    // Removes a profile and selects the one now at its place, or the new last one. The last
    // remaining profile is never removed.
    bool RemoveAt(int index);
    // Renames a profile and saves the store.
    StoreWriteResult Rename(int index, const QString& name);

    // Writes one profile's 165,024 bytes to a *.pro file. Writing over a store file is refused.
    StoreWriteResult ExportProfile(int index, const NativePath& path) const;
    // Reads the first record of a *.pro file; a file shorter than one record, or one that is not
    // a regular file, is refused.
    static ImportResult ReadProfileFile(const NativePath& path, ProfileRecord& record);
    // A restore: every profile, the selection and every macro replaced by the given ones in one
    // commit of both files. Each store file there was is first copied aside unchanged, as
    // "<name>.<yyyyMMdd-HHmmss>.replaced" beside it (a damaged one too: the copy is of the file,
    // not of what was read from it). `profiles` must not be empty and `selected` must lie in it.
    // On any failure nothing changes: the lists, the files, and no copy is left.
    struct Replacement {
        StoreWriteResult write;             // the copy or the commit that failed, if one did
        std::vector<NativePath> keptAside;  // the copies of the replaced store files
    };
    Replacement ReplaceStores(std::vector<std::unique_ptr<ProfileRecord>> profiles,
                              uint32_t selected,
                              std::vector<std::unique_ptr<MacroRecord>> macros);

    // Adds a *.pro file as a new profile: a unique name, its macros brought into the macro store,
    // appended and selected, and both stores written in one commit (window thread). A refused
    // file, a store that has no room for the profile or its macros (StoreFull), or a commit that
    // fails (CannotSave), leaves the list, the macros and the files as they were.
    ImportResult ImportProfile(const NativePath& path);
    ImportResult ImportProfileRecord(std::unique_ptr<ProfileRecord> record);

    // After the macro editor: brings every macro copy of every profile in line with the macro
    // store, following the editor's renames when given. Returns whether the current profile had
    // a macro entry to check.
    bool ReconcileMacros(const MacroNameChanges* changes = nullptr);

    // A copy of the current record, taken under the lock; null before the store is loaded.
    std::unique_ptr<ProfileRecord> TakeSnapshotOfCurrent() const;

    void SetForceFullApply(bool force) { forceFullApply_ = force; }
    bool ForceFullApply() const { return forceFullApply_; }
    // Reads and clears the flag in one step, for the apply.
    bool TakeForceFullApply() { return forceFullApply_.exchange(false); }

    template <class F>
    auto WithLock(F&& f) {
        std::lock_guard lock(mutex_);
        return f(*this);
    }

private:
    StoreLoad ReadProfilesLocked();
    // pro.data, and macro.data in the same commit when withMacros.
    StoreWriteResult CommitStores(bool withMacros) const;
    // Copies the store files there are aside under the held lock (ReplaceStores).
    StoreWriteResult CopyStoresAside(std::vector<NativePath>& copies) const;
    bool WriteContent(QIODevice& device) const;
    // Keeps a store file aside; on failure the store's saves are blocked.
    void KeepAsideOrBlock(const NativePath& path, bool& blocked, StoreStartReport& report);

    QString dataFolder_;
    const TextLookup& texts_;
    MacroStore macros_;
    std::function<void(const StoreWriteResult&)> onSaveFailed_;
    // The folder's exclusive lock of a writer between ReadForChange and EndChange.
    std::shared_ptr<const StoreFolderLock> heldLock_;

    mutable std::recursive_mutex mutex_;
    // Writers of the store files take turns under it. A writer takes it before it lets go of
    // mutex_, so copies reach the disk in the order they were taken.
    mutable std::mutex writeMutex_;
    // Owned one by one: a record never moves while the list changes.
    std::vector<std::unique_ptr<ProfileRecord>> profiles_;
    uint32_t selectedIndex_ = 0;
    ProfileRecord* current_ = nullptr;
    bool savesBlocked_ = false;
    bool savesForbidden_ = false;
    std::atomic<bool> forceFullApply_ = false;
};
