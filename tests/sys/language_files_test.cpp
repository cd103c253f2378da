#include <set>

#include <gtest/gtest.h>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include "sys/language_file.h"

namespace {

const QString kSourceDir = QString::fromUtf8(TALVORE_SOURCE_DIR);

struct Language {
    const char* file;
    int id;
};
const Language kLanguages[] = {{"CN", 1}, {"EN", 2}, {"RU", 3}, {"ES", 4}};

QString LanguagePath(const QString& root, const char* file) {
    return root + QStringLiteral("/res/lan/") + QLatin1String(file) + QStringLiteral(".xml");
}

LanguageFile Load(const char* file) {
    LanguageFile language;
    EXPECT_TRUE(language.Load(LanguagePath(kSourceDir, file)))
        << file << ": " << language.ErrorString().toStdString();
    return language;
}

std::set<QString> KeySet(const LanguageFile& language) {
    const QStringList keys = language.Keys();
    return {keys.begin(), keys.end()};
}

// What a language key looks like: labels and messages end in "_text", key names begin with
// "key_", and a few fixed ids name mouse buttons and special keys.
bool LooksLikeLanguageKey(const QString& literal) {
    static const QRegularExpression pattern(QStringLiteral(
        "^(?:[a-z][a-z0-9_]*_text|key_[A-Za-z0-9 _/*+.\\\\-]+|L_Button|R_Button|M_Button|"
        "Backward_Button|Forward_Button|Sleep|Kana/Roma|`)$"));
    return pattern.match(literal).hasMatch();
}

// Language keys among the string literals of C++ source text.
std::set<QString> KeysInSource(QString source) {
    // Character literals first, so that '"' does not open a string.
    static const QRegularExpression charLiteral(
        QStringLiteral("'(?:\\\\.[^'\\n]{0,8}|[^'\\\\\\n])'"));
    static const QRegularExpression stringLiteral(QStringLiteral("\"((?:[^\"\\\\\\n]|\\\\.)*)\""));
    static const QRegularExpression escape(QStringLiteral("\\\\(.)"));
    source.replace(charLiteral, QStringLiteral("' '"));
    std::set<QString> keys;
    for (const QRegularExpressionMatch& m : stringLiteral.globalMatch(source)) {
        QString literal = m.captured(1);
        literal.replace(escape, QStringLiteral("\\1"));
        if (LooksLikeLanguageKey(literal)) {
            keys.insert(literal);
        }
    }
    return keys;
}

// Language keys among the element texts and attribute values of a layout file.
std::set<QString> KeysInLayout(QFile& file) {
    std::set<QString> keys;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                if (LooksLikeLanguageKey(attribute.value().toString())) {
                    keys.insert(attribute.value().toString());
                }
            }
        } else if (xml.isCharacters() && LooksLikeLanguageKey(xml.text().toString().trimmed())) {
            keys.insert(xml.text().toString().trimmed());
        }
    }
    EXPECT_FALSE(xml.hasError()) << file.fileName().toStdString() << ": "
                                 << xml.errorString().toStdString();
    return keys;
}

// Every language key the program's code and layouts name, with the file that names it.
std::map<QString, QString> KeysUsedByTheProgram() {
    std::map<QString, QString> used;
    const char* codeFolders[] = {"app", "link", "protocol", "page", "macro", "ui", "sys", "cli"};
    for (const char* folder : codeFolders) {
        QDirIterator it(kSourceDir + QLatin1Char('/') + QLatin1String(folder),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
            for (const QString& key : KeysInSource(QString::fromUtf8(file.readAll()))) {
                used.emplace(key, file.fileName());
            }
        }
    }
    QDirIterator it(kSourceDir + QStringLiteral("/res"),
                    {QStringLiteral("*.xml"), QStringLiteral("*.ui")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.contains(QStringLiteral("/res/lan/"))) {
            continue;
        }
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        for (const QString& key : KeysInLayout(file)) {
            used.emplace(key, path);
        }
    }
    return used;
}

TEST(LanguageFiles, LoadWithTheirLanguageIds) {
    for (const Language& language : kLanguages) {
        EXPECT_EQ(Load(language.file).LanguageId(), language.id) << language.file;
    }
}

