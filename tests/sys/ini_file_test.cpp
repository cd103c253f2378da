#include "sys/ini_file.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <utility>

#include <gtest/gtest.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString Path() const { return dir_.path() + QStringLiteral("/CONFIG.ini"); }
    void Write(const QByteArray& content) const {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray Content() const {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    int ReadLanguage() const { return ReadIniInt(Path(), kSettingSection, kLanguageIdKey, -1); }

private:
    QTemporaryDir dir_;
};

}  // namespace

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(ReadLanguage(), -1);
    EXPECT_FALSE(QFile::exists(Path()));  // reading never creates the file
    Write("[OTHER]\nlanId=3\n");
    EXPECT_EQ(ReadLanguage(), -1);
    Write("[SETTING]\nskin=3\n");
    EXPECT_EQ(ReadLanguage(), -1);
}

TEST_F(IniFileTest, ReadsDecimalValues) {
    Write("[SETTING]\r\nlanId=3\r\n");
    EXPECT_EQ(ReadLanguage(), 3);
    Write("[SETTING]\nlanId = 5\n");
    EXPECT_EQ(ReadLanguage(), 5);
    Write("[SETTING]\nlanId=-7\n");
    EXPECT_EQ(ReadLanguage(), -7);
}

TEST_F(IniFileTest, ValueThatDoesNotBeginWithANumberGivesTheDefault) {
    for (const char* text :
         {"[SETTING]\nlanId=\n", "[SETTING]\nlanId=two\n", "[SETTING]\nlanId=x3\n",
          "[SETTING]\nlanId=+\n", "[SETTING]\nlanId=+-3\n", "[SETTING]\nlanId=- 3\n",
          "[SETTING]\nlanId=99999999999\n"}) {
        Write(text);
        EXPECT_EQ(ReadLanguage(), -1) << text;
    }
}

// Whatever follows the leading digits is not part of the number, as with a hand-added comment.
TEST_F(IniFileTest, TheLeadingDigitsOfAValueCount) {
    for (const auto& [text, value] : {std::pair{"[SETTING]\nlanId=3x\n", 3},
                                      {"[SETTING]\nlanId= 2 ; English\n", 2},
                                      {"[SETTING]\nlanId=+4\n", 4},
                                      {"[SETTING]\nlanId=-2.5\n", -2},
                                      {"[SETTING]\nlanId=0x2\n", 0}}) {
        Write(text);
        EXPECT_EQ(ReadLanguage(), value) << text;
    }
}

TEST_F(IniFileTest, NamesMatchRegardlessOfCase) {
    Write("[setting]\nLANID=4\n");
    EXPECT_EQ(ReadLanguage(), 4);
    ASSERT_TRUE(WriteIniInt(Path(), kSettingSection, kLanguageIdKey, 1));
    EXPECT_EQ(Content(), QByteArray("[setting]\nlanId=1\n"));
}

TEST_F(IniFileTest, SameKeyInAnotherSectionIsNotTaken) {
    Write("[OTHER]\nlanId=3\n[SETTING]\nskin=1\n\n[LAST]\nlanId=4\n");
    EXPECT_EQ(ReadLanguage(), -1);
    ASSERT_TRUE(WriteIniInt(Path(), kSettingSection, kLanguageIdKey, 2));
    EXPECT_EQ(Content(),
              QByteArray("[OTHER]\nlanId=3\n[SETTING]\nskin=1\nlanId=2\n\n[LAST]\nlanId=4\n"));
}

TEST_F(IniFileTest, WriteCreatesTheFileAndRoundTrips) {
    ASSERT_TRUE(WriteIniInt(Path(), kSettingSection, kLanguageIdKey, 2));
    EXPECT_EQ(Content(), QByteArray("[SETTING]\nlanId=2\n"));
    EXPECT_EQ(ReadLanguage(), 2);
    ASSERT_TRUE(WriteIniInt(Path(), kSettingSection, kLanguageIdKey, 4));
    EXPECT_EQ(ReadLanguage(), 4);
    EXPECT_EQ(Content(), QByteArray("[SETTING]\nlanId=4\n"));
}

