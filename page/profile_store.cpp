#include "page/profile_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include <QBuffer>

#include "macro/macro_binding.h"
#include "macro/record_check.h"
#include "macro/store_file.h"
#include "macro/unique_name.h"
#include "protocol/utf16_field.h"
#include "sys/text_lookup.h"

namespace {

constexpr qint64 kRecordSize = sizeof(ProfileRecord);
constexpr qint64 kIndexSize = sizeof(uint32_t);

}  // namespace

ProfileStore::ProfileStore(QString dataFolder, const TextLookup& texts)
    : dataFolder_(std::move(dataFolder)), texts_(texts), macros_(dataFolder_) {}

QString ProfileStore::FilePath() const {
    return dataFolder_ + QLatin1String("ms_1/") + QLatin1String(kProfileStoreFileName);
}

NativePath ProfileStore::Folder() const {
    return NativePath(dataFolder_ + QLatin1String("ms_1"));
}

StoreStartReport ProfileStore::LoadProfiles() {
    std::lock_guard lock(mutex_);
    StoreStartReport report;
    forceFullApply_ = true;
    StoreLoad profiles;
    StoreLoad macros;
    {
        // One lock over the completion of an interrupted commit and both reads: they see the
        // same commit.
        StoreFolderLock folderLock(Folder(), StoreFolderLock::Mode::Exclusive);
        if (folderLock.GetState() == StoreFolderLock::State::Busy) {
            profiles_.clear();
            current_ = nullptr;
            profiles = BusyStoreLoad(Folder(), NativePath(FilePath()));
            macros = BusyStoreLoad(Folder(), NativePath(macros_.FilePath()));
        } else {
            RecoverStoreFolder(folderLock);
            profiles = ReadProfilesLocked();
            macros = macros_.LoadLocked();
        }
    }
    savesBlocked_ = false;
    if (profiles.condition == StoreCondition::Busy) {
        // Nothing was read, so nothing may be written: the stores on the disk stay as they are.
        savesBlocked_ = true;
        macros_.BlockSaves();
        report.saveFailed = true;
    } else if (!profiles.Writable()) {
        KeepAsideOrBlock(profiles.path, savesBlocked_, report);
    }
    if (macros.condition != StoreCondition::Busy && !macros.Writable()) {
        bool macrosBlocked = false;
        KeepAsideOrBlock(macros.path, macrosBlocked, report);
        if (macrosBlocked) {
            macros_.BlockSaves();
        }
    }
    if (profiles_.empty()) {
        selectedIndex_ = 0;
        AddDefaultProfile();
        current_ = profiles_.front().get();
    }
    // A new store, or the whole records of a damaged one, is written at once.
    if (profiles.condition != StoreCondition::Whole && !SaveProfiles()) {
        report.saveFailed = true;
    }
    return report;
}

void ProfileStore::KeepAsideOrBlock(const NativePath& path, bool& blocked,
                                    StoreStartReport& report) {
    if (const auto aside = KeepAside(path)) {
        report.keptAside.push_back(*aside);
    } else {
        blocked = true;
        report.saveFailed = true;
    }
}

StoreLoad ProfileStore::ReadProfiles() {
    std::lock_guard lock(mutex_);
    StoreFolderLock folderLock(Folder(), StoreFolderLock::Mode::Shared);
    if (folderLock.GetState() == StoreFolderLock::State::Busy) {
        profiles_.clear();
        current_ = nullptr;
        selectedIndex_ = 0;
        return BusyStoreLoad(Folder(), NativePath(FilePath()));
    }
    return ReadProfilesLocked();
}

ProfileStore::Loads ProfileStore::ReadForChange() {
    std::lock_guard lock(mutex_);
    auto folderLock = TakeStoreFolderForChange(Folder());
    if (!folderLock) {
        profiles_.clear();
        current_ = nullptr;
        selectedIndex_ = 0;
        return {BusyStoreLoad(Folder(), NativePath(FilePath())),
                BusyStoreLoad(Folder(), NativePath(macros_.FilePath()))};
    }
    Loads loads{ReadProfilesLocked(), macros_.LoadLocked()};
    heldLock_ = folderLock;
    macros_.KeepToLock(std::move(folderLock));
    return loads;
}

void ProfileStore::EndChange() {
    std::lock_guard lock(mutex_);
    heldLock_.reset();
    macros_.EndChange();
}

void ProfileStore::ForbidSaves() {
    std::lock_guard lock(mutex_);
    savesForbidden_ = true;
    macros_.ForbidSaves();
}

