// Text that goes to a terminal one item a line: names from files and paths from the command line
// may hold anything, so control characters are written as escapes and cannot forge lines.
#pragma once

#include <QByteArray>
#include <QString>

// Backslash, tab, line feed and carriage return as \\, \t, \n, \r; every other control character
// (C0, DEL, C1), the characters that break or reorder a line (ChangesLineLayout) and a lone
// surrogate as \u{XXXX}. Everything else stays as it is.
QString EscapeControls(const QString& text);

// The line and paragraph separators (U+2028, U+2029) and the bidirectional controls (U+061C,
// U+200E, U+200F, U+202A..U+202E, U+2066..U+2069): a name holding one could split a listing's line
// or make it read in another order than it is written.
bool ChangesLineLayout(char32_t c);

// A file name given as bytes: valid UTF-8 is decoded, every byte that is not part of a valid
// sequence is written as \xNN, then control characters are escaped as above.
QString PrintableFileName(const QByteArray& bytes);
