#include <gtest/gtest.h>

#include "session/cookie_jar.h"
#include "session/http_text.h"
#include "support/qt_printers.h"

using namespace quillo;

TEST(BodyToText, DecodesByCharsetThenMarkThenUtf8ThenWindows1252) {
    const QString cafe = QString::fromUtf8("caf\xC3\xA9");
    const struct {
        const char* what;
        QByteArray body;
        QByteArray contentType;
        QString text;
    } cases[] = {
        {"utf-8 declared", "caf\xC3\xA9", "text/html; charset=utf-8", cafe + "\r\n"},
        {"latin-1 declared", "caf\xE9", "text/html; charset=ISO-8859-1", cafe + "\r\n"},
        {"quoted charset", "caf\xE9", "text/html; charset=\"windows-1252\"", cafe + "\r\n"},
        {"utf-8 mark",
         "\xEF\xBB\xBF"
         "caf\xC3\xA9",
         "text/html", cafe + "\r\n"},
        {"utf-16le mark",
         QByteArray("\xFF\xFE"
                    "c\0a\0f\0\xE9\0",
                    10),
         "", cafe + "\r\n"},
        {"undeclared valid utf-8", "caf\xC3\xA9", "", cafe + "\r\n"},
        {"undeclared non-utf-8 is windows-1252", "caf\xE9 \x80", "",
         cafe + QString::fromUtf8(" \xE2\x82\xAC") + "\r\n"},
        {"line ends become CRLF", "a\nb\r\nc\rd", "", "a\r\nb\r\nc\r\nd\r\n"},
        {"blank lines kept", "a\n\nb\n", "", "a\r\n\r\nb\r\n"},
        {"empty body", "", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BodyToText(c.body, c.contentType), c.text) << c.what;
}

TEST(EncodeForm, Utf8PercentEncodedInOrder) {
    const FormFields fields{{"msg_text", QString::fromUtf8("\xD0\x9F\xD1\x80\xD0\xB8 & =ok")},
                            {"to", "1"}};
    EXPECT_EQ(EncodeForm(fields), QByteArray("msg_text=%D0%9F%D1%80%D0%B8%20%26%20%3Dok&to=1"));
    EXPECT_EQ(EncodeForm({}), QByteArray());
}

TEST(StoreCookies, SetCookieLinesReplaceOrAddWithTheirAttributes) {
    CookieJar jar;
    jar.set("c_user", "old", "facebook.test");
    StoreCookies(jar,
                 {"HTTP/1.1 200 OK",
                  "Set-Cookie: c_user=123; expires=Wed, 01-Jan-2031 00:00:00 GMT; path=/",
                  "Set-Cookie: xs=abc", "Set-Cookie: empty=", "Set-Cookie: noequals",
                  "Set-Cookie: =novalue", "Content-Type: text/html"},
                 "facebook.test");
    ASSERT_EQ(jar.entries().size(), 2);
    EXPECT_EQ(jar.find("c_user")->value, "123; expires=Wed, 01-Jan-2031 00:00:00 GMT; path=/");
    EXPECT_EQ(jar.find("xs")->value, "abc");
    EXPECT_EQ(jar.find("xs")->domain, "facebook.test");
    EXPECT_EQ(jar.find("empty"), nullptr);
}

TEST(ChannelCookieLines, EachCookieOnItsOwnLineWithoutMadeWriteConn) {
    CookieJar jar;
    jar.set("c_user", "42", "facebook.test");
    jar.set("made_write_conn", "1", "facebook.test");
    jar.set("xs", "s1", "facebook.test");
    const QList<QByteArray> lines = ChannelCookieLines(jar, "www.facebook.test", "channel06", "42",
                                                       "1244000000123", "1244000000");
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "Cookie: c_user=42;");
    EXPECT_EQ(lines[1], "Cookie: xs=s1;");
    EXPECT_EQ(lines[2], "Cookie: x-referer=http%3A%2F%2Fwww.facebook.test%2Fhome.php;");
    EXPECT_TRUE(
        lines[3].startsWith("Cookie: presence=%7B%22v%22%3A2%2C%22time%22%3A1244000000%2C"));
    EXPECT_TRUE(lines[3].contains("%22h%22%3A%22channel06%22"));
    EXPECT_TRUE(lines[3].contains("%22p_42%22%3A0"));
    EXPECT_TRUE(lines[3].contains("%22ut%22%3A1244000000123%2C"));
    EXPECT_TRUE(lines[3].endsWith("%22cvr%22%3Anull%7D%7D;"));
    EXPECT_TRUE(lines[4].startsWith("Cookie: s_sq=facebookpoc%3D%2526pid%253DWelcome"));
    EXPECT_TRUE(lines[4].endsWith("%2526ot%253DSUBMIT;"));
}

TEST(CookieJar, HeaderCoversTheDomainAndItsHosts) {
    CookieJar jar;
    jar.set("a", "1", "facebook.test");
    jar.set("b", "2", ".other.test");
    EXPECT_EQ(jar.headerValueFor("www.facebook.test"), "a=1");
    EXPECT_EQ(jar.headerValueFor("facebook.test"), "a=1");
    EXPECT_EQ(jar.headerValueFor("notfacebook.test"), "");
    EXPECT_EQ(jar.headerValueFor("x.other.test"), "b=2");
}