StoreLoad ProfileStore::ReadProfilesLocked() {
    profiles_.clear();
    current_ = nullptr;
    selectedIndex_ = 0;
    StoreLoad load;
    load.path = StoreFileToRead(Folder(), kProfileStoreFileName);
    RegularFileReader file;
    const FileError error = file.Open(load.path, kMaxProfileStoreBytes);
    if (error == FileError::Missing || (error == FileError::None && file.Size() == 0)) {
        return load;
    }
    load.condition = StoreCondition::Unusable;
    if (error != FileError::None) {
        load.problem = DescribeFileError(error, load.path);
        return load;
    }
    const qint64 size = file.Size();
    if (size < kIndexSize + kRecordSize) {
        load.problem = QStringLiteral("%1 is damaged: its %2 bytes hold no whole profile")
                           .arg(load.path.Display())
                           .arg(size);
        return load;
    }
    uint32_t index = 0;
    if (file.Read(&index, kIndexSize) != kIndexSize) {
        load.problem = DescribeFileError(FileError::Unreadable, load.path);
        return load;
    }
    for (qint64 k = 0; k < (size - kIndexSize) / kRecordSize; ++k) {
        auto record = std::make_unique_for_overwrite<ProfileRecord>();  // the read fills it whole
        if (file.Read(record.get(), kRecordSize) != kRecordSize) {
            profiles_.clear();
            load.problem = DescribeFileError(FileError::Unreadable, load.path);
            return load;
        }
        profiles_.push_back(std::move(record));
    }
    if (const qint64 tail = (size - kIndexSize) % kRecordSize; tail != 0) {
        load.condition = StoreCondition::Partial;
        load.problem =
            QStringLiteral("%1 is damaged: it ends in %2 bytes that are no whole profile")
                .arg(load.path.Display())
                .arg(tail);
    } else {
        load.condition = StoreCondition::Whole;
    }
    selectedIndex_ = index < profiles_.size() ? index : 0;
    current_ = profiles_[selectedIndex_].get();
    return load;
}

bool ProfileStore::WriteContent(QIODevice& device) const {
    if (!WriteAll(device, &selectedIndex_, kIndexSize)) {
        return false;
    }
    return std::all_of(profiles_.begin(), profiles_.end(), [&](const auto& record) {
        return WriteAll(device, record.get(), kRecordSize);
    });
}

StoreWriteResult ProfileStore::SaveProfiles() const {
    return CommitStores(false);
}

StoreWriteResult ProfileStore::CommitStores(bool withMacros) const {
    std::unique_lock lock(mutex_);
    StoreWriteResult result{savesForbidden_ ? FileError::Busy : FileError::Unwritable,
                            NativePath(FilePath())};
    const auto onFailed = onSaveFailed_;
    if (savesBlocked_ || savesForbidden_ || (withMacros && macros_.SavesBlocked())) {
        if (onFailed) {
            onFailed(result);
        }
        return result;
    }
    const auto commit = [this, held = heldLock_](const std::vector<StoreFileContent>& files) {
        return held ? CommitStoreFiles(*held, files) : CommitStoreFiles(Folder(), files);
    };
    std::unique_lock writing(writeMutex_);
    if (withMacros) {
        // An import's two files are written under the lock until both are in place.
        result = commit(
            {{kProfileStoreFileName, [this](QIODevice& f) { return WriteContent(f); }},
             {kMacroStoreFileName, [this](QIODevice& f) { return macros_.WriteContent(f); }}});
        if (result.Ok()) {
            macros_.MarkSaved();
        }
    } else {
        // The bytes are taken under the lock and written after it, so the window goes on
        // editing while a large store reaches the disk.
        QByteArray content;
        QBuffer buffer(&content);
        buffer.open(QIODevice::WriteOnly);
        const bool takenWhole = WriteContent(buffer);
        lock.unlock();
        if (takenWhole) {
            result = commit({{kProfileStoreFileName, [&content](QIODevice& f) {
                                  return f.write(content) == content.size();
                              }}});
        }
    }
    writing.unlock();
    if (!result.Ok() && onFailed) {
        onFailed(result);
    }
    return result;
}

void ProfileStore::SetSaveFailedHandler(std::function<void(const StoreWriteResult&)> handler) {
    std::lock_guard lock(mutex_);
    onSaveFailed_ = handler;
    macros_.SetSaveFailedHandler(std::move(handler));
}

ProfileRecord& ProfileStore::AddDefaultProfile() {
    std::lock_guard lock(mutex_);
    const QString wanted =
        texts_.Text(QStringLiteral("add_profile_text")) + QString::number(profiles_.size() + 1);
    profiles_.push_back(CreateBlankRecord(UniqueProfileName(wanted)));
    return *profiles_.back();
}

bool ProfileStore::RoomForProfiles(int more) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(profiles_.size()) + more <= kMaxProfileCount;
}

