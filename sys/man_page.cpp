#include "sys/man_page.h"

#include <QStringList>

QString RoffText(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\')) {
            out += QLatin1String("\\e");
        } else if (c == QLatin1Char('-')) {
            out += QLatin1String("\\-");
        } else if (c.unicode() > 0x7E) {
            const char32_t code = c.isHighSurrogate() && i + 1 < text.size()
                                      ? QChar::surrogateToUcs4(c, text.at(++i))
                                      : c.unicode();
            out += QStringLiteral("\\[u%1]").arg(QString::number(static_cast<uint>(code), 16)
                                                     .toUpper()
                                                     .rightJustified(4, QLatin1Char('0')));
        } else {
            out += c;
        }
    }
    return out;
}

ManPage::ManPage(const QString& name, int section, const QString& version, const QString& manual)
    : name_(name) {
    // No date: the page is the same for every build of one version.
    Line(QStringLiteral(".TH %1 %2 \"\" \"%3\" \"%4\"")
             .arg(name.toUpper(), QString::number(section), RoffText(version), RoffText(manual)));
}

void ManPage::Line(const QString& line) {
    text_ += line;
    text_ += QLatin1Char('\n');
}

void ManPage::Name(const QString& description) {
    Section(QStringLiteral("Name"));
    Line(RoffText(name_) + QStringLiteral(" \\- ") + RoffText(description));
}

void ManPage::Section(const QString& title) {
    Line(QStringLiteral(".SH ") + RoffText(title.toUpper()));
}

void ManPage::Paragraph(const QString& text) {
    Line(QStringLiteral(".PP"));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        // A line may not start a request, nor be empty (a blank line is a request of its own).
        if (!line.trimmed().isEmpty()) {
            Line(QStringLiteral("\\&") + RoffText(line));
        }
    }
}

void ManPage::Synopsis(const QString& arguments) {
    Line(QStringLiteral(".B ") + RoffText(name_));
    Line(QStringLiteral("\\&") + RoffText(arguments));
}

void ManPage::Item(const QString& tag, const QString& text) {
    Line(QStringLiteral(".TP"));
    Line(QStringLiteral("\\fB") + RoffText(tag) + QStringLiteral("\\fR"));
    Line(QStringLiteral("\\&") + RoffText(text));
}

void ManPage::Example(const QString& lines) {
    Line(QStringLiteral(".PP"));
    Line(QStringLiteral(".RS 4"));
    Line(QStringLiteral(".nf"));
    for (const QString& line : lines.split(QLatin1Char('\n'))) {
        Line(QStringLiteral("\\&") + RoffText(line));
    }
    Line(QStringLiteral(".fi"));
    Line(QStringLiteral(".RE"));
}
