// Fixed-size UTF-16 name fields of the records, converted to and from QString at the edges.
#pragma once

#include <algorithm>
#include <cstddef>

#include <QString>

// Reads up to the first NUL; a field without one is read to its end, never past it.
template <std::size_t N>
QString FieldToString(const char16_t (&field)[N]) {
    const auto* end = std::find(field, field + N, u'\0');
    return QString::fromUtf16(field, end - field);
}

// The first `units` UTF-16 units of the text, one fewer when the cut would split a surrogate pair.
inline QString CutToUnits(const QString& text, qsizetype units) {
    if (units < 0) {
        return {};
    }
    if (units >= text.size()) {
        return text;
    }
    if (units > 0 && text[units - 1].isHighSurrogate() && text[units].isLowSurrogate()) {
        --units;
    }
    return text.left(units);
}

// Writes at most N - 1 units, zero-fills the rest, so the field is always terminated. A surrogate
// pair that does not fit is left out whole.
template <std::size_t N>
void StringToField(char16_t (&field)[N], const QString& text) {
    const std::size_t count =
        static_cast<std::size_t>(CutToUnits(text, static_cast<qsizetype>(N - 1)).size());
    std::fill(field, field + N, u'\0');
    std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), count, field);
}

// True when the field holds no terminating NUL (only a damaged file brings that).
template <std::size_t N>
bool FieldUnterminated(const char16_t (&field)[N]) {
    return std::find(field, field + N, u'\0') == field + N;
}
