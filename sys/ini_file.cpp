#include "sys/ini_file.h"

#include <QByteArrayList>
#include <QFile>
#include <QSaveFile>

#include <cctype>
#include <charconv>
#include <optional>

namespace {

struct IniLines {
    QByteArrayList lines;       // without their line ends
    QByteArray lineEnd = "\n";  // the file's own, kept for lines we add
};

std::optional<IniLines> ReadLines(const QString& path) {
    IniLines ini;
    QFile file(path);
    if (!file.exists()) {
        return ini;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray content = file.readAll();
    if (content.contains("\r\n")) {
        ini.lineEnd = "\r\n";
    }
    ini.lines = content.split('\n');
    if (!ini.lines.isEmpty() && ini.lines.last().isEmpty()) {
        ini.lines.removeLast();  // the final line end
    }
    for (QByteArray& line : ini.lines) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
    }
    return ini;
}

// "[name]" with optional spaces around; empty when the line is not a section header.
QByteArray SectionOf(const QByteArray& line) {
    const QByteArray trimmed = line.trimmed();
    if (trimmed.size() < 2 || !trimmed.startsWith('[') || !trimmed.endsWith(']')) {
        return {};
    }
    return trimmed.mid(1, trimmed.size() - 2).trimmed();
}

bool SameName(const QByteArray& a, const QString& b) {
    return QString::fromUtf8(a).compare(b, Qt::CaseInsensitive) == 0;
}

bool IsKeyLine(const QByteArray& line, const QString& key) {
    const qsizetype equals = line.indexOf('=');
    return equals > 0 && SameName(line.left(equals).trimmed(), key);
}

struct KeyPosition {
    qsizetype sectionLine = -1;  // the header; -1 when the section is missing
    qsizetype sectionEnd = -1;   // one past the section's last non-blank line
    qsizetype keyLine = -1;      // -1 when the key is missing
};

KeyPosition Find(const QByteArrayList& lines, const QString& section, const QString& key) {
    KeyPosition at;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray header = SectionOf(lines[i]);
        if (!header.isEmpty()) {
            if (inSection) {
                break;  // the first section of the name counts, as later ones are not read
            }
            inSection = SameName(header, section);
            if (inSection) {
                at.sectionLine = i;
                at.sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!lines[i].trimmed().isEmpty()) {
            at.sectionEnd = i + 1;
        }
        if (at.keyLine < 0 && IsKeyLine(lines[i], key)) {
            at.keyLine = i;
        }
    }
    return at;
}

// The number a value begins with: blanks, an optional sign, decimal digits; what follows the
// digits is not part of it ("3x" is 3). None without digits or when it does not fit an int.
std::optional<int> LeadingInt(const QByteArray& text) {
    const QByteArray trimmed = text.trimmed();
    const char* begin = trimmed.constData();
    const char* end = begin + trimmed.size();
    if (end - begin >= 2 && *begin == '+' && std::isdigit(static_cast<unsigned char>(begin[1]))) {
        ++begin;  // from_chars takes only a minus sign
    }
    int value = 0;
    if (std::from_chars(begin, end, value).ec != std::errc()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

int ReadIniInt(const QString& path, const QString& section, const QString& key, int defaultValue) {
    const std::optional<IniLines> ini = ReadLines(path);
    if (!ini) {
        return defaultValue;
    }
    const KeyPosition at = Find(ini->lines, section, key);
    if (at.keyLine < 0) {
        return defaultValue;
    }
    const QByteArray& line = ini->lines[at.keyLine];
    return LeadingInt(line.mid(line.indexOf('=') + 1)).value_or(defaultValue);
}

bool WriteIniInt(const QString& path, const QString& section, const QString& key, int value) {
    std::optional<IniLines> ini = ReadLines(path);
    if (!ini) {
        return false;
    }
    const QByteArray entry = key.toUtf8() + '=' + QByteArray::number(value);
    const KeyPosition at = Find(ini->lines, section, key);
    if (at.keyLine >= 0) {
        ini->lines[at.keyLine] = entry;
    } else if (at.sectionLine >= 0) {
        ini->lines.insert(at.sectionEnd, entry);
    } else {
        ini->lines.append('[' + section.toUtf8() + ']');
        ini->lines.append(entry);
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    for (const QByteArray& line : ini->lines) {
        file.write(line);
        file.write(ini->lineEnd);
    }
    return file.commit();
}
