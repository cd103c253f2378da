#include "page/profile_store.h"

#include <algorithm>
#include <cstring>

#include <QFile>

#include "macro/macro_binding.h"
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
    return dataFolder_ + QLatin1String("ms_1/pro.data");
}

void ProfileStore::LoadProfiles() {
    std::lock_guard lock(mutex_);
    forceFullApply_ = true;
    if (!ReadProfiles()) {
        selectedIndex_ = 0;
        AddDefaultProfile();
        current_ = profiles_.front().get();
        SaveProfiles();
    }
    macros_.Load();
}

bool ProfileStore::ReadProfiles() {
    std::lock_guard lock(mutex_);
    profiles_.clear();
    current_ = nullptr;
    selectedIndex_ = 0;
    QFile file(FilePath());
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    uint32_t index = 0;
    if (file.read(reinterpret_cast<char*>(&index), kIndexSize) != kIndexSize) {
        return false;
    }
    // Only complete records count; a partial one at the end is left out.
    for (;;) {
        auto record = std::make_unique<ProfileRecord>();
        if (file.read(reinterpret_cast<char*>(record.get()), kRecordSize) != kRecordSize) {
            break;
        }
        profiles_.push_back(std::move(record));
    }
    if (profiles_.empty()) {
        return false;
    }
    selectedIndex_ = index < profiles_.size() ? index : 0;
    current_ = profiles_[selectedIndex_].get();
    return true;
}

bool ProfileStore::SaveProfiles() const {
    std::lock_guard lock(mutex_);
    return WriteFileWhole(FilePath(), [this](QIODevice& file) {
        if (!WriteAll(file, &selectedIndex_, kIndexSize)) {
            return false;
        }
        return std::all_of(profiles_.begin(), profiles_.end(), [&](const auto& record) {
            return WriteAll(file, record.get(), kRecordSize);
        });
    });
}

ProfileRecord& ProfileStore::AddDefaultProfile() {
    std::lock_guard lock(mutex_);
    const QString wanted =
        texts_.Text(QStringLiteral("add_profile_text")) + QString::number(profiles_.size() + 1);
    profiles_.push_back(CreateBlankRecord(UniqueProfileName(wanted)));
    return *profiles_.back();
}

bool ProfileStore::ProfileNameExists(const QString& name) const {
    std::lock_guard lock(mutex_);
    return std::any_of(profiles_.begin(), profiles_.end(), [&](const auto& record) {
        return ProfileName(*record).compare(name, Qt::CaseInsensitive) == 0;
    });
}

QString ProfileStore::UniqueProfileName(const QString& wanted) const {
    return MakeUniqueName(wanted, kProfileNameMaxLength,
                          [this](const QString& name) { return ProfileNameExists(name); });
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

bool ProfileStore::Rename(int index, const QString& name) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= Count()) {
        return false;
    }
    SetProfileName(*profiles_[static_cast<std::size_t>(index)], name);
    return SaveProfiles();
}

bool ProfileStore::ExportProfile(int index, const QString& path) const {
    // Copied under the lock, written outside it: a slow disk must not hold up the apply.
    std::unique_ptr<ProfileRecord> copy;
    {
        std::lock_guard lock(mutex_);
        if (index < 0 || index >= static_cast<int>(profiles_.size())) {
            return false;
        }
        copy = std::make_unique<ProfileRecord>(*profiles_[static_cast<std::size_t>(index)]);
    }
    return WriteFileWhole(path,
                          [&](QIODevice& file) { return WriteAll(file, copy.get(), kRecordSize); });
}

ImportResult ProfileStore::ReadProfileFile(const QString& path, ProfileRecord& record) {
    ImportResult result;
    QByteArray bytes;
    if (!ReadFileStart(path, kRecordSize, bytes)) {
        result.error = ImportError::CannotOpen;
    } else if (bytes.size() < kRecordSize) {
        result.error = ImportError::TooShort;
    } else {
        std::memcpy(&record, bytes.constData(), static_cast<std::size_t>(kRecordSize));
        result.name = ProfileName(record);
    }
    return result;
}

ImportResult ProfileStore::ImportProfile(const QString& path) {
    auto record = std::make_unique<ProfileRecord>();
    ImportResult result = ReadProfileFile(path, *record);
    if (!result.Ok()) {
        return result;
    }
    return ImportProfileRecord(std::move(record));
}

ImportResult ProfileStore::ImportProfileRecord(std::unique_ptr<ProfileRecord> record) {
    std::lock_guard lock(mutex_);
    ImportResult result;
    const QString stored = ProfileName(*record);
    // A name without its NUL is cut to the field; a taken one gets its "_n".
    if (FieldUnterminated(record->profileName) || ProfileNameExists(stored)) {
        SetProfileName(*record, UniqueProfileName(stored));
    }
    result.name = ProfileName(*record);
    if (ImportProfileMacros(*record, macros_) > 0) {
        macros_.Save();
    }
    profiles_.push_back(std::move(record));
    result.index = Count() - 1;
    Select(result.index);
    return result;
}

bool ProfileStore::ReconcileMacros() {
    std::lock_guard lock(mutex_);
    bool currentConsidered = false;
    for (const auto& record : profiles_) {
        const bool considered = ReconcileMacroEntries(*record, macros_);
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