TEST(LanguageFiles, HoldTheSameKeysEachOnceWithATextForEach) {
    const std::set<QString> english = KeySet(Load("EN"));
    ASSERT_GT(english.size(), 150u);
    for (const Language& language : kLanguages) {
        const LanguageFile loaded = Load(language.file);
        EXPECT_TRUE(KeySet(loaded) == english) << language.file << " differs from EN";

        // A repeated key would silently lose one of its texts.
        QFile file(LanguagePath(kSourceDir, language.file));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        int elements = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                xml.name() == QLatin1String("text")) {
                ++elements;
            }
        }
        EXPECT_EQ(elements, loaded.Keys().size()) << language.file << " repeats a key";

        for (const QString& key : loaded.Keys()) {
            const QString text = loaded.Text(key);
            EXPECT_FALSE(text.trimmed().isEmpty()) << language.file << ": " << key.toStdString();
        }
    }
}

TEST(LanguageFiles, TimerLabelPartsJoinIntoReadableLabels) {
    // Light-off label: its lead-in text, the value, a space and the unit; sleep likewise.
    const LanguageFile english = Load("EN");
    const QString lightOff = english.Text(QStringLiteral("sleep_timer_1_text")) +
                             QStringLiteral("1.5 ") +
                             english.Text(QStringLiteral("sleep_timer_2_text"));
    const QString sleep = english.Text(QStringLiteral("sleep_timer_3_text")) +
                          QStringLiteral("10 ") +
                          english.Text(QStringLiteral("sleep_timer_2_text"));
    EXPECT_EQ(lightOff, QStringLiteral("Lights off after 1.5 min"));
    EXPECT_EQ(sleep, QStringLiteral("Sleep after 10 min"));
}

TEST(LanguageFiles, ProgramFolderHoldsCurrentCopies) {
    const QString programFolder = QString::fromUtf8(TALVORE_BIN_DIR);
    for (const Language& language : kLanguages) {
        QFile source(LanguagePath(kSourceDir, language.file));
        QFile copy(LanguagePath(programFolder, language.file));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << copy.fileName().toStdString();
        EXPECT_TRUE(source.readAll() == copy.readAll()) << language.file;
    }
}

TEST(LanguageKeyScan, PicksOnlyKeysOutOfSourceText) {
    const QString source = QStringLiteral(
        "Show(QStringLiteral(\"no_device_text\"));\n"
        "const char c = '\"'; Label(\"copy_text\");\n"
        "Name(u\"key_Num_.\"); Name(\"key_\\\\\"); Name(\"Kana/Roma\"); Name(\"`\");\n"
        "Find(\"ms_1_btn_key_%d\"); Trace(\"m_key = %s\"); Log(\"talvore.keys\");\n"
        "Format(\"%s_text\"); Name(\"key_%d\"); Text(\"Sleeping\"); Text(\"_text\");\n");
    const std::set<QString> expected = {
        QStringLiteral("no_device_text"), QStringLiteral("copy_text"), QStringLiteral("key_Num_."),
        QStringLiteral("key_\\"),         QStringLiteral("Kana/Roma"), QStringLiteral("`")};
    EXPECT_TRUE(KeysInSource(source) == expected);
}

TEST(LanguageFiles, HoldEveryKeyTheProgramUses) {
    const std::map<QString, QString> used = KeysUsedByTheProgram();
    // The scan must see the key names of the key table, or it sees nothing at all.
    for (const char* known : {"key_\\", "key_Print Scr", "Kana/Roma", "`", "L_Button"}) {
        EXPECT_TRUE(used.count(QString::fromUtf8(known))) << known << " not found by the scan";
    }
    for (const Language& language : kLanguages) {
        const LanguageFile loaded = Load(language.file);
        for (const auto& [key, usedIn] : used) {
            EXPECT_TRUE(loaded.Contains(key)) << language.file << " lacks \"" << key.toStdString()
                                              << "\" used in " << usedIn.toStdString();
        }
    }
}

}  // namespace
