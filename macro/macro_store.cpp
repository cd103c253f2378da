#include "macro/macro_store.h"

#include <algorithm>
#include <cstring>

#include <QFile>

#include "macro/store_file.h"
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
    return dataFolder_ + QLatin1String("ms_1/macro.data");
}

void MacroStore::Load() {
    records_.clear();
    QFile file(FilePath());
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray bytes = file.readAll();
    for (qint64 offset = 0; offset < bytes.size(); offset += kRecordSize) {
        records_.push_back(RecordFromBytes(bytes.constData() + offset, bytes.size() - offset));
    }
}

bool MacroStore::Save() const {
    return WriteFileWhole(FilePath(), [this](QIODevice& file) {
        return std::all_of(records_.begin(), records_.end(), [&](const auto& record) {
            return WriteAll(file, record.get(), kRecordSize);
        });
    });
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
    return MakeUniqueName(candidate, kMacroNameMaxLength,
                          [this](const QString& name) { return NameExists(name); });
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
    return Count() - 1;
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

ImportResult MacroStore::Import(const QString& path) {
    ImportResult result;
    QByteArray bytes;
    if (!ReadFileStart(path, kRecordSize, bytes)) {
        result.error = ImportError::CannotOpen;
        return result;
    }
    if (bytes.isEmpty()) {
        result.error = ImportError::TooShort;
        return result;
    }
    auto record = RecordFromBytes(bytes.constData(), bytes.size());
    const QString stored = FieldToString(record->name);
    // A name without its NUL is cut to the field; a taken one gets its "_n".
    if (FieldUnterminated(record->name) || NameExists(stored)) {
        StringToField(record->name, UniqueName(stored));
    }
    result.name = FieldToString(record->name);
    records_.push_back(std::move(record));
    result.index = Count() - 1;
    Save();
    return result;
}

bool MacroStore::Export(int index, const QString& path) const {
    if (index < 0 || index >= Count()) {
        return false;
    }
    return WriteFileWhole(path,
                          [&](QIODevice& file) { return WriteAll(file, &At(index), kRecordSize); });
}

int UsableActionCount(const MacroRecord& record) {
    return std::clamp(record.actionCount, 0, kMacroMaxActions);
}
