// The AJAX endpoints: their answers, and the session and token checks they all make.
#include "standin_fixture.h"

#include <set>

namespace quillo::standin::test {
namespace {

using ::testing::HasSubstr;

Fields With(Fields fields, const Fields& more) {
    fields.insert(fields.end(), more.begin(), more.end());
    return fields;
}

Fields Without(Fields fields, const std::string& name) {
    std::erase_if(fields, [&](const auto& field) { return field.first == name; });
    return fields;
}

Fields Replacing(Fields fields, const std::string& name, const std::string& value) {
    for (auto& field : fields) {
        if (field.first == name) {
            field.second = value;
        }
    }
    return fields;
}

class AjaxTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        browser_ = std::make_unique<Browser>(port());
        alice_ = SignIn(*browser_, "alice@quillo.test", "secret");
        ASSERT_EQ(alice_.user, kAlice);
    }

    Json Post(const std::string& path, const Fields& form) {
        const Reply reply = browser_->Post(kWeb, path, form);
        EXPECT_EQ(reply.status, 200) << path;
        return AnswerJson(reply.body);
    }

    Json Get(const std::string& target) { return AnswerJson(browser_->Get(kWeb, target).body); }

    std::unique_ptr<Browser> browser_;
    SignedIn alice_;
};

TEST_F(AjaxTest, EveryEndpointChecksSessionAndTokens) {
    // How far an endpoint checks a token: it must be the session's; it may be left out but a
    // sent one must be the session's; or anything goes.
    enum class Token { Required, IfSent, Ignored };
    struct Endpoint {
        const char* path;
        bool get;
        Token post_form_id;
        Token fb_dtsg;
        Fields fields;
    };
    const std::string bob = std::to_string(kBob);
    const std::string zoe = std::to_string(kZoe);
    const Endpoint endpoints[] = {
        {"/ajax/presence/reconnect.php",
         true,
         Token::Required,
         Token::Ignored,
         {{"reason", "3"}, {"iframe_loaded", "true"}}},
        {"/ajax/chat/buddy_list.php",
         false,
         Token::Required,
         Token::Required,
         {{"user", std::to_string(kAlice)}}},
        {"/ajax/presence/update.php",
         false,
         Token::Ignored,
         Token::Ignored,
         {{"user", std::to_string(kAlice)}, {"buddy_list", "1"}, {"notifications", "1"}}},
        {"/ajax/social_graph/fetch.php",
         false,
         Token::Required,
         Token::Required,
         {{"page", "0"}, {"limit", "100"}}},
        {"/ajax/chat/send.php",
         false,
         Token::Required,
         Token::IfSent,
         {{"msg_text", "hi"}, {"to", zoe}}},
        {"/ajax/chat/typ.php", false, Token::Required, Token::IfSent, {{"typ", "1"}, {"to", zoe}}},
        {"/ajax/chat/history.php", true, Token::Ignored, Token::Ignored, {{"id", bob}}},
        {"/ajax/chat/settings.php",
         false,
         Token::Required,
         Token::Ignored,
         {{"clear_history_id", bob}}},
        {"/ajax/updatestatus.php",
         false,
         Token::Required,
         Token::IfSent,
         {{"status", "x"}, {"target_id", bob}}},
        {"/ajax/gigaboxx/endpoint/MessageComposerEndpoint.php",
         false,
         Token::Required,
         Token::Required,
         {{"ids[0]", bob}}},
        {"/ajax/composer/attachment.php",
         false,
         Token::Required,
         Token::Required,
         {{"data[url]", "http://example.test/"}}},
        {"/ajax/profile/composer.php",
         false,
         Token::Required,
         Token::Required,
         {{"attachment[params][url]", "x"}}},
        {"/ajax/intent.php",
         true,
         Token::Ignored,
         Token::Ignored,
         {{"filter", "app_2915120374"}, {"request_type", "1"}, {"newest", "0"}}},
    };
    for (const Endpoint& endpoint : endpoints) {
        SCOPED_TRACE(endpoint.path);
        const Fields good = With(endpoint.fields, Tokens(alice_));
        auto call = [&](Browser& browser, const Fields& fields) {
            if (endpoint.get) {
                std::string target = std::string(endpoint.path) + "?";
                for (const auto& [name, value] : fields) {
                    target += name + "=" + PercentEncode(value) + "&";
                }
                return AnswerJson(browser.Get(kWeb, target).body);
            }
            return AnswerJson(browser.Post(kWeb, endpoint.path, fields).body);
        };
        EXPECT_EQ(call(*browser_, good)["error"], 0);

        Browser stranger(port());
        EXPECT_EQ(call(stranger, good)["error"], 1357001);
        Browser forged(port());
        forged.cookies = browser_->cookies;
        forged.cookies["xs"] = "not-a-session";
        EXPECT_EQ(call(forged, good)["error"], 1357001);
        // The session's cookie with somebody else's id is no session either.
        forged.cookies = browser_->cookies;
        forged.cookies["c_user"] = std::to_string(kBob);
        EXPECT_EQ(call(forged, good)["error"], 1357001);

        struct Variant {
            const char* what;
            Fields fields;
            bool refused;
        };
        const Token form = endpoint.post_form_id;
        const Token dtsg = endpoint.fb_dtsg;
        const Variant variants[] = {
            {"stale form id", Replacing(good, "post_form_id", "0123abcd"), form != Token::Ignored},
            {"no form id", Without(good, "post_form_id"), form == Token::Required},
            {"stale fb_dtsg", Replacing(good, "fb_dtsg", "zz9Zz"), dtsg != Token::Ignored},
            {"no fb_dtsg", Without(good, "fb_dtsg"), dtsg == Token::Required},
            {"(null) for both",
             Replacing(Replacing(good, "post_form_id", "(null)"), "fb_dtsg", "(null)"),
             form != Token::Ignored || dtsg != Token::Ignored},
        };
        for (const Variant& variant : variants) {
            EXPECT_EQ(call(*browser_, variant.fields)["error"], variant.refused ? 1357004 : 0)
                << variant.what;
        }
    }
}

