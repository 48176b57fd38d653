// The service's way of writing JSON and pages, and the data the stand-in starts from.
#include <gtest/gtest.h>

#include <fstream>

#include "chat_items.h"
#include "http_text.h"
#include "pages.h"
#include "service_json.h"
#include "world.h"

namespace quillo::standin {
namespace {

TEST(ServiceJson, EscapesLikeTheService) {
    struct Case {
        Json value;
        std::string expected;
    };
    const Case cases[] = {
        {Json("a/b"), R"("a\/b")"},
        {Json("Zo\xC3\xAB"), R"("Zo\u00eb")"},
        {Json("\xF0\x9F\x8C\xB8"), R"("\ud83c\udf38")"}, // outside the BMP: a surrogate pair
        {Json("say \"hi\"\n"), R"("say \"hi\"\n")"},
        {Json(std::uint64_t{100000000000001ULL}), "100000000000001"},
        {Json("bad \xFF byte"), "\"bad \\ufffd byte\""}, // invalid UTF-8 does not throw
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ServiceJsonText(c.value), c.expected);
    }
    EXPECT_EQ(AjaxAnswer(Json::object({{"a", 1}})), R"(for (;;);{"a":1})");
}

TEST(ServiceJson, AnswersKeepTheServiceOrderAndTexts) {
    EXPECT_EQ(ServiceJsonText(OkAnswer(Json::array())),
              R"({"error":0,"errorSummary":"","errorDescription":"No error.","payload":[]})");
    const std::string dead = ServiceJsonText(NotLoggedInAnswer());
    EXPECT_EQ(
        dead.rfind(
            R"({"error":1357001,"errorSummary":"Not Logged In","errorDescription":"You must be logged in to do that.",)",
            0),
        0u)
        << dead;
    const std::string offline = ServiceJsonText(NotOnlineAnswer());
    EXPECT_EQ(
        offline.rfind(
            R"({"error":1356003,"errorSummary":"Send destination not online","errorDescription":"This person is no longer online.",)",
            0),
        0u)
        << offline;
}

TEST(ChatItems, MessageItemHasTheShapeTheClientCuts) {
    Account from;
    from.id = 4294967311ULL;
    from.name = "Echo Bot";
    from.first_name = "Echo";
    Account to;
    to.id = 100000000000001ULL;
    to.name = "Alice \xC3\x85"
              "berg";
    to.first_name = "Alice";
    const std::string text =
        ServiceJsonText(MessageItem(from, to, "a<b & c>d", 1250000000123, 1250000000000, "-17"));
    EXPECT_EQ(text, R"({"type":"msg","msg":{"text":"a&lt;b &amp; c&gt;d","time":1250000000123,)"
                    R"("clientTime":1250000000000,"msgID":"-17"},"from":4294967311,)"
                    R"("to":100000000000001,"from_name":"Echo Bot","to_name":"Alice \u00c5berg",)"
                    R"("from_first_name":"Echo","to_first_name":"Alice"})");
    EXPECT_EQ(ServiceJsonText(TypingItem(7, 8, 0)), R"({"type":"typ","st":0,"from":7,"to":8})");
}

TEST(HttpText, FormsCookiesAndPatterns) {
    const Fields form =
        ParseUrlEncoded("msg_text=caf%C3%A9+au+lait&to=42&ids%5B0%5D=7&empty=&flag");
    ASSERT_EQ(form.size(), 5u);
    EXPECT_EQ(form[0].second, "caf\xC3\xA9 au lait");
    EXPECT_EQ(form[2].first, "ids[0]");
    EXPECT_EQ(FieldValue(form, "empty"), "");
    EXPECT_EQ(FieldValue(form, "flag"), "");
    EXPECT_FALSE(FieldValue(form, "missing"));
    EXPECT_EQ(PercentDecode("100%", true), "100%"); // a cut escape stays as it is

    struct Glob {
        const char* pattern;
        const char* text;
        bool match;
    };
    const Glob globs[] = {
        {"*", "", true},
        {"*.facebook.test", "0.channel06.facebook.test", true},
        {"/ajax/*", "/ajax/chat/send.php", true},
        {"/ajax/*", "/home.php", false},
        {"WWW.*", "www.facebook.test", true},
        {"a*b*c", "abxbc", true},
        {"a*b*c", "abxbd", false},
    };
    for (const Glob& glob : globs) {
        EXPECT_EQ(GlobMatch(glob.pattern, glob.text), glob.match)
            << glob.pattern << " " << glob.text;
    }
}

TEST(Pages, HtmlEscapeUsesTheServiceEntities) {
    EXPECT_EQ(HtmlEscape("it's <b>\"x\"</b> & y"),
              "it&#039;s &lt;b&gt;&quot;x&quot;&lt;/b&gt; &amp; y");
}

TEST(World, DemoDataHasWhatTheDemoNeeds) {
    const WorldData world = LoadWorld(std::string(STANDIN_SOURCE_DIR) + "/data/demo.json");
    const Account* alice = nullptr;
    int humans = 0;
    bool big_id = false;
    bool outside_bmp = false;
    for (const Account& account : world.accounts) {
        if (account.email == "alice@quillo.test") {
            alice = &account;
        }
        humans += !account.email.empty() && account.bot.empty();
        big_id |= account.id > 0xFFFFFFFFULL;
        outside_bmp |= account.name.find('\xF0') != std::string::npos;
    }
    ASSERT_NE(alice, nullptr);
    EXPECT_GE(alice->friends.size(), 35u);
    int online = 0;
    bool echo = false;
    for (const Account& account : world.accounts) {
        const bool is_friend = std::find(alice->friends.begin(), alice->friends.end(),
                                         account.id) != alice->friends.end();
        online += is_friend && account.online;
        echo |= is_friend && account.bot == "echo" && account.online;
    }
    EXPECT_GE(online, 8);
    EXPECT_LE(online, 14);
    EXPECT_TRUE(echo);
    EXPECT_GE(humans, 2);
    EXPECT_TRUE(big_id);
    EXPECT_TRUE(outside_bmp);
}

TEST(World, ScaleGeneratorMakesOneAccountWithTheFriendsAsked) {
    const WorldData world = ParseWorld(GenerateScaleWorld(5000));
    ASSERT_EQ(world.accounts.size(), 5001u);
    EXPECT_EQ(world.accounts[0].email, "scale@quillo.test");
    EXPECT_EQ(world.accounts[0].friends.size(), 5000u);
    // Friendship is made mutual on load.
    EXPECT_EQ(world.accounts[1].friends, std::vector<UserId>{world.accounts[0].id});
}

TEST(World, WrongDataIsRefusedWithAReason) {
    struct Case {
        const char* document;
        const char* reason;
    };
    const Case cases[] = {
        {R"({})", "accounts"},
        {R"({"accounts":[{"id":0,"name":"x"}]})", "positive"},
        {R"({"accounts":[{"id":1}]})", "\"name\" is missing"},
        {R"({"accounts":[{"id":1,"name":"a"},{"id":1,"name":"b"}]})", "twice"},
        {R"({"accounts":[{"id":1,"name":"a","friends":[2]}]})", "unknown friend"},
        {R"({"accounts":[{"id":1,"name":"a","bot":"chess"}]})", "echo"},
        {R"({"accounts":[{"id":1,"name":"a","page_form":"fancy"}]})", "page_form"},
        {R"({"accounts":[{"id":1,"name":"a"}],"conversations":[{"between":[1,9]}]})",
         "unknown account"},
    };
    for (const Case& c : cases) {
        try {
            ParseWorld(Json::parse(c.document));
            ADD_FAILURE() << "accepted " << c.document;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
        }
    }
}

} // namespace
} // namespace quillo::standin
