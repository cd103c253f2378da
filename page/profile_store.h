// The user's profiles: the ordered list of records, the selected one, and pro.data.
//
// pro.data: the selected index (unsigned 32-bit), then every record's 165,024 bytes in list order.
// The window thread edits the list and the records while the apply thread saves the store and
// takes a copy of the current record, so one lock guards the list, the records and the selection.
// Callers that read or edit several things together run their code under it with WithLock().
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include <QString>

#include "macro/import_result.h"
#include "macro/macro_store.h"
#include "protocol/profile_record.h"

class TextLookup;

inline constexpr int kProfileNameMaxLength = kProfileNameUnits - 1;

class ProfileStore {
public:
    // dataFolder ends in a separator; both store files live in its ms_1/ subfolder. The texts give
    // the default names ("add_profile_text"); they must outlive the store.
    ProfileStore(QString dataFolder, const TextLookup& texts);

    QString FilePath() const;
    MacroStore& Macros() { return macros_; }

    // Reads pro.data, creating it with one default profile when there is no usable one, then
    // loads the macro store; the stored selection becomes current and forceFullApply is set.
    void LoadProfiles();
    // Reads pro.data only. False, with an empty list, when the file is missing, empty or holds no
    // complete record. A trailing partial record is dropped; an index outside the list selects 0.
    bool ReadProfiles();
    // Rewrites pro.data whole through a temporary file; false when it could not be written.
    bool SaveProfiles() const;

    // Appends a default profile named "<add_profile_text><count + 1>" (made unique). The
    // selection does not change.
    ProfileRecord& AddDefaultProfile();
    bool ProfileNameExists(const QString& name) const;
    QString UniqueProfileName(const QString& wanted) const;

    // The list.
    int Count() const;
    ProfileRecord& At(int index);
    int SelectedIndex() const;
    ProfileRecord* Current();
    // Makes the profile current and sets forceFullApply; false for an index outside the list.
    bool Select(int index);
    // Appends a default profile with the given name (cut to 49 characters) and selects it.
    ProfileRecord& AppendProfile(const QString& name);
    // Removes a profile and selects the one now at its place, or the new last one. The last
    // remaining profile is never removed.
    bool RemoveAt(int index);
    // Renames a profile and saves the store.
    bool Rename(int index, const QString& name);

    // Writes one profile's 165,024 bytes to a *.pro file.
    bool ExportProfile(int index, const QString& path) const;
    // Reads the first record of a *.pro file; a file shorter than one record is refused.
    static ImportResult ReadProfileFile(const QString& path, ProfileRecord& record);
    // Adds a *.pro file as a new profile: a unique name, its macros brought into the macro store
    // (saved when one was added), appended and selected. A refused file adds nothing.
    ImportResult ImportProfile(const QString& path);
    ImportResult ImportProfileRecord(std::unique_ptr<ProfileRecord> record);

    // After the macro editor: brings every macro copy of every profile in line with the macro
    // store. Returns whether the current profile had a macro entry to check.
    bool ReconcileMacros();

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
    QString dataFolder_;
    const TextLookup& texts_;
    MacroStore macros_;

    mutable std::recursive_mutex mutex_;
    // Owned one by one: a record never moves while the list changes.
    std::vector<std::unique_ptr<ProfileRecord>> profiles_;
    uint32_t selectedIndex_ = 0;
    ProfileRecord* current_ = nullptr;
    std::atomic<bool> forceFullApply_ = false;
};