bool ProfileStore::ProfileNameExists(const QString& name) const {
    std::lock_guard lock(mutex_);
    return std::any_of(profiles_.begin(), profiles_.end(), [&](const auto& record) {
        return ProfileName(*record).compare(name, Qt::CaseInsensitive) == 0;
    });
}

QString ProfileStore::UniqueProfileName(const QString& wanted) const {
    std::lock_guard lock(mutex_);
    TakenNames taken;
    for (const auto& record : profiles_) {
        taken.Add(ProfileName(*record));
    }
    return MakeUniqueName(wanted, kProfileNameMaxLength, taken);
}

int ProfileStore::Count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(profiles_.size());
}

ProfileRecord& ProfileStore::At(int index) {
    std::lock_guard lock(mutex_);
    return *profiles_.at(static_cast<std::size_t>(index));
}

int ProfileStore::SelectedIndex() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(selectedIndex_);
}

ProfileRecord* ProfileStore::Current() {
    std::lock_guard lock(mutex_);
    return current_;
}

bool ProfileStore::Select(int index) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= Count()) {
        return false;
    }
    selectedIndex_ = static_cast<uint32_t>(index);
    current_ = profiles_[selectedIndex_].get();
    forceFullApply_ = true;
    return true;
}

ProfileRecord& ProfileStore::AppendProfile(const QString& name) {
    std::lock_guard lock(mutex_);
    profiles_.push_back(CreateBlankRecord(name));
    Select(Count() - 1);
    return *profiles_.back();
}

bool ProfileStore::RemoveAt(int index) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= Count() || Count() == 1) {
        return false;
    }
    profiles_.erase(profiles_.begin() + index);
    Select(std::min(index, Count() - 1));
    return true;
}

StoreWriteResult ProfileStore::Rename(int index, const QString& name) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= Count()) {
        return {FileError::Missing, NativePath(FilePath())};
    }
    SetProfileName(*profiles_[static_cast<std::size_t>(index)], name);
    return SaveProfiles();
}

StoreWriteResult ProfileStore::ExportProfile(int index, const NativePath& path) const {
    // Copied under the lock, written outside it: a slow disk must not hold up the apply.
    std::unique_ptr<ProfileRecord> copy;
    {
        std::lock_guard lock(mutex_);
        if (index < 0 || index >= static_cast<int>(profiles_.size())) {
            return {FileError::Missing, path};
        }
        copy = std::make_unique<ProfileRecord>(*profiles_[static_cast<std::size_t>(index)]);
    }
    if (IsStoreFile(Folder(), path)) {
        return {FileError::IsStore, path};
    }
    return {WriteFileAtomically(
                path, [&](QIODevice& file) { return WriteAll(file, copy.get(), kRecordSize); }),
            path};
}

ImportResult ProfileStore::ReadProfileFile(const NativePath& path, ProfileRecord& record) {
    ImportResult result;
    QByteArray bytes;
    if (const FileError error = ReadFileStart(path, kRecordSize, bytes); error != FileError::None) {
        result.error = ImportErrorOf(error);
    } else if (bytes.size() < kRecordSize) {
        result.error = ImportError::TooShort;
    } else {
        std::memcpy(&record, bytes.constData(), static_cast<std::size_t>(kRecordSize));
        result.name = ProfileName(record);
    }
    return result;
}

ImportResult ProfileStore::ImportProfile(const NativePath& path) {
    auto record = std::make_unique<ProfileRecord>();
    ImportResult result = ReadProfileFile(path, *record);
    if (!result.Ok()) {
        return result;
    }
    return ImportProfileRecord(std::move(record));
}

ImportResult ProfileStore::ImportProfileRecord(std::unique_ptr<ProfileRecord> record) {
    ImportResult result;
    // Whoever read the record, nothing the page and the mouse do not take gets in.
    if (auto fault = CheckProfileRecord(*record)) {
        result.error = ImportError::Refused;
        result.fault = std::move(fault);
        return result;
    }
    std::lock_guard lock(mutex_);
    // A store larger than its readers accept would be refused whole at the next reading.
    if (!RoomForProfiles(1) || !macros_.RoomFor(MacroButtonCount(*record))) {
        result.error = ImportError::StoreFull;
        return result;
    }
    const QString stored = ProfileName(*record);
    // A name without its NUL is cut to the field; a taken one gets its "_n".
    if (FieldUnterminated(record->profileName) || ProfileNameExists(stored)) {
        SetProfileName(*record, UniqueProfileName(stored));
    }
    // What the import changes, so that a failed commit can take it back.
    const int macroCount = macros_.Count();
    const bool macrosDirty = macros_.Dirty();
    const uint32_t selected = selectedIndex_;
    ProfileRecord* current = current_;
    const bool forceFull = forceFullApply_;

    const bool withMacros = ImportProfileMacros(*record, macros_) > 0 || macrosDirty;
    const QString name = ProfileName(*record);
    profiles_.push_back(std::move(record));
    Select(Count() - 1);
    // The profile and the macros its buttons name reach the disk together or not at all.
    if (StoreWriteResult saved = CommitStores(withMacros); !saved) {
        profiles_.pop_back();
        macros_.UndoAppends(macroCount, macrosDirty);
        selectedIndex_ = selected;
        current_ = current;
        forceFullApply_ = forceFull;
        result.error = ImportError::CannotSave;
        result.failure = std::move(saved);
        return result;
    }
    result.name = name;
    result.index = Count() - 1;
    return result;
}

