// A manual page in roff with the man macros, written from the same plain text the programs print
// for --help, so the two never tell different stories. `talvore --manpage` and `talvorectl
// --manpage` print theirs; the build installs them to share/man/man1.
#pragma once

#include <QString>

class ManPage {
public:
    // name: "talvorectl"; version: "talvore 0.1.0"; manual: "User Commands".
    ManPage(const QString& name, int section, const QString& version, const QString& manual);

    // The NAME section: "name \- description", on one line as whatis(1) reads it.
    void Name(const QString& description);
    // .SH: a section heading, in capitals.
    void Section(const QString& title);
    // A paragraph of running text.
    void Paragraph(const QString& text);
    // The program's name in bold followed by its arguments, for SYNOPSIS.
    void Synopsis(const QString& arguments);
    // A tagged paragraph: the tag in bold (an option, a command with its arguments, a file), the
    // text indented below it.
    void Item(const QString& tag, const QString& text);
    // Lines shown as they are (an example command), indented.
    void Example(const QString& lines);

    const QString& Text() const { return text_; }

private:
    void Line(const QString& line);

    QString name_;
    QString text_;
};

// Text for roff: backslashes and hyphen-minus escaped, a line that would start a request
// protected, characters outside ASCII as \[uXXXX].
QString RoffText(const QString& text);