TEST_F(IniFileTest, WriteChangesOnlyItsLineAndKeepsLineEnds) {
    Write("; written by hand\r\n[SETTING]\r\nskin = 1\r\nlanId = 5\r\n[WINDOW]\r\nx=10\r\n");
    ASSERT_TRUE(WriteIniInt(Path(), kSettingSection, kLanguageIdKey, 1));
    EXPECT_EQ(Content(),
              QByteArray(
                  "; written by hand\r\n[SETTING]\r\nskin = 1\r\nlanId=1\r\n[WINDOW]\r\nx=10\r\n"));
    EXPECT_EQ(ReadIniInt(Path(), QStringLiteral("WINDOW"), QStringLiteral("x"), 0), 10);
}

TEST_F(IniFileTest, EveryOtherByteStaysWhateverTheLineEnds) {
    // Mixed line ends: only the key's own text changes.
    Write("; notes\r\n[SETTING]\nlanId=5\r\nskin=1\n[WINDOW]\r\nx=10");
    ASSERT_TRUE(WriteIniInt(Path(), kSettingSection, kLanguageIdKey, 1));
    EXPECT_EQ(Content(), QByteArray("; notes\r\n[SETTING]\nlanId=1\r\nskin=1\n[WINDOW]\r\nx=10"));

    // Lone CR line ends (old Mac files) are line ends too: the section is found, not doubled.
    Write("[SETTING]\rlanId=5\r[WINDOW]\rx=10\r");
    EXPECT_EQ(ReadLanguage(), 5);
    ASSERT_TRUE(WriteIniInt(Path(), kSettingSection, kLanguageIdKey, 3));
    EXPECT_EQ(Content(), QByteArray("[SETTING]\rlanId=3\r[WINDOW]\rx=10\r"));
    Write("[SETTING]\rskin=1\r\r[WINDOW]\rx=10\r");
    ASSERT_TRUE(WriteIniInt(Path(), kSettingSection, kLanguageIdKey, 4));
    EXPECT_EQ(Content(), QByteArray("[SETTING]\rskin=1\rlanId=4\r\r[WINDOW]\rx=10\r"));

    // A key added after a last line without its line end.
    Write("[SETTING]\r\nskin=1");
    ASSERT_TRUE(WriteIniInt(Path(), kSettingSection, kLanguageIdKey, 2));
    EXPECT_EQ(Content(), QByteArray("[SETTING]\r\nskin=1\r\nlanId=2"));
}

TEST_F(IniFileTest, SomethingThatIsNotAFileIsNeitherReadNorReplaced) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path()).constData(), 0600), 0);
    EXPECT_EQ(ReadLanguage(), -1);  // an open would wait for a writer forever
    EXPECT_FALSE(WriteIniInt(Path(), kSettingSection, kLanguageIdKey, 2));
    EXPECT_FALSE(QFileInfo(Path()).isFile());
}

TEST_F(IniFileTest, FileWithoutTheSectionOrFinalLineEndGetsItAppended) {
    Write("[WINDOW]\nx=10");
    ASSERT_TRUE(WriteIniInt(Path(), kSettingSection, kLanguageIdKey, 3));
    EXPECT_EQ(Content(), QByteArray("[WINDOW]\nx=10\n[SETTING]\nlanId=3\n"));
}

TEST_F(IniFileTest, UnwritablePlaceFailsAndLeavesNothing) {
    Write("[SETTING]\nlanId=2\n");
    // The "folder" is a file, so nothing can be created beneath it.
    EXPECT_FALSE(
        WriteIniInt(Path() + QStringLiteral("/CONFIG.ini"), kSettingSection, kLanguageIdKey, 2));
    EXPECT_EQ(Content(), QByteArray("[SETTING]\nlanId=2\n"));
}