StoreWriteResult ProfileStore::CopyStoresAside(std::vector<NativePath>& copies) const {
    std::vector<NativePath> present;
    for (const char* name : {kProfileStoreFileName, kMacroStoreFileName}) {
        const NativePath path = Folder().Child(name);
        struct stat info {};
        if (::lstat(path.CStr(), &info) == 0) {
            present.push_back(path);
        }
    }
    const auto names = FreeAsideNames(present, "replaced");
    if (!names) {
        return {FileError::Unwritable, Folder()};
    }
    for (std::size_t i = 0; i < present.size(); ++i) {
        // Read through a link: the copy holds what the store held, not a link to the new one.
        QByteArray bytes;
        if (const FileError error = ReadWholeFile(present[i], -1, bytes); error != FileError::None) {
            return {error, present[i]};
        }
        const FileError error = WriteFileAtomically(
            (*names)[i],
            [&bytes](QIODevice& file) { return WriteAll(file, bytes.constData(), bytes.size()); },
            present[i]);
        if (error != FileError::None) {
            return {error, (*names)[i]};
        }
        copies.push_back((*names)[i]);
    }
    return {};
}

ProfileStore::Replacement ProfileStore::ReplaceStores(
    std::vector<std::unique_ptr<ProfileRecord>> profiles, uint32_t selected,
    std::vector<std::unique_ptr<MacroRecord>> macros) {
    std::lock_guard lock(mutex_);
    Replacement replacement;
    if (profiles.empty() || selected >= profiles.size()) {
        replacement.write = {FileError::Unreadable, NativePath(FilePath())};
        return replacement;
    }
    if (savesForbidden_) {
        replacement.write = {FileError::Busy, NativePath(FilePath())};
        return replacement;
    }
    std::lock_guard writing(writeMutex_);
    std::shared_ptr<const StoreFolderLock> held = heldLock_;
    if (!held) {
        held = TakeStoreFolderForChange(Folder());
        if (!held) {
            replacement.write = {FileError::Busy, NativePath(FilePath())};
            return replacement;
        }
    }
    const auto forgetCopies = [&replacement] {
        for (const NativePath& copy : replacement.keptAside) {
            ::unlink(copy.CStr());
        }
        replacement.keptAside.clear();
    };
    if (replacement.write = CopyStoresAside(replacement.keptAside); !replacement.write) {
        forgetCopies();
        return replacement;
    }
    const auto writeProfiles = [&](QIODevice& file) {
        return WriteAll(file, &selected, kIndexSize) &&
               std::all_of(profiles.begin(), profiles.end(), [&](const auto& record) {
                   return WriteAll(file, record.get(), kRecordSize);
               });
    };
    const auto writeMacros = [&](QIODevice& file) {
        return std::all_of(macros.begin(), macros.end(), [&](const auto& record) {
            return WriteAll(file, record.get(), sizeof(MacroRecord));
        });
    };
    replacement.write = CommitStoreFiles(
        *held, {{kProfileStoreFileName, writeProfiles}, {kMacroStoreFileName, writeMacros}});
    if (!replacement.write) {
        forgetCopies();
        return replacement;
    }
    profiles_ = std::move(profiles);
    selectedIndex_ = selected;
    current_ = profiles_[selected].get();
    savesBlocked_ = false;
    forceFullApply_ = true;
    macros_.ReplaceRecords(std::move(macros));
    return replacement;
}

bool ProfileStore::ReconcileMacros(const MacroNameChanges* changes) {
    std::lock_guard lock(mutex_);
    bool currentConsidered = false;
    for (const auto& record : profiles_) {
        const bool considered = ReconcileMacroEntries(*record, macros_, changes);
        if (record.get() == current_) {
            currentConsidered = considered;
        }
    }
    return currentConsidered;
}

std::unique_ptr<ProfileRecord> ProfileStore::TakeSnapshotOfCurrent() const {
    std::lock_guard lock(mutex_);
    return current_ == nullptr ? nullptr : std::make_unique<ProfileRecord>(*current_);
}
