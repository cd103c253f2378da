#include "macro/macro_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "macro/record_check.h"
#include "macro/unique_name.h"
#include "protocol/utf16_field.h"
#include "sys/text_lookup.h"

namespace {

constexpr qint64 kRecordSize = sizeof(MacroRecord);

// A record from up to 240 bytes; bytes missing at the end are zero.
std::unique_ptr<MacroRecord> RecordFromBytes(const char* data, qint64 size) {
    auto record = std::make_unique<MacroRecord>();  // value-initialised: all zero
    std::memcpy(record.get(), data, static_cast<std::size_t>(std::min(size, kRecordSize)));
    return record;
}

}  // namespace

MacroStore::MacroStore(QString dataFolder) : dataFolder_(std::move(dataFolder)) {}

QString MacroStore::FilePath() const {
    return dataFolder_ + QLatin1String("ms_1/") + QLatin1String(kMacroStoreFileName);
}

NativePath MacroStore::Folder() const {
    return NativePath(dataFolder_ + QLatin1String("ms_1"));
}

StoreLoad MacroStore::Load() {
    StoreFolderLock lock(Folder(), StoreFolderLock::Mode::Shared);
    if (lock.GetState() == StoreFolderLock::State::Busy) {
        records_.clear();
        return BusyStoreLoad(Folder(), NativePath(FilePath()));
    }
    return LoadLocked();
}

StoreLoad MacroStore::ReadForChange() {
    records_.clear();
    auto lock = TakeStoreFolderForChange(Folder());
    if (!lock) {
        return BusyStoreLoad(Folder(), NativePath(FilePath()));
    }
    heldLock_ = std::move(lock);
    return LoadLocked();
}

StoreLoad MacroStore::LoadLocked() {
    records_.clear();
    dirty_ = false;
    blocked_ = false;
    StoreLoad load;
    load.path = StoreFileToRead(Folder(), kMacroStoreFileName);
    RegularFileReader file;
    const FileError error = file.Open(load.path, kMaxMacroStoreBytes);
    if (error == FileError::Missing) {
        return load;
    }
    if (error != FileError::None) {
        load.condition = StoreCondition::Unusable;
        load.problem = DescribeFileError(error, load.path);
        return load;
    }
    QByteArray bytes(static_cast<qsizetype>(file.Size()), '\0');
    if (file.Read(bytes.data(), bytes.size()) != bytes.size()) {
        load.condition = StoreCondition::Unusable;
        load.problem = DescribeFileError(FileError::Unreadable, load.path);
        return load;
    }
    for (qint64 offset = 0; offset < bytes.size(); offset += kRecordSize) {
        records_.push_back(RecordFromBytes(bytes.constData() + offset, bytes.size() - offset));
    }
    load.condition = records_.empty() ? StoreCondition::Missing : StoreCondition::Whole;
    return load;
}

bool MacroStore::WriteContent(QIODevice& device) const {
    return std::all_of(records_.begin(), records_.end(), [&](const auto& record) {
        return WriteAll(device, record.get(), kRecordSize);
    });
}

StoreWriteResult MacroStore::Save() const {
    StoreWriteResult result{forbidden_ ? FileError::Busy : FileError::Unwritable,
                            NativePath(FilePath())};
    if (!SavesBlocked()) {
        const std::vector<StoreFileContent> files{
            {kMacroStoreFileName, [this](QIODevice& file) { return WriteContent(file); }}};
        result =
            heldLock_ ? CommitStoreFiles(*heldLock_, files) : CommitStoreFiles(Folder(), files);
    }
    if (result.Ok()) {
        dirty_ = false;
    } else {
        dirty_ = true;
        if (onSaveFailed_) {
            onSaveFailed_(result);
        }
    }
    return result;
}

void MacroStore::ReplaceRecords(std::vector<std::unique_ptr<MacroRecord>> records) {
    records_ = std::move(records);
    dirty_ = false;
    blocked_ = false;
}

void MacroStore::SetSaveFailedHandler(std::function<void(const StoreWriteResult&)> handler) {
    onSaveFailed_ = std::move(handler);
}

QString MacroStore::NameAt(int index) const {
    return FieldToString(At(index).name);
}

