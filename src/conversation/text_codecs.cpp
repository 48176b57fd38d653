#include "conversation/text_codecs.h"

namespace quillo {

namespace {

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The code unit named by the four digits at text[at..at+3], or -1 when they are not all
// there or not all hexadecimal.
int fourHexDigits(const QString& text, qsizetype at) {
    if (at + 4 > text.size())
        return -1;
    int value = 0;
    for (qsizetype i = at; i < at + 4; ++i) {
        const int digit = hexValue(text[i]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

constexpr QChar kBackslash = u'\\';
constexpr QChar kU = u'u';

} // namespace

QString DecodeUnicodeEscapes(const QString& text) {
    const qsizetype n = text.size();
    if (n < 6)
        return text;
    QString out;
    out.reserve(n);
    qsizetype p = 0;
    // The last unit is never the start of an escape; it is appended after the walk unless an
    // escape consumed it.
    while (p < n - 1) {
        if (text[p] == kBackslash && text[p + 1] == kU) {
            const int unit = fourHexDigits(text, p + 2);
            if (unit >= 0) {
                out.append(QChar(static_cast<char16_t>(unit)));
                p += 6;
                continue;
            }
        } else if (text[p] == kBackslash && text[p + 1] == kBackslash && p + 2 < n &&
                   text[p + 2] == kU) {
            const int unit = fourHexDigits(text, p + 3);
            if (unit >= 0) {
                out.append(QChar(static_cast<char16_t>(unit)));
                p += 7;
                continue;
            }
        }
        out.append(text[p]);
        ++p;
    }
    if (p == n - 1)
        out.append(text[n - 1]);
    return out;
}

QString StripBackslashEscapes(const QString& text) {
    const qsizetype n = text.size();
    QString out;
    out.reserve(n);
    for (qsizetype p = 0; p < n; ++p) {
        if (text[p] != kBackslash) {
            out.append(text[p]);
        } else if (p + 1 == n) {
            // a trailing lone backslash is dropped
        } else if (text[p + 1] == kU) {
            out.append(text[p]);
        } else {
            out.append(text[p + 1]);
            ++p;
        }
    }
    return out;
}

QString EncodeUnicodeEscapes(const QString& text) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u <= 255) {
            out.append(c);
            continue;
        }
        const char16_t escape[6] = {u'\\',
                                    u'u',
                                    kDigits[(u >> 12) & 0xF],
                                    kDigits[(u >> 8) & 0xF],
                                    kDigits[(u >> 4) & 0xF],
                                    kDigits[u & 0xF]};
        out.append(QStringView(escape, 6));
    }
    return out;
}

} // namespace quillo
