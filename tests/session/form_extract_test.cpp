#include <gtest/gtest.h>

#include "support/qt_printers.h"

#include "session/form_action.h"
#include "session/form_extract.h"

using namespace quillo;

namespace {

QString q(const char16_t* s) {
    return QString::fromUtf16(s);
}

QString entry(const char16_t* type, const char16_t* name, const char16_t* value) {
    return q(type) + QStringLiteral("*ICED*") + q(name) + QStringLiteral("*ICED*") + q(value);
}

} // namespace

TEST(FindFormBlock, Table) {
    const struct {
        const char16_t* page;
        const char16_t* marker;
        const char16_t* expected;
    } cases[] = {
        // Only the second form holds the marker.
        {u"<p><form id=\"search\"><input name=q></form>"
         u"<form id=\"login_form\" action=\"/login.php\"><input name=email></form><p>",
         u"id=\"login_form", u" id=\"login_form\" action=\"/login.php\"><input name=email>"},
        {u"<form id=a>A</form><form id=b>B</form>", u"id=a", u" id=a>A"},
        {u"<form id=a>A</form><form id=b>B</form>", u"id=c", u""},
        {u"no forms here", u"x", u""},
        // Tags in any case; the marker itself is case-sensitive.
        {u"<FORM ID=x>A</FoRm><Form id=x>B</FORM>", u"id=x", u" id=x>B"},
        // Unclosed: the block runs to the next "<form" or to the page's end.
        {u"<form id=a>A<form id=b>B</form>", u"id=a", u" id=a>A"},
        {u"<form id=a>A<input name=z>", u"name=z", u" id=a>A<input name=z>"},
        // "</form" right at the start leaves nothing, so the uncut block is used.
        {u"<form</form id=a>A", u"id=a", u"</form id=a>A"},
        // A marker after the form's end is not in the block.
        {u"<form id=a>A</form> id=b <form id=c>", u"id=b", u""},
        {u"<form id=a>A", u"", u" id=a>A"}, // an empty marker takes the first form
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindFormBlock(q(c.page), q(c.marker)), q(c.expected)) << q(c.page).toStdString();
}

