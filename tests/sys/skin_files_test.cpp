#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <gtest/gtest.h>

namespace {

const QString kSkins = QStringLiteral(TALVORE_SOURCE_DIR "/res/skins/");

}  // namespace

TEST(SkinFiles, FixedPngImagesLoadAtTheirSize) {
    for (const char* name :
         {"keyboard_key_action.png", "mouse.png", "macro_key_down.png", "macro_key_up.png"}) {
        const QImage image(kSkins + QString::fromLatin1(name));
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(image.size(), QSize(24, 24)) << name;
        EXPECT_TRUE(QFileInfo::exists(kSkins + QString::fromLatin1(name).replace(".png", ".svg")))
            << name << " has no SVG source";
    }
    EXPECT_EQ(QImage(kSkins + QStringLiteral("icon_256.png")).size(), QSize(256, 256));
}

TEST(SkinFiles, EverySvgIsValid) {
    for (const char* name :
         {"icon", "link_wired", "link_wireless", "link_bluetooth", "battery", "charging_bolt",
          "keyboard_key_action", "mouse", "macro_key_down", "macro_key_up", "close", "minimise",
          "check", "chevron_down", "chevron_up", "chevron_right", "switch_knob"}) {
        QSvgRenderer renderer(kSkins + QString::fromLatin1(name) + QStringLiteral(".svg"));
        EXPECT_TRUE(renderer.isValid()) << name;
    }
}

TEST(SkinFiles, ThemeNamesOnlyImagesThatExist) {
    QFile sheet(kSkins + QStringLiteral("theme.qss"));
    ASSERT_TRUE(sheet.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(sheet.readAll());
    EXPECT_EQ(text.count(QLatin1Char('{')), text.count(QLatin1Char('}')));
    const QRegularExpression url(QStringLiteral(R"(url\(([^)]*)\))"));
    int images = 0;
    for (const QRegularExpressionMatch& match : url.globalMatch(text)) {
        const QString target = match.captured(1);
        ASSERT_TRUE(target.startsWith(QStringLiteral("skins:"))) << target.toStdString();
        EXPECT_TRUE(QFileInfo::exists(kSkins + target.mid(6))) << target.toStdString();
        ++images;
    }
    EXPECT_GT(images, 0);
}
