#include <gtest/gtest.h>

#include "conversation/character_references.h"
#include "support/text_cases.h"

using namespace quillo;

using Case = quillo::test::TextCase;
using quillo::test::q;

TEST(DecodeCharacterReferences, Table) {
    const Case cases[] = {
        {u"", u""},
        {u"&lt;b&gt; &amp; &quot;q&quot; &apos;", u"<b> & \"q\" '"},
        {u"&circ;_&circ;", u"^_^"},
        {u"a&nbsp;b", u"a\u00A0b"},
        {u"&amp;lt;", u"&lt;"}, // resolved once: the typed text "&lt;"
        {u"&amp;amp;", u"&amp;"},
        {u"&#60;&#x3C;&#X3c;", u"<<<"},
        {u"&#128512;", u"\U0001F600"},
        {u"&#xD83D;&#xDE00;", u"\U0001F600"}, // a pair written as two references
        // Not references: left as written.
        {u"&lt", u"&lt"},
        {u"&", u"&"},
        {u"a & b", u"a & b"},
        {u"&unknown;", u"&unknown;"},
        {u"&#0;", u"&#0;"},
        {u"&#;", u"&#;"},
        {u"&#x;", u"&#x;"},
        {u"&#1114112;", u"&#1114112;"}, // beyond Unicode
        {u"&#99999999999999999999;", u"&#99999999999999999999;"},
        {u"&#12a;", u"&#12a;"},
        {u"&&lt;", u"&<"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeCharacterReferences(q(c.in)), q(c.out)) << q(c.in).toStdString();
}
