#include "conversation/character_references.h"

#include <algorithm>

namespace quillo {

namespace {

struct NamedReference {
    QStringView name; // between "&" and ";"
    char16_t unit;
};

constexpr NamedReference kNamed[] = {
    {u"amp", u'&'},   {u"lt", u'<'},        {u"gt", u'>'},   {u"quot", u'"'},
    {u"apos", u'\''}, {u"nbsp", u'\u00A0'}, {u"circ", u'^'}, {u"AMP", u'&'},
    {u"LT", u'<'},    {u"GT", u'>'},        {u"QUOT", u'"'},
};

// The longest name above; a ";" further away than this cannot end a named reference.
constexpr qsizetype kLongestName = 4;
constexpr char32_t kLastCodePoint = 0x10FFFF;

int digitValue(char16_t u, bool hex) {
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (!hex)
        return -1;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// "&#N;" or "&#xH;" at text[at]. Stops as soon as the value leaves Unicode, so a long run of
// digits costs no more than its first few.
CharacterReference numericReference(QStringView text, qsizetype at) {
    qsizetype p = at + 2;
    const bool hex = p < text.size() && (text[p] == u'x' || text[p] == u'X');
    if (hex)
        ++p;
    const qsizetype firstDigit = p;
    char32_t value = 0;
    for (; p < text.size(); ++p) {
        const int digit = digitValue(text[p].unicode(), hex);
        if (digit < 0)
            break;
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
        if (value > kLastCodePoint)
            return {};
    }
    if (p == firstDigit || p >= text.size() || text[p] != u';' || value == 0)
        return {};
    CharacterReference ref;
    ref.length = p + 1 - at;
    if (QChar::requiresSurrogates(value)) {
        ref.units.append(QChar(QChar::highSurrogate(value)));
        ref.units.append(QChar(QChar::lowSurrogate(value)));
    } else {
        // A lone surrogate value stays one unit; the view's escaping mends what is left unpaired.
        ref.units.append(QChar(static_cast<char16_t>(value)));
    }
    return ref;
}

} // namespace

CharacterReference ReadCharacterReference(QStringView text, qsizetype at) {
    if (at < 0 || at + 1 >= text.size() || text[at] != u'&')
        return {};
    if (text[at + 1] == u'#')
        return numericReference(text, at);
    const QStringView rest = text.sliced(at + 1, std::min(text.size() - at - 1, kLongestName + 1));
    const qsizetype semicolon = rest.indexOf(u';');
    if (semicolon <= 0)
        return {};
    const QStringView name = rest.first(semicolon);
    for (const NamedReference& named : kNamed) {
        if (name == named.name)
            return {QString(QChar(named.unit)), semicolon + 2};
    }
    return {};
}

QString DecodeCharacterReferences(QStringView text) {
    QString out;
    out.reserve(text.size());
    qsizetype copied = 0;
    for (qsizetype amp = text.indexOf(u'&'); amp >= 0; amp = text.indexOf(u'&', amp)) {
        const CharacterReference ref = ReadCharacterReference(text, amp);
        if (ref.length == 0) {
            ++amp;
            continue;
        }
        out.append(text.sliced(copied, amp - copied));
        out.append(ref.units);
        amp += ref.length;
        copied = amp;
    }
    out.append(text.sliced(copied));
    return out;
}

} // namespace quillo
