#include "sys/ui_language.h"

#include <QLocale>

#include <gtest/gtest.h>

TEST(UiLanguage, LocalesWithTheirOwnLanguageFile) {
    EXPECT_EQ(UiLanguageIdOf(QLocale(QStringLiteral("zh_CN"))), 0x0804);
    EXPECT_EQ(UiLanguageIdOf(QLocale(QStringLiteral("zh_SG"))), 0x0804);
    EXPECT_EQ(UiLanguageIdOf(QLocale(QStringLiteral("ru_RU"))), 0x0419);
    EXPECT_EQ(UiLanguageIdOf(QLocale(QStringLiteral("ru_UA"))), 0x0419);
    EXPECT_EQ(UiLanguageIdOf(QLocale(QStringLiteral("es_ES"))), 0x0C0A);
    EXPECT_EQ(UiLanguageIdOf(QLocale(QStringLiteral("es_MX"))), 0x0C0A);
}

TEST(UiLanguage, EveryOtherLocaleIsUsEnglish) {
    for (const char* name : {"en_US", "en_GB", "de_DE", "fr_FR", "ja_JP", "zh_TW", "zh_HK", "C"}) {
        EXPECT_EQ(UiLanguageIdOf(QLocale(QString::fromLatin1(name))), 0x0409) << name;
    }
}

TEST(UiLanguage, ProgramLanguageOfUiLanguageId) {
    EXPECT_EQ(ProgramLanguageOf(0x0804), 1);
    EXPECT_EQ(ProgramLanguageOf(0x0419), 3);
    EXPECT_EQ(ProgramLanguageOf(0x0C0A), 4);
    // English, Traditional Chinese (Hong Kong), and ids near the known ones.
    for (uint16_t id : {0x0409, 0x0C04, 0x0404, 0x0004, 0x080A, 0x0819, 0x0000, 0xFFFF}) {
        EXPECT_EQ(ProgramLanguageOf(id), 2) << std::hex << id;
    }
}
