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

// Writes at most N - 1 units, zero-fills the rest, so the field is always terminated.
template <std::size_t N>
void StringToField(char16_t (&field)[N], const QString& text) {
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(text.size()), N - 1);
    std::fill(field, field + N, u'\0');
    std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), count, field);
}

// True when the field holds no terminating NUL (only a damaged file brings that).
template <std::size_t N>
bool FieldUnterminated(const char16_t (&field)[N]) {
    return std::find(field, field + N, u'\0') == field + N;
}
