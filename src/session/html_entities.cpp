#include "session/html_entities.h"

#include "session/pattern_search.h"

namespace quillo {

namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;

// The code point named by a run of decimal digits, or 0 when the run is empty, holds anything
// but digits, or names 0 or a value beyond Unicode. Stops reading as soon as the value is out
// of range, so a long run of digits costs no more than its first few.
char32_t decimalCodePoint(QStringView digits) {
    if (digits.isEmpty())
        return 0;
    char32_t value = 0;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        if (u < u'0' || u > u'9')
            return 0;
        value = value * 10 + (u - u'0');
        if (value > kLastCodePoint)
            return 0;
    }
    return value;
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Values from 0xD800 to 0xDFFF stay single code units, as everywhere else in the service's
// text, so a pair written as two entities joins up again.
QString unitsOf(char32_t codePoint) {
    if (QChar::requiresSurrogates(codePoint)) {
        const QChar pair[2] = {QChar(QChar::highSurrogate(codePoint)),
                               QChar(QChar::lowSurrogate(codePoint))};
        return QString(pair, 2);
    }
    return QString(QChar(static_cast<char16_t>(codePoint)));
}

// The decimal entity pass. Returns the position of an "&#" that had no ";" after it, or -1
// when the pass ran out of "&#".
qsizetype decodeNumericEntities(QString& text) {
    constexpr QStringView kOpen = u"&#";
    qsizetype pos = 0;
    // A run of "&#" that fail to decode shares one ";": remember it instead of searching
    // for it again from every "&#". Any replacement moves text, so it forgets the position.
    qsizetype semicolon = -1;
    for (;;) {
        const qsizetype amp = text.indexOf(kOpen, pos);
        if (amp < 0)
            return -1;
        if (semicolon < amp + 2)
            semicolon = text.indexOf(QLatin1Char(';'), amp + 2);
        if (semicolon < 0)
            return amp;
        const char32_t code =
            decimalCodePoint(QStringView(text).sliced(amp + 2, semicolon - amp - 2));
        if (code == 0) {
            pos = amp + 1;
            continue;
        }
        const QString entity = text.sliced(amp, semicolon - amp + 1);
        text = ReplaceAll(text, entity, unitsOf(code));
        semicolon = -1;
        pos = amp;
    }
}

void decodeHexEscapes(QString& text, qsizetype from) {
    constexpr QStringView kOpen = u"\\x";
    qsizetype pos = from;
    for (;;) {
        const qsizetype at = text.indexOf(kOpen, pos);
        if (at < 0)
            return;
        if (at + 4 <= text.size()) {
            const int high = hexDigit(text[at + 2]);
            const int low = hexDigit(text[at + 3]);
            if (high >= 0 && low >= 0 && high * 16 + low != 0) {
                const QString escape = text.sliced(at, 4);
                text = ReplaceAll(text, escape, QString(QChar(high * 16 + low)));
                pos = at;
                continue;
            }
        }
        pos = at + 1;
    }
}

} // namespace

QString DecodeEntities(const QString& text) {
    struct Named {
        QStringView entity;
        QStringView character;
    };
    static constexpr Named kNamed[] = {
        {u"&quot;", u"\""}, {u"&nbsp;", u" "}, {u"&amp;", u"&"}, {u"&lt;", u"<"}, {u"&gt;", u">"},
    };
    QString result = text;
    for (const Named& named : kNamed)
        result = ReplaceAll(result, named.entity, named.character, Qt::CaseInsensitive);

    const qsizetype stoppedAt = decodeNumericEntities(result);
    if (stoppedAt >= 0)
        decodeHexEscapes(result, stoppedAt);
    return result;
}

} // namespace quillo
