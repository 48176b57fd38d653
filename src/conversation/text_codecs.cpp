#include "conversation/text_codecs.h"

#include <algorithm>

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

// The code unit named by the four digits at in[at..at+3], or -1 when they are not all there
// (n units in all) or not all hexadecimal.
int fourHexDigits(const QChar* in, qsizetype n, qsizetype at) {
    if (at + 4 > n)
        return -1;
    int value = 0;
    for (qsizetype i = at; i < at + 4; ++i) {
        const int digit = hexValue(in[i]);
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
    // Most names and lines hold no escape: they are handed back shared, not copied.
    if (n < 6 || !text.contains(kBackslash))
        return text;
    // Written through a pointer: a contact list decodes thousands of names at once, and a call
    // per unit appended costs more than the decoding itself.
    const QChar* in = text.constData();
    QString out(n, Qt::Uninitialized); // never longer than the input
    QChar* o = out.data();
    qsizetype p = 0;
    // The last unit is never the start of an escape; it is copied after the walk unless an
    // escape consumed it.
    while (p < n - 1) {
        if (in[p] == kBackslash && in[p + 1] == kU) {
            const int unit = fourHexDigits(in, n, p + 2);
            if (unit >= 0) {
                *o++ = QChar(static_cast<char16_t>(unit));
                p += 6;
                continue;
            }
        } else if (in[p] == kBackslash && in[p + 1] == kBackslash && p + 2 < n && in[p + 2] == kU) {
            const int unit = fourHexDigits(in, n, p + 3);
            if (unit >= 0) {
                *o++ = QChar(static_cast<char16_t>(unit));
                p += 7;
                continue;
            }
        }
        *o++ = in[p];
        ++p;
    }
    if (p == n - 1)
        *o++ = in[n - 1];
    out.truncate(o - out.constData());
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
    const auto escaped = [](QChar c) { return c.unicode() > 255; };
    const qsizetype escapes = std::count_if(text.cbegin(), text.cend(), escaped);
    if (escapes == 0)
        return text; // nothing to escape: shared, not copied
    QString out(text.size() + 5 * escapes, Qt::Uninitialized); // each escape is six units
    QChar* o = out.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!escaped(c)) {
            *o++ = c;
            continue;
        }
        *o++ = u'\\';
        *o++ = u'u';
        *o++ = kDigits[(u >> 12) & 0xF];
        *o++ = kDigits[(u >> 8) & 0xF];
        *o++ = kDigits[(u >> 4) & 0xF];
        *o++ = kDigits[u & 0xF];
    }
    return out;
}

} // namespace quillo
