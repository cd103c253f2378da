// Text that goes to a terminal one item a line: names from files and paths from the command line
// may hold anything, so control characters are written as escapes and cannot forge lines.
#pragma once

#include <QByteArray>
#include <QString>

// Backslash, tab, line feed and carriage return as \\, \t, \n, \r; every other control character
// (C0, DEL, C1) and a lone surrogate as \u{XXXX}. Everything else stays as it is.
QString EscapeControls(const QString& text);

// A file name given as bytes: valid UTF-8 is decoded, every byte that is not part of a valid
// sequence is written as \xNN, then control characters are escaped as above.
QString PrintableFileName(const QByteArray& bytes);