TEST(GetTagAttribute, Table) {
    const struct {
        const char16_t* tag;
        const char16_t* name;
        const char16_t* expected;
    } cases[] = {
        {u"", u"name", u""},
        {u"input type=\"hidden\" name=\"lsd\" value=\"AVq\">", u"value", u"AVq"},
        {u"input type='hidden' name='lsd' value='AVq'>", u"value", u"AVq"},
        {u"input type=hidden name=lsd value=AVq>", u"value", u"AVq"},
        {u"<input value=AVq>", u"VALUE", u"AVq"},
        {u"INPUT NAME=\"Email\">", u"name", u"Email"}, // the value keeps its case
        {u"input value = \"a b\" >", u"value", u"a b"},
        {u"input\tname=\"a\"\r\nvalue=\"b\">", u"value", u"b"},
        {u"input name=\\\"email\\\" value=\\\"x\\\">", u"name", u"email"}, // from a script
        {u"input value=\"it's\">", u"value", u"it's"},
        {u"input value='say \"hi\"'>", u"value", u"say \"hi\""},
        {u"input value=\"a>b\">", u"value", u"a>b"},
        {u"input data-name=\"z\" name=\"n\">", u"name", u"n"},
        {u"input a=\"x\"b=\"y\">", u"b", u"y"},
        {u"input name=a name=b>", u"name", u"a"},    // the first wins
        {u"input checked name=c>", u"checked", u""}, // no value
        {u"input value=1/>", u"value", u"1/"},
        {u"input type=text>", u"value", u""},
        {u"input value=>", u"value", u""},
        {u"input value=\"abc", u"value", u"abc "}, // unterminated: to the end
        {u"input value='", u"value", u" "},
        {u"input value", u"value", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetTagAttribute(q(c.tag), q(c.name)), q(c.expected))
            << q(c.tag).toStdString() << " [" << q(c.name).toStdString() << "]";
}

TEST(DescribeFormControl, Table) {
    const struct {
        const char16_t* tag;
        QString expected;
    } cases[] = {
        {u"", QString()},
        {u"input type=\"text\" name=\"email\" value=\"\">", entry(u"text", u"email", u"")},
        {u"input type=\"checkbox\" name=\"persistent\" value=\"1\">", QString()},
        {u"input type=\"checkbox\" name=\"persistent\" value=\"1\" checked>",
         entry(u"checkbox", u"persistent", u"1")},
        {u"input type=\"checkbox\" name=\"persistent\" CHECKED=\"checked\">",
         entry(u"checkbox", u"persistent", u"on")},
        {u"select name=\"sex\">", entry(u"", u"sex", u"")},
        {u"option value=\"2\" selected>", entry(u"", u"", u"2")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribeFormControl(q(c.tag)), c.expected) << q(c.tag).toStdString();
}

TEST(CollectFormControls, ListsWhatTheFormSubmitsInDocumentOrder) {
    const QString form = q(u" method=\"POST\" action=\"/login.php\">"
                           u"<input type=\"hidden\" name=\"lsd\" value=\"AVq\" />"
                           u"<INPUT TYPE=\"text\" NAME=\"email\" value=\"\">"
                           u"<input\n type=\"password\"\tname=\"pass\">"
                           u"<input type=\"checkbox\" name=\"persistent\" value=\"1\">"
                           u"<input type=\"checkbox\" name=\"remember\" checked>"
                           u"<input type=\"radio\" name=\"mode\" value=\"a\" checked>"
                           u"<input type=\"radio\" name=\"mode\" value=\"b\">"
                           u"<input type=\"submit\" name=\"login\" value=\"Log In\">"
                           u"<input type=\"BUTTON\" name=\"cancel\" value=\"Cancel\">"
                           u"<input type=\"hidden\" name=\"lsd\" value=\"second\">"
                           u"<textarea name=\"note\" value=\"attr\">content</textarea>"
                           u"<select name=\"month\"><option value=\"1\">Jan</option>"
                           u"<option value=\"2\">Feb</option>"
                           u"<option value=\"3\" SELECTED>Mar</option></select>"
                           u"<select name=\"day\"><option value=\"01\">1<option value=\"02\">"
                           u"2</SELECT >"
                           u"<div class=\"x\"><input type=\"hidden\" name=\"late\" value=\"1\">"
                           u"<input type=\"hidden\" name=\"cut\" value=\"1\"");
    QStringList list;
    CollectFormControls(form, list);
    const QStringList expected = {
        entry(u"hidden", u"lsd", u"AVq"), entry(u"text", u"email", u""),
        entry(u"password", u"pass", u""), entry(u"checkbox", u"remember", u"on"),
        entry(u"radio", u"mode", u"a"),   entry(u"submit", u"login", u"Log In"),
        entry(u"", u"note", u"attr"),     entry(u"", u"month", u"3"),
        entry(u"", u"day", u"01"),        entry(u"hidden", u"late", u"1"),
    };
    EXPECT_EQ(list, expected);
}

TEST(CollectFormControls, NamesAlreadyListedWin) {
    QStringList list = {entry(u"hidden", u"a", u"old")};
    CollectFormControls(u"<input type=hidden name=a value=new><input type=hidden name=b>", list);
    EXPECT_EQ(list, QStringList({entry(u"hidden", u"a", u"old"), entry(u"hidden", u"b", u"")}));
}

TEST(CollectFormControls, ScriptCarriedHtmlReadsLikePlainHtml) {
    QStringList list;
    CollectFormControls(u"<input type=\\\"hidden\\\" name=\\\"post_form_id\\\" value=\\\"abc\\\" "
                        u"\\/>",
                        list);
    EXPECT_EQ(list, QStringList({entry(u"hidden", u"post_form_id", u"abc")}));
}

TEST(ExtractForm, ReturnsTheDecodedTargetAndReplacesTheList) {
    const QString page = q(u"<html><form id=\"a\" action=\"/search.php\"><input name=q></form>"
                           u"<form method=\"post\" id=\"login_form\" "
                           u"action=\"/login.php?login_attempt=1&amp;next=%2F&#38;r=1#top\">"
                           u"<input type=\"hidden\" name=\"charset_test\" value=\"&euro;\">"
                           u"<input type=\"text\" name=\"email\"></form></html>");
    const QString form = FindFormBlock(page, u"id=\"login_form");
    QStringList list = {q(u"stale")};
    EXPECT_EQ(ExtractForm(form, u"https://www.facebook.test/index.php?ref=x", list),
              q(u"https://www.facebook.test/login.php?login_attempt=1&next=%2F&r=1"));
    EXPECT_EQ(list, QStringList({entry(u"hidden", u"charset_test", u"&euro;"),
                                 entry(u"text", u"email", u"")}));

    EXPECT_EQ(ExtractForm(u" id=\"x\">", u"http://h/p", list), QString());
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(ExtractForm(u" action=\"/a.php\"", u"http://h/p", list), q(u"http://h/a.php"));
}

TEST(ResolveFormAction, Table) {
    const char16_t* const page = u"https://host:8080/dir/page.php?a=b";
    const struct {
        const char16_t* action;
        const char16_t* pageUrl;
        const char16_t* expected;
    } cases[] = {
        {u"", page, u""},
        {u"   ", page, u""},
        {u"/login.php?x=1&amp;y=2#top", page, u"https://host/login.php?x=1&y=2"},
        {u"sub/next.php", page, u"https://host/dir/sub/next.php"},
        {u"./sub/next.php", page, u"https://host/dir/sub/next.php"},
        {u"./", page, u""},
        {u"./?x=1", page, u"https://host/dir/?x=1"},
        {u"?next=1", page, u"https://host:8080/dir/page.php?next=1"},
        {u"?next=1&AMP;b=2#f", page, u"https://host:8080/dir/page.php?next=1&b=2#f"},
        {u"?next=1", u"http://host/dir/", u"http://host/dir/?next=1"},
        {u"  /a.php  ", u"  http://host/x  ", u"http://host/a.php"},
        {u"sub/next.php", u"host/dir/page.php", u"http://host/dir/sub/next.php"},
        {u"/login.php", u"", u"http:///login.php"},
        {u"next.php", u"http://host", u"http://host/next.php"},
        {u"next.php", u"http://host?x=1", u"http://host/next.php"},
        {u"https://login.host/login.php?a=1&amp;b=2#x", page,
         u"https://login.host/login.php?a=1&b=2"},
        {u"HTTP://other/x", page, u"HTTP://other/x"},
        // A "#" of a character reference is no fragment; the references are decoded later.
        {u"/a.php?x=1&#38;y=2&#X26;z=3#top", page, u"https://host/a.php?x=1&#38;y=2&#X26;z=3"},
        {u"/a.php?x=1&#top", page, u"https://host/a.php?x=1&"},
        {u"/a.php#&#38;", page, u"https://host/a.php"},
        // "://" inside a query does not make a relative action absolute.
        {u"next.php?u=http://x/", page, u"https://host/dir/next.php?u=http://x/"},
        {u"/r.php?u=http://x/", page, u"https://host/r.php?u=http://x/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveFormAction(q(c.action), q(c.pageUrl)), q(c.expected))
            << q(c.action).toStdString() << " on " << q(c.pageUrl).toStdString();
}

TEST(UrlParts, HostAndDirectory) {
    const struct {
        const char16_t* url;
        const char16_t* host;
        const char16_t* directory;
    } cases[] = {
        {u"", u"", u"/"},
        {u"http://host", u"host", u"/"},
        {u"http://host:81/a/b.php?x=/y/z", u"host", u"/a/"},
        {u"https://host/a/b/", u"host", u"/a/b/"},
        {u"host/a/b.php", u"host", u"/a/"},
        {u"http://host?x=1", u"host", u"/"},
        {u"HTTP://Host/A/", u"Host", u"/A/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UrlHost(q(c.url)), q(c.host)) << q(c.url).toStdString();
        EXPECT_EQ(UrlDirectory(q(c.url)), q(c.directory)) << q(c.url).toStdString();
    }
}
