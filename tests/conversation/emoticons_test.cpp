#include <gtest/gtest.h>

#include "conversation/emoticons.h"

using namespace quillo;

namespace {

const QString kFolder = QStringLiteral("file:///opt/quillo/Emoticons");

QString img(const char* file) {
    return QStringLiteral("<img src=\"%1/%2\"></img>").arg(kFolder, QLatin1String(file));
}

QString q(const char16_t* s) {
    return QString::fromUtf16(s);
}

// An expected text, written as a literal or built from pieces.
struct Text {
    Text(const char16_t* literal)
        : value(QString::fromUtf16(literal)) {}
    Text(QString built)
        : value(std::move(built)) {}
    QString value;
};

} // namespace

TEST(EmoticonTable, RowsInTheirOrder) {
    struct Row {
        const char16_t* code;
        Qt::CaseSensitivity cs;
        const char16_t* image;
    };
    constexpr auto exact = Qt::CaseSensitive;
    constexpr auto any = Qt::CaseInsensitive;
    const Row expected[] = {
        {u"3:) ", exact, u"ref13.png"},      {u">:O ", exact, u"ref19.png"},
        {u"&gt;:O ", exact, u"ref19.png"},   {u">:( ", exact, u"ref10.png"},
        {u"&gt;:( ", exact, u"ref10.png"},   {u"O:) ", exact, u"ref15.png"},
        {u":-* ", exact, u"ref14.gif"},      {u"&circ;_&circ; ", exact, u"ref16.png"},
        {u"^_^ ", exact, u"ref16.png"},      {u"-_- ", exact, u"ref17.png"},
        {u"O.o ", exact, u"ref18.png"},      {u"<3 ", exact, u"ref20.gif"},
        {u"&lt;3 ", exact, u"ref20.gif"},    {u":|] ", exact, u"ref22.png"},
        {u":wombat: ", exact, u"ref23.png"}, {u":) ", any, u"ref1.png"},
        {u":( ", any, u"ref2.png"},          {u":P ", any, u"ref3.gif"},
        {u":D ", any, u"ref4.png"},          {u":O ", exact, u"ref5.png"},
        {u";) ", exact, u"ref6.png"},        {u"8) ", any, u"ref7.png"},
        {u"B) ", exact, u"ref8.png"},        {u":3 ", exact, u"ref9.png"},
        {u":/ ", exact, u"ref11.png"},       {u":'( ", exact, u"ref12.png"},
        {u":v", exact, u"ref21.png"},        {u"%0A", exact, u""},
    };
    const auto table = EmoticonTable();
    ASSERT_EQ(table.size(), std::size(expected));
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].code, QStringView(expected[i].code)) << "row " << i + 1;
        EXPECT_EQ(table[i].caseSensitivity, expected[i].cs) << "row " << i + 1;
        EXPECT_EQ(table[i].image, QStringView(expected[i].image)) << "row " << i + 1;
    }
}

TEST(ApplyEmoticons, Table) {
    struct Case {
        const char16_t* in;
        Text out;
    };
    const Case cases[] = {
        {u"Hello :) ", q(u"Hello ") + img("ref1.png")},
        {u":):) ", q(u":)") + img("ref1.png")}, // the first code has no space after it
        {u"3:) ", img("ref13.png")},            // not a 3 and a smiley
        {u"&gt;:( ", img("ref10.png")},
        {u"&gt;:O ", img("ref19.png")},
        {u"&lt;3 ", img("ref20.gif")},
        {u"&circ;_&circ; ", img("ref16.png")},
        {u":p :d ", img("ref3.gif") + img("ref4.png")}, // any case
        {u":o ", u":o "},                               // exact
        {u"o:) ", q(u"o") + img("ref1.png")},
        {u"b) ", u"b) "},
        {u":wombat: ", img("ref23.png")},
        {u"colon:value", q(u"colon") + img("ref21.png") + q(u"alue")}, // no trailing space
        {u"%0A ", u"<Br> "},
        {u":)", u":)"},
        {u"&amp;lt;3 ", u"&amp;lt;3 "}, // the typed text "&lt;3" is no heart
        // A picture's own markup never forms a code with the text after it.
        {u"3:) :O ", img("ref13.png") + img("ref5.png")},
        {u"3:) :( ", img("ref13.png") + img("ref2.png")},
        {u":) <3 ", img("ref1.png") + img("ref20.gif")},
        {u":) &lt;3 ", img("ref1.png") + img("ref20.gif")},
        {u"qlffbemcbrp_uniquestr", u"qlffbemcbrp_uniquestr"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ApplyEmoticons(q(c.in), kFolder).toStdString(), c.out.value.toStdString())
            << q(c.in).toStdString();
}

TEST(ApplyEmoticons, FolderUrlCannotBreakThePictureElement) {
    // A quote would end the attribute; "_" and "*" would later be taken for markers.
    const QString folder = QStringLiteral("file:///home/a\"b<c>&d/my_pics*/Emoticons");
    EXPECT_EQ(ApplyEmoticons(QStringLiteral(":) "), folder),
              QStringLiteral("<img src=\"file:///home/a%22b%3Cc%3E%26d/my%5Fpics%2A/Emoticons/"
                             "ref1.png\"></img>"));
}

TEST(EmoticonFolderUrl, ProgramFolderWithSlashes) {
    EXPECT_EQ(EmoticonFolderUrl(QStringLiteral("C:\\Program Files\\Quillo\\")),
              QStringLiteral("file://C:/Program Files/Quillo/Emoticons"));
    EXPECT_EQ(EmoticonFolderUrl(QStringLiteral("/opt/quillo")),
              QStringLiteral("file:///opt/quillo/Emoticons"));
    EXPECT_EQ(EmoticonFolderUrl(QStringLiteral("/opt/quillo/")),
              QStringLiteral("file:///opt/quillo/Emoticons"));
}
