#include <gtest/gtest.h>

#include "conversation/text_codecs.h"
#include "support/text_cases.h"

using namespace quillo;

using Case = quillo::test::TextCase;
using quillo::test::q;

TEST(DecodeUnicodeEscapes, Table) {
    const Case cases[] = {
        {u"", u""},
        {u"abc", u"abc"},
        {u"\\u00e", u"\\u00e"},          // five units: no escape fits
        {u"\\u00e9", u"\u00e9"},         // six units
        {u"caf\\u00e9", u"caf\u00e9"},   // one backslash
        {u"caf\\\\u00e9", u"caf\u00e9"}, // two backslashes
        {u"\\u00e9x", u"\u00e9x"},       // the last unit is appended after the walk
        {u"a\\u00e9", u"a\u00e9"},       // the escape consumed the last unit
        {u"\\u03A9\\u03a9", u"\u03a9\u03a9"},
        {u"\\uD83D\\uDE00!", u"\U0001F600!"}, // a surrogate pair, unit by unit
        {u"\\u005Cu0041", u"\\u0041"},        // a decoded unit is not re-examined
        {u"x\\U00e9y", u"x\\U00e9y"},         // upper-case U is no escape
        // Cut short or not hexadecimal: copied as it stands, nothing read past the end.
        {u"abcd\\u12", u"abcd\\u12"},
        {u"abcde\\u", u"abcde\\u"},
        {u"ab\\uzz12cd", u"ab\\uzz12cd"},
        {u"ab\\\\uzz12cd", u"ab\\\\uzz12cd"},
        {u"abcdef\\\\u123", u"abcdef\\\\u123"},
        {u"abcdef\\", u"abcdef\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeUnicodeEscapes(q(c.in)), q(c.out)) << q(c.in).toStdString();
}

TEST(StripBackslashEscapes, Table) {
    const Case cases[] = {
        {u"", u""},
        {u"say \\\"hi\\\"", u"say \"hi\""},
        {u"a\\/b", u"a/b"},
        {u"a\\\\b", u"a\\b"},
        {u"caf\\u00e9", u"caf\\u00e9"}, // left for the unicode decoder
        {u"abc\\", u"abc"},             // trailing lone backslash dropped
        {u"\\U0041", u"U0041"},
        {u"\\x", u"x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StripBackslashEscapes(q(c.in)), q(c.out)) << q(c.in).toStdString();
}

TEST(TextCodecs, BodyDecodingOrderTurnsEscapedBackslashUIntoTheLetter) {
    // An escaped backslash before u0041 leaves the strip as \u0041, which then decodes.
    const QString body = q(u"\\\\u0041");
    EXPECT_EQ(StripBackslashEscapes(body), q(u"\\u0041"));
    EXPECT_EQ(DecodeUnicodeEscapes(StripBackslashEscapes(body)), q(u"A"));
}

TEST(EncodeUnicodeEscapes, EscapesOnlyUnitsAbove255AndRoundTrips) {
    EXPECT_EQ(EncodeUnicodeEscapes(q(u"Zo\u00eb \u03a9mega")), q(u"Zo\u00eb \\u03A9mega"));
    EXPECT_EQ(EncodeUnicodeEscapes(q(u"\U0001F600")), q(u"\\uD83D\\uDE00"));
    for (const char16_t* t :
         {u"", u"a", u"\u00ff\u0100", u"\u4e2d\u6587 text \U0001F600", u"Zo\u00eb \u03a9mega"})
        EXPECT_EQ(DecodeUnicodeEscapes(EncodeUnicodeEscapes(q(t))), q(t));
}
