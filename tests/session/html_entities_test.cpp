#include <gtest/gtest.h>

#include "support/qt_printers.h"

#include "session/html_entities.h"

using namespace quillo;

namespace {

QString q(const char16_t* s) {
    return QString::fromUtf16(s);
}

struct Case {
    const char16_t* in;
    const char16_t* out;
};

void expectDecodes(const Case* begin, const Case* end) {
    for (const Case* c = begin; c != end; ++c)
        EXPECT_EQ(DecodeEntities(q(c->in)), q(c->out)) << q(c->in).toStdString();
}

} // namespace

TEST(DecodeEntities, NamedEntitiesInTheirOrder) {
    const Case cases[] = {
        {u"", u""},
        {u"plain text", u"plain text"},
        {u"&quot;a&quot;&nbsp;&amp;&lt;b&gt;", u"\"a\" &<b>"},
        {u"&QUOT;&NbSp;&AMP;&Lt;&gT;", u"\" &<>"},
        {u"a.php?x=1&amp;y=2", u"a.php?x=1&y=2"},
        {u"&amp;lt;", u"<"}, // &amp; goes before &lt;
        {u"&amp;gt;", u">"},
        {u"&amp;quot;", u"&quot;"}, // but after &quot;
        {u"&amp;amp;", u"&amp;"},   // one pass each
        {u"&lt", u"&lt"},
        {u"&amp", u"&amp"},
    };
    expectDecodes(std::begin(cases), std::end(cases));
}

TEST(DecodeEntities, DecimalEntities) {
    const Case cases[] = {
        {u"&#65;", u"A"},
        {u"&#65;&#65;x&#66;", u"AAxB"},
        {u"&#0065;", u"A"},
        {u"&#233;t&#233;", u"\u00e9t\u00e9"},
        {u"&#38;#65;", u"A"}, // a decoded "&" is read again
        {u"&amp;#65;", u"A"},
        {u"&#x27;", u"&#x27;"}, // hexadecimal is not read
        {u"&#x27;&#65;", u"&#x27;A"},
        {u"&#;", u"&#;"},
        {u"&# 65;", u"&# 65;"},
        {u"&#+65;", u"&#+65;"},
        {u"&#-65;", u"&#-65;"},
        {u"&#6&#53;;", u"&#65;"}, // the inner entity first, and no second round at the start
        // Code points beyond one unit, and values no character has.
        {u"&#128512;", u"\U0001F600"},
        {u"&#1114111;", u"\U0010FFFF"},
        {u"&#55357;&#56832;", u"\U0001F600"}, // a pair written unit by unit
        {u"&#1114112;", u"&#1114112;"},
        {u"&#99999999999;", u"&#99999999999;"},
        {u"&#0;", u"&#0;"},
        {u"&#000;x&#65;", u"&#000;xA"},
        // Cut short: nothing is read past the end.
        {u"&#", u"&#"},
        {u"&#65", u"&#65"},
        {u"x&#65;y&#66", u"xAy&#66"},
        {u"&#65;&", u"A&"},
    };
    expectDecodes(std::begin(cases), std::end(cases));
}

TEST(DecodeEntities, HexEscapesOnlyAfterAnUnterminatedNumericEntity) {
    const Case cases[] = {
        {u"&#65;\\x41", u"A\\x41"}, // the numeric pass ran out of "&#"
        {u"\\x41", u"\\x41"},
        {u"&#65 \\x41", u"&#65 A"},         // stopped at "&#65" without ";"
        {u"\\x41 &#65", u"\\x41 &#65"},     // only from where it stopped
        {u"\\x41 &#65 \\x41", u"A &#65 A"}, // but each escape everywhere
        {u"&#6 \\x2f\\x2F", u"&#6 //"},
        {u"&#6 \\x4", u"&#6 \\x4"}, // cut short
        {u"&#6 \\x", u"&#6 \\x"},
        {u"&#6 \\xZZ\\x41", u"&#6 \\xZZA"},
        {u"&#6 \\x00", u"&#6 \\x00"}, // no NUL in a URL
        {u"&#6 \\x5cx41", u"&#6 A"},  // a decoded backslash is read again
    };
    expectDecodes(std::begin(cases), std::end(cases));
}
