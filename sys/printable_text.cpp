#include "sys/printable_text.h"

namespace {

bool IsControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

void AppendEscaped(QString& out, char32_t c) {
    switch (c) {
        case U'\\':
            out += QLatin1String("\\\\");
            return;
        case U'\t':
            out += QLatin1String("\\t");
            return;
        case U'\n':
            out += QLatin1String("\\n");
            return;
        case U'\r':
            out += QLatin1String("\\r");
            return;
        default:
            break;
    }
    if (IsControl(c) || ChangesLineLayout(c) || (c >= 0xD800 && c <= 0xDFFF)) {
        out += QStringLiteral("\\u{%1}").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0'));
    } else {
        out += QString::fromUcs4(&c, 1);
    }
}

// Length of the valid UTF-8 sequence at `at`, 0 when there is none.
int Utf8SequenceLength(const QByteArray& bytes, qsizetype at, char32_t& decoded) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    int length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        decoded = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, decoded = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, decoded = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, decoded = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        decoded = decoded << 6 | (byte(at + i) & 0x3F);
    }
    const bool surrogate = decoded >= 0xD800 && decoded <= 0xDFFF;
    return decoded < minimum || decoded > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

bool ChangesLineLayout(char32_t c) {
    return c == 0x2028 || c == 0x2029 || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

QString EscapeControls(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else {
            AppendEscaped(out, c.unicode());
        }
    }
    return out;
}

QString PrintableFileName(const QByteArray& bytes) {
    QString out;
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t decoded = 0;
        const int length = Utf8SequenceLength(bytes, i, decoded);
        if (length == 0) {
            out += QStringLiteral("\\x%1").arg(static_cast<unsigned char>(bytes[i]), 2, 16,
                                               QLatin1Char('0'));
            ++i;
        } else {
            AppendEscaped(out, decoded);
            i += length;
        }
    }
    return out;
}