TEST_F(AjaxTest, CookiesEchoedWithTheirAttributesOnSeparateLinesStillCount) {
    // A client that keeps each Set-Cookie line whole sends the attributes back, one cookie per
    // Cookie line; the session is still recognised.
    httplib::Client client("127.0.0.1", port());
    httplib::Headers headers{{"Host", kWeb}};
    for (const char* name : {"c_user", "xs"}) {
        headers.emplace("Cookie", std::string(name) + "=" + browser_->cookies[name] +
                                      "; expires=Thu, 10-Dec-2009 10:00:00 GMT; path=/; "
                                      "domain=.facebook.test;");
    }
    std::string body;
    for (const auto& [name, value] : Tokens(alice_)) {
        body += name + "=" + value + "&";
    }
    const auto result = client.Post("/ajax/chat/buddy_list.php", headers, body,
                                    "application/x-www-form-urlencoded");
    ASSERT_TRUE(result);
    EXPECT_EQ(AnswerJson(result->body)["error"], 0);
}

TEST_F(AjaxTest, ReconnectNamesChannelPathAndSeqLast) {
    const std::string body =
        browser_
            ->Get(kWeb, "/ajax/presence/reconnect.php?reason=5&iframe_loaded=true&post_form_id=" +
                            alice_.post_form_id + "&__a=1")
            .body;
    const std::string channel = backend().state.ChannelName(kAlice);
    EXPECT_EQ(body,
              "for (;;);{\"error\":0,\"errorSummary\":\"\",\"errorDescription\":\"No error.\","
              "\"payload\":{\"host\":\"" +
                  channel + "\",\"path\":\"\\/iframe\\/11\",\"seq\":0}}");

    struct Mode {
        const char* mode;
        const char* marker;
    };
    for (const Mode& mode :
         {Mode{"error_page", "<title>Facebook | Error</title>"},
          Mode{"redirect_home", "window.location.replace(\"http:\\/\\/www.facebook.test\\/home"}}) {
        Control("POST", "/__control/account",
                Json::object({{"id", kAlice}, {"reconnect_mode", mode.mode}}));
        EXPECT_THAT(browser_
                        ->Get(kWeb, "/ajax/presence/reconnect.php?reason=3&post_form_id=" +
                                        alice_.post_form_id)
                        .body,
                    HasSubstr(mode.marker));
    }
    Control("POST", "/__control/act", Json::object({{"as", kAlice}, {"expire", true}}));
    EXPECT_THAT(
        browser_
            ->Get(kWeb, "/ajax/presence/reconnect.php?reason=3&post_form_id=" + alice_.post_form_id)
            .body,
        HasSubstr("You must be logged in"));
}

