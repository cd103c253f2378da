#include "sys/ini_file.h"

#include <QByteArrayList>

#include <cctype>
#include <charconv>
#include <optional>
#include <vector>

#include "sys/file_io.h"

namespace {

// A settings file is a few lines; anything larger is not one and is neither read nor rewritten.
constexpr qint64 kMaxIniBytes = 1 << 20;

// Where a line lies in the file: its text [start, end) and its line end [end, next).
struct LineSpan {
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype next = 0;
};

struct IniLines {
    QByteArray content;           // the file as it is
    QByteArrayList lines;         // the lines without their line ends
    std::vector<LineSpan> spans;  // where each line lies in content
};

// Lines end in CR LF, LF or a lone CR, each line as its own file has it.
std::optional<IniLines> ReadLines(const QString& path) {
    IniLines ini;
    RegularFileReader file;
    const FileError error = file.Open(NativePath(path), kMaxIniBytes);
    if (error == FileError::Missing) {
        return ini;
    }
    if (error != FileError::None) {
        return std::nullopt;
    }
    ini.content.resize(static_cast<qsizetype>(file.Size()));
    if (file.Read(ini.content.data(), ini.content.size()) != ini.content.size()) {
        return std::nullopt;
    }
    const QByteArray& c = ini.content;
    for (qsizetype start = 0; start < c.size();) {
        qsizetype end = start;
        while (end < c.size() && c[end] != '\n' && c[end] != '\r') {
            ++end;
        }
        qsizetype next = end;
        if (next < c.size()) {
            next += c[next] == '\r' && next + 1 < c.size() && c[next + 1] == '\n' ? 2 : 1;
        }
        ini.lines.append(c.mid(start, end - start));
        ini.spans.push_back({start, end, next});
        start = next;
    }
    return ini;
}

// The line end to give a new line: that of the line it follows, else the file's first one.
QByteArray LineEndNear(const IniLines& ini, qsizetype line) {
    if (line >= 0 && ini.spans[line].next > ini.spans[line].end) {
        const LineSpan& span = ini.spans[line];
        return ini.content.mid(span.end, span.next - span.end);
    }
    for (const LineSpan& span : ini.spans) {
        if (span.next > span.end) {
            return ini.content.mid(span.end, span.next - span.end);
        }
    }
    return "\n";
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
    // Only the bytes of the one line change (or are added); every other byte stays as it was.
    const QByteArray entry = key.toUtf8() + '=' + QByteArray::number(value);
    QByteArray content = ini->content;
    const KeyPosition at = Find(ini->lines, section, key);
    if (at.keyLine >= 0) {
        const LineSpan& span = ini->spans[at.keyLine];
        content.replace(span.start, span.end - span.start, entry);
    } else if (at.sectionLine >= 0) {
        const qsizetype last = at.sectionEnd - 1;
        const LineSpan& span = ini->spans[last];
        const QByteArray lineEnd = LineEndNear(*ini, last);
        content.insert(span.next, span.next > span.end ? entry + lineEnd : lineEnd + entry);
    } else {
        const QByteArray lineEnd = LineEndNear(*ini, ini->lines.size() - 1);
        if (!ini->spans.empty() && ini->spans.back().next == ini->spans.back().end) {
            content += lineEnd;
        }
        content += '[' + section.toUtf8() + ']' + lineEnd + entry + lineEnd;
    }
    return WriteFileAtomically(NativePath(path), [&](QIODevice& file) {
               return file.write(content) == content.size();
           }) == FileError::None;
}
