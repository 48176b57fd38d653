#include <gtest/gtest.h>

#include "conversation/markup.h"
#include "support/text_cases.h"

using namespace quillo;

using Case = quillo::test::TextCase;
using quillo::test::q;

TEST(HtmlToMarkup, Table) {
    const Case cases[] = {
        {u"", u""},
        {u"plain", u"plain"},
        {u"<B>hi</B>", u" *hi* "},
        {u"<b>hi</b>", u" *hi* "},
        {u"<U>hi</U>", u" _hi_ "},
        {u"<U><B>x</B></U>", u" * _x_ * "}, // underline nested inside bold at both ends
        {u"<B><U>x</U></B>", u" * _x_ * "},
        {u"a<BR>b", u"a\n\rb"},
        {u"a<br>b", u"a\n\rb"},
        {u"&lt;3 &gt;:( &circ;_&circ;", u"<3 >:( ^_^"},
        {u"&LT;", u"&LT;"}, // the references are matched exactly
        {u"<I>it</I><STRIKE>s</STRIKE>", u"<I>it</I><STRIKE>s</STRIKE>"},
        // Touching runs (a colour change inside bold) are one run, with no stray marker.
        {u"<B>a</B><B>b</B>", u" *ab* "},
        {u"<U>a</U><U>b</U>", u" _ab_ "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HtmlToMarkup(q(c.in)), q(c.out)) << q(c.in).toStdString();
}

TEST(MarkupToHtml, Table) {
    const Case cases[] = {
        {u"", u""},
        {u"*bold* and _under_", u"<B>bold</B> and <U>under</U>"},
        {u"2*3", u"2*3"},              // never closed: shown as typed
        {u"*a* 2*3", u"<B>a</B> 2*3"}, // closed runs keep their formatting
        {u"_a_ b_c", u"<U>a</U> b_c"},
        {u"*_x_*", u"<B><U>x</U></B>"},
        {u"a*b_c*d_e", u"a<B>b<U>c</B>d</U>e"},
        {u"snake_case_name", u"snake<U>case</U>name"}, // markers count inside words
        {u"**", u"<B></B>"},
        {u"*a**b*", u"<B>ab</B>"}, // touching runs join
        {u"_a__b_", u"<U>ab</U>"},
        {u"***", u"<B></B>*"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MarkupToHtml(q(c.in)), q(c.out)) << q(c.in).toStdString();
}