TEST_F(AjaxTest, BuddyListShowsOnlineFriendsAndWhoLeft) {
    const Json first = Post("/ajax/chat/buddy_list.php", Tokens(alice_));
    const Json& list = first["payload"]["buddy_list"];
    EXPECT_EQ(list["listChanged"], true);
    EXPECT_EQ(list["availableCount"], 3); // echo bot, Zoë, Madonna; Bob and Carol are not online
    for (UserId id : {kEcho, kZoe, kMadonna}) {
        EXPECT_EQ(list["nowAvailableList"][std::to_string(id)], Json::object({{"i", false}}));
        EXPECT_TRUE(list["userInfos"].contains(std::to_string(id)));
    }
    EXPECT_EQ(list["userInfos"]["42"]["name"], "Zo\xC3\xAB \xF0\x9F\x8C\xB8 Tanaka");
    EXPECT_EQ(list["userInfos"]["42"]["thumbSrc"], "http://profile.facebook.test/pics/q42.gif");
    EXPECT_EQ(list["userInfos"]["42"]["status"], nullptr);
    // The online set is followed directly by the ids that left, and each user's information
    // starts with the name.
    const std::string text = browser_->Post(kWeb, "/ajax/chat/buddy_list.php", Tokens(alice_)).body;
    EXPECT_THAT(text, HasSubstr("{\"i\":false}},\"wasAvailableIDs\":[]"));
    EXPECT_THAT(text,
                HasSubstr("\"42\":{\"name\":\"Zo\\u00eb \\ud83c\\udf38 Tanaka\",\"firstName\""));

    Control("POST", "/__control/act", Json::object({{"as", kZoe}, {"online", false}}));
    Control("POST", "/__control/act", Json::object({{"as", kCarol}, {"online", true}}));
    const Json later = Post("/ajax/chat/buddy_list.php", Tokens(alice_));
    EXPECT_EQ(later["payload"]["buddy_list"]["wasAvailableIDs"], Json::array({kZoe}));
    EXPECT_TRUE(
        later["payload"]["buddy_list"]["nowAvailableList"].contains(std::to_string(kCarol)));

    // Bob signing in puts him online for Alice.
    Browser bob_browser(port());
    SignIn(bob_browser, "bob@quillo.test", "hunter2");
    EXPECT_TRUE(Post("/ajax/chat/buddy_list.php",
                     Tokens(alice_))["payload"]["buddy_list"]["nowAvailableList"]
                    .contains(std::to_string(kBob)));
}

TEST_F(AjaxTest, FriendListComesInPagesOfAHundred) {
    // A scale world: one account with 250 friends.
    Start(TestOptions(), ParseWorld(GenerateScaleWorld(250)));
    Browser browser(port());
    const SignedIn scale = SignIn(browser, "scale@quillo.test", "scale");
    std::vector<std::size_t> sizes;
    std::set<UserId> seen;
    for (int page = 0; page < 5; ++page) {
        const Json answer = AnswerJson(browser
                                           .Post(kWeb, "/ajax/social_graph/fetch.php",
                                                 With({{"edge_type", "everyone"},
                                                       {"page", std::to_string(page)},
                                                       {"limit", "100"},
                                                       {"class", "FriendManager"},
                                                       {"node_id", std::to_string(scale.user)}},
                                                      Tokens(scale)))
                                           .body);
        sizes.push_back(answer["payload"]["entries"].size());
        for (const Json& entry : answer["payload"]["entries"]) {
            seen.insert(entry["id"].get<UserId>());
            EXPECT_TRUE(entry["title"].is_string());
            EXPECT_THAT(entry["pic"].get<std::string>(), ::testing::StartsWith("http://profile."));
        }
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{100, 100, 50, 0, 0}));
    EXPECT_EQ(seen.size(), 250u);
}

