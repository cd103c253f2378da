#include "exchange/store_backup.h"

#include <cstring>

#include <QCryptographicHash>
#include <QtEndian>

#include "page/profile_store.h"

namespace {

constexpr qint64 kRecordSize = sizeof(ProfileRecord);
constexpr qint64 kMacroSize = sizeof(MacroRecord);
constexpr qint64 kIndexSize = sizeof(uint32_t);
constexpr qint64 kTagSize = 4;
constexpr qint64 kLengthSize = 8;
constexpr qint64 kHashSize = 32;
constexpr char kProfilesTag[] = "PROF";
constexpr char kMacrosTag[] = "MACR";
constexpr char kHashTag[] = "SHA2";

qint64 MagicSize() {
    return static_cast<qint64>(std::strlen(kBackupMagic));
}

void AppendSection(QByteArray& out, const char* tag, const QByteArray& content) {
    out.append(tag, kTagSize);
    char length[kLengthSize];
    qToLittleEndian<quint64>(static_cast<quint64>(content.size()), length);
    out.append(length, kLengthSize);
    out.append(content);
}

QByteArray Sha256(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// Reads sections from a byte array, in order.
class SectionReader {
public:
    explicit SectionReader(const QByteArray& bytes) : bytes_(bytes), at_(MagicSize()) {}

    // The next section, which must carry `tag` and be at most maxLength long.
    std::optional<QByteArray> Next(const char* tag, qint64 maxLength, QString& error) {
        if (bytes_.size() - at_ < kTagSize + kLengthSize) {
            error = QStringLiteral("the backup ends early (before its %1 section): it is cut off")
                        .arg(QLatin1String(tag));
            return std::nullopt;
        }
        if (QByteArrayView(bytes_).sliced(at_, kTagSize) != QByteArrayView(tag, kTagSize)) {
            error = QStringLiteral(
                        "the backup is damaged: its %1 section is not where it "
                        "belongs")
                        .arg(QLatin1String(tag));
            return std::nullopt;
        }
        const quint64 length = qFromLittleEndian<quint64>(bytes_.constData() + at_ + kTagSize);
        at_ += kTagSize + kLengthSize;
        if (length > static_cast<quint64>(maxLength) ||
            length > static_cast<quint64>(bytes_.size() - at_)) {
            error = QStringLiteral(
                        "the backup is damaged or cut off: its %1 section claims %2 "
                        "bytes")
                        .arg(QLatin1String(tag))
                        .arg(length);
            return std::nullopt;
        }
        const QByteArray content = bytes_.mid(at_, static_cast<qsizetype>(length));
        at_ += static_cast<qint64>(length);
        return content;
    }
    // Where reading stands: the start of the next section.
    qint64 Position() const { return at_; }

private:
    const QByteArray& bytes_;
    qint64 at_;
};

QString CheckProfiles(const QByteArray& profiles) {
    const qint64 size = profiles.size();
    if (size < kIndexSize + kRecordSize || (size - kIndexSize) % kRecordSize != 0) {
        return QStringLiteral(
                   "the backup's profiles are damaged: %1 bytes are no whole list of "
                   "profiles")
            .arg(size);
    }
    const quint64 count = static_cast<quint64>((size - kIndexSize) / kRecordSize);
    const quint32 selected = qFromLittleEndian<quint32>(profiles.constData());
    if (selected >= count) {
        return QStringLiteral("the backup's profiles are damaged: profile %1 is selected of %2")
            .arg(selected)
            .arg(count);
    }
    return {};
}

}  // namespace

int StoreBackup::ProfileCount() const {
    return static_cast<int>(std::max<qint64>(0, profiles.size() - kIndexSize) / kRecordSize);
}

int StoreBackup::MacroCount() const {
    return static_cast<int>(macros.size() / kMacroSize);
}

int StoreBackup::SelectedIndex() const {
    return profiles.size() >= kIndexSize
               ? static_cast<int>(qFromLittleEndian<quint32>(profiles.constData()))
               : 0;
}

qint64 MaxBackupBytes() {
    return MagicSize() + 3 * (kTagSize + kLengthSize) + kMaxProfileStoreBytes +
           kMaxMacroStoreBytes + kHashSize;
}

StoreBackup BackupOf(ProfileStore& store) {
    return store.WithLock([](ProfileStore& s) {
        StoreBackup backup;
        const int count = s.Count();
        backup.profiles.reserve(static_cast<qsizetype>(kIndexSize + count * kRecordSize));
        char index[kIndexSize];
        qToLittleEndian<quint32>(static_cast<quint32>(s.SelectedIndex()), index);
        backup.profiles.append(index, kIndexSize);
        for (int i = 0; i < count; ++i) {
            backup.profiles.append(reinterpret_cast<const char*>(&s.At(i)), kRecordSize);
        }
        const MacroStore& macros = s.Macros();
        backup.macros.reserve(static_cast<qsizetype>(macros.Count() * kMacroSize));
        for (int i = 0; i < macros.Count(); ++i) {
            backup.macros.append(reinterpret_cast<const char*>(&macros.At(i)), kMacroSize);
        }
        return backup;
    });
}

QByteArray EncodeBackup(const StoreBackup& backup) {
    QByteArray out(kBackupMagic);
    AppendSection(out, kProfilesTag, backup.profiles);
    AppendSection(out, kMacrosTag, backup.macros);
    AppendSection(out, kHashTag, Sha256(out));
    return out;
}

BackupRead DecodeBackup(const QByteArray& bytes) {
    const QByteArrayView magic(kBackupMagic);
    if (!bytes.startsWith(magic)) {
        const bool otherVersion = bytes.startsWith("TALVORE BACKUP ");
        return {std::nullopt,
                otherVersion ? QStringLiteral("the backup was made by another version of talvore "
                                              "(it begins \"%1\")")
                                   .arg(QString::fromLatin1(bytes.left(bytes.indexOf('\n'))))
                             : QStringLiteral("not a talvore backup")};
    }
    SectionReader reader(bytes);
    QString error;
    const auto profiles = reader.Next(kProfilesTag, kMaxProfileStoreBytes, error);
    const auto macros =
        profiles ? reader.Next(kMacrosTag, kMaxMacroStoreBytes, error) : std::nullopt;
    const qint64 hashedEnd = reader.Position();
    const auto hash = macros ? reader.Next(kHashTag, kHashSize, error) : std::nullopt;
    if (!hash) {
        return {std::nullopt, error};
    }
    if (hash->size() != kHashSize || *hash != Sha256(QByteArrayView(bytes).first(hashedEnd))) {
        return {std::nullopt,
                QStringLiteral("the backup is damaged: its checksum does not match its content")};
    }
    if (reader.Position() != bytes.size()) {
        return {std::nullopt, QStringLiteral("the backup is damaged: %1 bytes follow its end")
                                  .arg(bytes.size() - reader.Position())};
    }
    if (const QString problem = CheckProfiles(*profiles); !problem.isEmpty()) {
        return {std::nullopt, problem};
    }
    if (macros->size() % kMacroSize != 0) {
        return {std::nullopt, QStringLiteral("the backup's macros are damaged: %1 bytes are no "
                                             "whole list of macros")
                                  .arg(macros->size())};
    }
    return {StoreBackup{*profiles, *macros}, QString()};
}
