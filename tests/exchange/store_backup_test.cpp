// The one-file backup: the stores come back exactly, and a file that is damaged anywhere, cut
// off anywhere or not a backup at all is refused before anything could be restored from it.
#include <QtEndian>

#include <gtest/gtest.h>

#include "exchange/store_backup.h"
#include "page/profile_store.h"
#include "tests/macro/fake_texts.h"

namespace {

// Two profiles (the second selected) and three macros, each byte telling where it sits.
StoreBackup TwoProfilesThreeMacros() {
    StoreBackup backup;
    backup.profiles = QByteArray("\x01\x00\x00\x00", 4);
    for (int i = 0; i < 2 * 165024; ++i) {
        backup.profiles.append(static_cast<char>(i * 31 + 7));
    }
    for (int i = 0; i < 3 * 240; ++i) {
        backup.macros.append(static_cast<char>(i * 17 + 3));
    }
    return backup;
}

TEST(StoreBackup, TheStoresComeBackExactly) {
    const StoreBackup backup = TwoProfilesThreeMacros();
    const QByteArray file = EncodeBackup(backup);
    EXPECT_TRUE(file.startsWith("TALVORE BACKUP 1\nPROF"));
    // Magic, three sections of tag and length, both stores and the checksum.
    EXPECT_EQ(file.size(), 17 + 3 * 12 + 4 + 2 * 165024 + 3 * 240 + 32);
    EXPECT_EQ(qFromLittleEndian<quint64>(file.constData() + 21), 4u + 2 * 165024);

    const BackupRead read = DecodeBackup(file);
    ASSERT_TRUE(read.backup) << read.error.toStdString();
    EXPECT_EQ(read.backup->profiles, backup.profiles);
    EXPECT_EQ(read.backup->macros, backup.macros);
    EXPECT_EQ(read.backup->ProfileCount(), 2);
    EXPECT_EQ(read.backup->MacroCount(), 3);
    EXPECT_EQ(read.backup->SelectedIndex(), 1);

    // No macros at all is a backup too.
    const BackupRead noMacros = DecodeBackup(EncodeBackup({backup.profiles, QByteArray()}));
    ASSERT_TRUE(noMacros.backup);
    EXPECT_EQ(noMacros.backup->MacroCount(), 0);
}

TEST(StoreBackup, ADamagedOrCutOffBackupIsRefused) {
    const QByteArray file = EncodeBackup(TwoProfilesThreeMacros());
    // A changed byte anywhere: in the magic, a tag, a length, either store or the checksum.
    for (qsizetype at = 0; at < file.size(); at += at < 64 ? 1 : 4099) {
        QByteArray damaged = file;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
        EXPECT_FALSE(DecodeBackup(damaged).backup) << "byte " << at;
    }
    QByteArray lastByte = file;
    lastByte[lastByte.size() - 1] = static_cast<char>(lastByte.back() ^ 1);
    EXPECT_FALSE(DecodeBackup(lastByte).backup);
    // Cut off anywhere, or with something after its end.
    for (qsizetype size = 0; size < file.size(); size += size < 64 ? 1 : 7919) {
        const BackupRead read = DecodeBackup(file.left(size));
        EXPECT_FALSE(read.backup) << "cut to " << size;
        EXPECT_FALSE(read.error.isEmpty());
    }
    EXPECT_FALSE(DecodeBackup(file.chopped(1)).backup);
    const BackupRead longer = DecodeBackup(file + '\n');
    EXPECT_EQ(longer.error, QStringLiteral("the backup is damaged: 1 bytes follow its end"));
}

TEST(StoreBackup, StoresTheProgramCouldNotUseAreRefusedEvenWhenTheChecksumHolds) {
    const StoreBackup good = TwoProfilesThreeMacros();
    const auto refused = [](const StoreBackup& backup) {
        return DecodeBackup(EncodeBackup(backup)).error;
    };
    StoreBackup selectionPastTheEnd = good;
    selectionPastTheEnd.profiles[0] = 2;
    EXPECT_EQ(refused(selectionPastTheEnd),
              QStringLiteral("the backup's profiles are damaged: profile 2 is selected of 2"));
    EXPECT_TRUE(refused({good.profiles.chopped(1), good.macros})
                    .startsWith(QLatin1String("the backup's profiles are damaged: 330051 bytes")));
    EXPECT_TRUE(refused({good.profiles.left(4), good.macros}).contains(QLatin1String("damaged")));
    EXPECT_TRUE(refused({good.profiles, good.macros.chopped(1)})
                    .startsWith(QLatin1String("the backup's macros are damaged")));

    EXPECT_EQ(DecodeBackup("PK\x03\x04").error, QStringLiteral("not a talvore backup"));
    QByteArray newer = EncodeBackup(good);
    newer[15] = '2';
    EXPECT_EQ(DecodeBackup(newer).error,
              QStringLiteral("the backup was made by another version of talvore (it begins "
                             "\"TALVORE BACKUP 2\")"));
}

TEST(StoreBackup, ABackupOfAStoreHoldsItsProfilesSelectionAndMacrosAsItsFilesWouldHoldThem) {
    FakeTexts texts;
    ProfileStore store(QStringLiteral("/nonexistent/"), texts);
    store.AddDefaultProfile();
    store.AppendProfile(QStringLiteral("Game"));
    MacroRecord macro{};
    macro.name[0] = u'M';
    macro.actionCount = 1;
    store.Macros().Append(macro);

    const StoreBackup backup = BackupOf(store);
    EXPECT_EQ(backup.ProfileCount(), 2);
    EXPECT_EQ(backup.SelectedIndex(), 1);
    ASSERT_EQ(backup.MacroCount(), 1);
    EXPECT_EQ(QByteArray(backup.profiles.constData() + 4 + 165024, sizeof(ProfileRecord)),
              QByteArray(reinterpret_cast<const char*>(&store.At(1)), sizeof(ProfileRecord)));
    EXPECT_EQ(backup.macros,
              QByteArray(reinterpret_cast<const char*>(&macro), sizeof(MacroRecord)));
}

}  // namespace
