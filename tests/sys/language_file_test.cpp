#include "sys/language_file.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

namespace {

QString WriteFile(const QTemporaryDir& dir, const char* name, const QByteArray& content) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
}

TEST(LanguageFile, LoadsTextsKeepingTheirOuterSpaces) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = WriteFile(dir, "EN.xml",
                                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                   "<!-- texts -->\n"
                                   "<language id=\"3\" name=\"Test\">\n"
                                   "  <text key=\"a_text\">Sleep after </text>\n"
                                   "  <text>no key: skipped</text>\n"
                                   "  <text key=\"key_Num_.\">Num &amp; .</text>\n"
                                   "</language>\n");
    LanguageFile language;
    ASSERT_TRUE(language.Load(path)) << language.ErrorString().toStdString();
    EXPECT_EQ(language.LanguageId(), 3);
    EXPECT_EQ(language.Keys().size(), 2);
    EXPECT_EQ(language.Text(QStringLiteral("a_text")), QStringLiteral("Sleep after "));
    EXPECT_EQ(language.Text(QStringLiteral("key_Num_.")), QStringLiteral("Num & ."));
    EXPECT_EQ(language.Text(QStringLiteral("missing_text")), QString());
}

TEST(LanguageFile, DamagedOrMissingFileKeepsTheTextsLoadedBefore) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString good =
        WriteFile(dir, "good.xml",
                  "<language id=\"2\" name=\"E\"><text key=\"ok_text\">OK</text></language>");
    const QString cut = WriteFile(
        dir, "cut.xml", "<language id=\"4\" name=\"S\"><text key=\"ok_text\">Aceptar</text>");
    LanguageFile language;
    ASSERT_TRUE(language.Load(good)) << language.ErrorString().toStdString();
    EXPECT_FALSE(language.Load(cut));
    EXPECT_FALSE(language.ErrorString().isEmpty());
    EXPECT_FALSE(language.Load(dir.filePath(QStringLiteral("absent.xml"))));
    EXPECT_EQ(language.LanguageId(), 2);
    EXPECT_EQ(language.Text(QStringLiteral("ok_text")), QStringLiteral("OK"));
}

}  // namespace