TEST_F(AjaxTest, SendDeliversOrSaysTheFriendIsOffline) {
    const Fields message = {{"msg_text", "caf\xC3\xA9 <now>"},
                            {"msg_id", "1500000001"},
                            {"client_time", "1250000000000"},
                            {"popped_out", "true"},
                            {"num_tabs", "1"}};
    const Json delivered = Post(
        "/ajax/chat/send.php", With(With(message, {{"to", std::to_string(kZoe)}}), Tokens(alice_)));
    EXPECT_EQ(delivered, AnswerJson("for (;;);{\"error\":0,\"errorSummary\":\"\","
                                    "\"errorDescription\":\"No error.\",\"payload\":[]}"));
    const Json offline =
        Post("/ajax/chat/send.php",
             With(With(message, {{"to", std::to_string(kCarol)}}), Tokens(alice_)));
    EXPECT_EQ(offline["error"], 1356003);
    EXPECT_EQ(offline["errorDescription"], "This person is no longer online.");
    // Somebody unknown, and the user herself.
    for (const std::string& to : {std::string("x"), std::to_string(kAlice)}) {
        const Json nobody =
            Post("/ajax/chat/send.php", With(With(message, {{"to", to}}), Tokens(alice_)));
        EXPECT_EQ(nobody["error"], 1356003) << to;
    }

    const Json records = Json::parse(Control("GET", "/__control/records?kind=chat").body);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0]["text"], "caf\xC3\xA9 <now>");
    EXPECT_EQ(records[0]["delivered"], true);
    EXPECT_EQ(records[1]["delivered"], false);
}

TEST_F(AjaxTest, HistoryAndClearing) {
    const Json history = Get("/ajax/chat/history.php?id=" + std::to_string(kBob) + "&__a=1");
    const Json& entries = history["payload"]["history"];
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1]["msg"], Json::object({{"text", "Yes &lt;3 &amp; cake"}}));
    EXPECT_EQ(entries[1]["from"], kAlice);
    EXPECT_EQ(entries[1]["to"], kBob);
    // The text is all of "msg", and "time" is followed by further members.
    const std::string text =
        browser_->Get(kWeb, "/ajax/chat/history.php?id=" + std::to_string(kBob)).body;
    EXPECT_THAT(text, HasSubstr("\"msg\":{\"text\":\"Friday?\"},\"from\":"));
    EXPECT_THAT(text, ::testing::ContainsRegex("\"time\":[0-9]+,\""));

    const Json cleared =
        Post("/ajax/chat/settings.php", {{"clear_history_id", std::to_string(kBob)},
                                         {"post_form_id", alice_.post_form_id},
                                         {"post_form_id_source", "AsyncRequest"}});
    EXPECT_EQ(cleared["error"], 0);
    EXPECT_TRUE(
        Get("/ajax/chat/history.php?id=" + std::to_string(kBob))["payload"]["history"].empty());
}

TEST_F(AjaxTest, SocialPostsAreRecordedAndTheShareStageCarriesItsMarkers) {
    const std::string bob = std::to_string(kBob);
    EXPECT_EQ(Post("/ajax/updatestatus.php", With({{"action", "PROFILE_UPDATE"},
                                                   {"profile_id", std::to_string(kAlice)},
                                                   {"status", "wall text"},
                                                   {"target_id", bob},
                                                   {"composer_id", "c1"}},
                                                  Tokens(alice_)))["error"],
              0);
    EXPECT_EQ(
        Post("/ajax/gigaboxx/endpoint/MessageComposerEndpoint.php",
             With({{"status", "body"}, {"subject", "subj"}, {"ids_c5[0]", bob}, {"ids[0]", bob}},
                  Tokens(alice_)))["error"],
        0);
    const std::string stage =
        browser_
            ->Post(kWeb, "/ajax/composer/attachment.php",
                   With({{"data[url]", "http://www.quillo.test"}, {"app_id", "2309869772"}},
                        Tokens(alice_)))
            .body;
    const std::string marker = "class=\\\"UIShareStage_InlineEdit inline_edit\\\">";
    EXPECT_EQ(Between(stage, marker, "<"), "Quillo for Facebook - it&#039;s chat, on your desktop");
    EXPECT_THAT(Between(stage.substr(stage.find(marker) + 1), marker, "<"),
                HasSubstr("logs &amp; notifications"));
    EXPECT_EQ(Between(stage, "attachment[params][finalUrl]\\\" value=\\\"", "\\\""),
              "http:\\/\\/www.quillo.test\\/");
    EXPECT_EQ(Post("/ajax/profile/composer.php",
                   With({{"attachment[params][url]", "http://www.quillo.test"}},
                        Tokens(alice_)))["error"],
              0);

    const Json posts = Json::parse(Control("GET", "/__control/records?kind=posts").body);
    std::vector<std::string> kinds;
    for (const Json& post : posts) {
        kinds.push_back(post["kind"]);
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"wall", "message", "share_stage", "share"}));
    EXPECT_EQ(posts[1]["fields"][2], Json::array({"ids_c5[0]", bob}));
}

} // namespace
} // namespace quillo::standin::test