int MacroStore::FindByName(const QString& name) const {
    for (int i = 0; i < Count(); ++i) {
        if (NameAt(i).compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QString MacroStore::UniqueName(const QString& candidate) const {
    TakenNames taken;
    for (int i = 0; i < Count(); ++i) {
        taken.Add(NameAt(i));
    }
    return MakeUniqueName(candidate, kMacroNameMaxLength, taken);
}

MacroRecord& MacroStore::AddNew(const TextLookup& texts) {
    const QString wanted =
        texts.Text(QStringLiteral("add_macro_text")) + QString::number(Count() + 1);
    auto record = std::make_unique<MacroRecord>();
    StringToField(record->name, UniqueName(wanted));
    records_.push_back(std::move(record));
    Save();
    return *records_.back();
}

int MacroStore::Append(const MacroRecord& record) {
    records_.push_back(std::make_unique<MacroRecord>(record));
    dirty_ = true;
    return Count() - 1;
}

void MacroStore::UndoAppends(int count, bool wasDirty) {
    if (count >= 0 && count < Count()) {
        records_.resize(static_cast<std::size_t>(count));
    }
    dirty_ = wasDirty;
}

void MacroStore::Remove(int index) {
    if (index < 0 || index >= Count()) {
        return;
    }
    records_.erase(records_.begin() + index);
    Save();
}

void MacroStore::Rename(MacroRecord& record, const QString& name) {
    StringToField(record.name, name);
    Save();
}

void MacroStore::UpdateActions(MacroRecord& record, const MacroAction* actions, int count) {
    count = std::clamp(count, 0, kMacroMaxActions);
    std::memset(record.actions, 0, sizeof record.actions);
    std::copy_n(actions, count, record.actions);
    record.actionCount = count;
    Save();
}

ImportResult MacroStore::Import(const NativePath& path) {
    QByteArray bytes;
    if (ImportResult read = ReadMacroFile(path, bytes); !read.Ok()) {
        return read;
    }
    return ImportBytes(bytes);
}

ImportResult MacroStore::ReadMacroFile(const NativePath& path, QByteArray& bytes) {
    ImportResult result;
    if (const FileError error = ReadFileStart(path, kRecordSize, bytes); error != FileError::None) {
        result.error = ImportErrorOf(error);
    } else if (bytes.isEmpty()) {
        result.error = ImportError::TooShort;
    }
    return result;
}

ImportResult MacroStore::ImportBytes(const QByteArray& bytes) {
    ImportResult result;
    // An exported macro is one whole record; anything shorter (a text file renamed) is not one.
    if (bytes.size() < kRecordSize) {
        result.error = ImportError::TooShort;
        return result;
    }
    if (!RoomFor(1)) {
        result.error = ImportError::StoreFull;
        return result;
    }
    auto record = RecordFromBytes(bytes.constData(), bytes.size());
    if (auto fault = CheckMacroRecord(*record)) {
        result.error = ImportError::Refused;
        result.fault = std::move(fault);
        return result;
    }
    const QString stored = FieldToString(record->name);
    // A name without its NUL is cut to the field; a taken one gets its "_n".
    if (FieldUnterminated(record->name) || NameExists(stored)) {
        StringToField(record->name, UniqueName(stored));
    }
    const int count = Count();
    const bool wasDirty = dirty_;
    records_.push_back(std::move(record));
    if (StoreWriteResult saved = Save(); !saved) {
        UndoAppends(count, wasDirty);
        result.error = ImportError::CannotSave;
        result.failure = std::move(saved);
        return result;
    }
    result.index = Count() - 1;
    result.name = FieldToString(records_.back()->name);
    return result;
}

StoreWriteResult MacroStore::Export(int index, const NativePath& path) const {
    if (index < 0 || index >= Count()) {
        return {FileError::Missing, path};
    }
    if (IsStoreFile(Folder(), path)) {
        return {FileError::IsStore, path};
    }
    return {WriteFileAtomically(
                path, [&](QIODevice& file) { return WriteAll(file, &At(index), kRecordSize); }),
            path};
}

int UsableActionCount(const MacroRecord& record) {
    return std::clamp(record.actionCount, 0, kMacroMaxActions);
}

std::shared_ptr<const StoreFolderLock> TakeStoreFolderForChange(const NativePath& folder) {
    if (!MakeFolders(folder)) {
        return nullptr;
    }
    auto lock = std::make_shared<StoreFolderLock>(folder, StoreFolderLock::Mode::Exclusive);
    if (!lock->Held() || !RecoverStoreFolder(*lock)) {
        return nullptr;
    }
    return lock;
}

StoreLoad BusyStoreLoad(const NativePath& folder, const NativePath& file) {
    StoreLoad load;
    load.condition = StoreCondition::Busy;
    load.path = file;
    struct stat info {};
    load.problem = ::stat(folder.CStr(), &info) == 0 && S_ISDIR(info.st_mode)
                       ? DescribeFileError(FileError::Busy, folder)
                       : DescribeFileError(FileError::Unwritable, folder);
    return load;
}

ImportError ImportErrorOf(FileError error) {
    switch (error) {
        case FileError::None:
            return ImportError::None;
        case FileError::NotRegular:
            return ImportError::NotRegular;
        default:
            return ImportError::CannotOpen;
    }
}
