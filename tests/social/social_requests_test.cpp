// The scrapers and the success test of the social requests: composer ids cut from the profile
// and home pages, the link-share stage answer, and the verdict on a final answer. The pages
// carry their HTML inside script strings, so their quotes are escaped.
#include <gtest/gtest.h>

#include "support/qt_printers.h"

#include "session/ajax_client.h"
#include "social/social_requests.h"

using namespace quillo;

namespace {

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The inline-edit span of the share stage, as the attachment answer writes it.
const char* const kEdit = R"(<span class=\"UIShareStage_InlineEdit inline_edit\">)";

QString stage(const char* title, const char* summary, const char* finalUrl) {
    QString answer = q(R"(for (;;);{"error":0,"payload":{"html":"<div class=\"UIShareStage\">)");
    if (title)
        answer += q(kEdit) + q(title) + q(R"(<\/span>)");
    if (summary)
        answer += q(R"(<div class=\"UIShareStage_Summary\">)") + q(kEdit) + q(summary) +
                  q(R"(<\/span><\/div>)");
    if (finalUrl)
        answer += q(R"(<input type=\"hidden\" name=\"attachment[params][finalUrl]\" value=\")") +
                  q(finalUrl) + q(R"(\" \/>)");
    return answer + q(R"(<\/div>"}})");
}

} // namespace

TEST(ComposerIdFromProfile, CutsTheFocusedInstance) {
    const struct {
        const char* page;
        const char* id;
    } cases[] = {
        {R"(<div onclick="UIComposer.focusInstance(&quot;c4b1f0e2a&quot;); return false;">)",
         "c4b1f0e2a"},
        {R"(UIComposer.focusInstance(&quot;first&quot;)UIComposer.focusInstance(&quot;2&quot;))",
         "first"},
        {R"(<div class="UIComposer">no composer here</div>)", "0"},
        {R"(UIComposer.focusInstance(&quot;never closed)", "0"},
        {R"(UIComposer.focusInstance("plain quotes"))", "0"},
        {"", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComposerIdFromProfile(q(c.page)), q(c.id)) << c.page;
}

TEST(ComposerIdFromHome, CutsTheHighlightedComposer) {
    const struct {
        const char* page;
        const char* id;
    } cases[] = {
        {R"({"html":"<div class=\"UIComposer NewHighLight\"  id=\"c5a9d3\"><\/div>"})", "c5a9d3"},
        {R"(<div class="UIComposer NewHighLight"  id="c5a9d3">)", "0"}, // unescaped quotes
        {R"(NewHighLight\" id=\"c5a9d3\")", "0"},                       // one space, not two
        {R"(NewHighLight\"  id=\"c5a9d3)", "0"},
        {"", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComposerIdFromHome(q(c.page)), q(c.id)) << c.page;
}

TEST(ParseShareStage, ReadsTitleSummaryAndFinalUrl) {
    const ShareStage s = ParseShareStage(stage("Quillo &#039;s home &#039;09", "Chat &amp; more",
                                               R"(http:\/\/www.quillo.test\/en\/)"));
    EXPECT_EQ(s.title, q("Quillo 's home '09"));
    EXPECT_EQ(s.summary, q("Chat &amp; more")); // only the apostrophe entity is decoded here
    EXPECT_EQ(s.finalUrl, q("http://www.quillo.test/en/"));
}

TEST(ParseShareStage, StopsAtTheFirstMissingPart) {
    const struct {
        QString answer;
        const char* title;
        const char* summary;
        const char* finalUrl;
    } cases[] = {
        {stage("Title", nullptr, nullptr), "Title", "", "0"},
        {stage("Title", "Sum", nullptr), "Title", "Sum", "0"},
        // Without a summary the final url is not looked for, even when present.
        {stage("Title", nullptr, "http://x/"), "Title", "", "0"},
        {stage(nullptr, nullptr, "http://x/"), "", "", "0"},
        {stage("", "", "http://x/"), "", "", "http://x/"},
        {q(R"(class=\"UIShareStage_InlineEdit inline_edit\">no closing tag)"), "", "", "0"},
        {QString(), "", "", "0"},
        {q(R"(for (;;);{"error":1357001})"), "", "", "0"},
    };
    for (const auto& c : cases) {
        const ShareStage s = ParseShareStage(c.answer);
        EXPECT_EQ(s.title, q(c.title)) << c.answer.toStdString();
        EXPECT_EQ(s.summary, q(c.summary)) << c.answer.toStdString();
        EXPECT_EQ(s.finalUrl, q(c.finalUrl)) << c.answer.toStdString();
    }
}

TEST(AjaxSucceeded, NeedsOneOfTheTwoQuotedTexts) {
    const struct {
        const char* answer;
        bool success;
    } cases[] = {
        {R"(for (;;);{"error":0,"errorSummary":"","errorDescription":"No error.","payload":{}})",
         true},
        {R"(for (;;);{"error":0,"payload":null})", true},
        {R"({"errorDescription":"No error."})", true},
        {R"(for (;;);{"error":1357001,"errorSummary":"Not Logged In"})", false},
        {R"(for (;;);{"error":1346001,"errorDescription":"Please try again."})", false},
        {"No error.", false}, // the quotes are part of the text
        {"error:0", false},
        {"<html><title>Facebook | Error</title></html>", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AjaxSucceeded(q(c.answer)), c.success) << c.answer;
}
