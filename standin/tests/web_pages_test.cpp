// The root page, sign-in, and the signed-in pages with their markers in every page form.
#include "standin_fixture.h"

namespace quillo::standin::test {
namespace {

using ::testing::HasSubstr;

// Reads markers front to back, each after the previous one, as the service's scripts did.
class ForwardReader {
public:
    explicit ForwardReader(std::string text)
        : text_(std::move(text)) {}

    // The text between the first of the (before, after) pairs found, or "".
    std::string Take(std::initializer_list<std::pair<std::string, std::string>> markers) {
        for (const auto& [before, after] : markers) {
            const std::size_t start = text_.find(before, position_);
            if (start == std::string::npos) {
                continue;
            }
            const std::size_t from = start + before.size();
            const std::size_t end = text_.find(after, from);
            if (end == std::string::npos) {
                return "";
            }
            position_ = end + after.size();
            return text_.substr(from, end - from);
        }
        return "";
    }

private:
    std::string text_;
    std::size_t position_ = 0;
};

TEST_F(StandInTest, RootPageCarriesTheLoginFormAmongOtherForms) {
    Browser browser(port());
    const Reply root = browser.Get(kWeb, "/");
    ASSERT_EQ(root.status, 200);
    std::size_t forms = 0;
    for (std::size_t at = root.body.find("<form"); at != std::string::npos;
         at = root.body.find("<form", at + 1)) {
        ++forms;
    }
    EXPECT_GE(forms, 2u);
    const std::string form = Between(root.body, "id=\"login_form\"", "</form>");
    for (const char* control :
         {"type=\"hidden\" name=\"charset_test\"", "name=\"lsd\"", "name=\"email\"",
          "name=\"pass\"", "type=\"checkbox\" id=\"persistent\" name=\"persistent\" value=\"1\"",
          "type=\"submit\""}) {
        EXPECT_THAT(form, HasSubstr(control));
    }
    // Without TLS the form posts over plain HTTP.
    EXPECT_THAT(root.body,
                HasSubstr("action=\"http://www.facebook.test/login.php?login_attempt=1\""));
    EXPECT_TRUE(browser.cookies.contains("datr"));
}

TEST_F(StandInTest, WrongCredentialsGiveTheLoginPageAgain) {
    const std::pair<const char*, const char*> attempts[] = {
        {"alice@quillo.test", "Secret"}, // passwords are case-sensitive
        {"nobody@quillo.test", "secret"},
        {"", ""},
    };
    for (const auto& [email, password] : attempts) {
        Browser browser(port());
        const Reply reply = browser.Post(kWeb, "/login.php?login_attempt=1",
                                         {{"email", email}, {"pass", password}});
        EXPECT_EQ(reply.status, 200);
        EXPECT_THAT(reply.body, HasSubstr("id=\"login_form\""));
        EXPECT_THAT(reply.body, HasSubstr("Incorrect Email/Password Combination"));
        EXPECT_EQ(reply.body.find("fb_menu_logout"), std::string::npos);
        EXPECT_EQ(reply.body.find("logout_form"), std::string::npos);
        EXPECT_FALSE(browser.cookies.contains("xs"));
    }
}

TEST_F(StandInTest, RightCredentialsSetCookiesWithAttributes) {
    Browser browser(port());
    const Reply reply = browser.Post(kWeb, "/login.php?login_attempt=1",
                                     {{"pass", "secret"}, {"email", "ALICE@quillo.test"}});
    ASSERT_EQ(reply.status, 200);
    std::vector<std::string> lines;
    for (auto [it, end] = reply.headers.equal_range("Set-Cookie"); it != end; ++it) {
        lines.push_back(it->second);
    }
    ASSERT_GE(lines.size(), 3u);
    bool made_write_conn = false;
    for (const std::string& line : lines) {
        EXPECT_THAT(line,
                    ::testing::MatchesRegex(
                        "[a-z_]+=[^;]+; expires=[A-Z][a-z]{2}, [0-9]{2}-[A-Z][a-z]{2}-[0-9]{4} "
                        "[0-9:]{8} GMT; path=/; domain=\\.facebook\\.test"));
        made_write_conn |= line.starts_with("made_write_conn=");
    }
    EXPECT_TRUE(made_write_conn);
    EXPECT_EQ(browser.cookies["c_user"], std::to_string(kAlice));
}

TEST_F(StandInTest, SignedInPageCarriesItsMarkersInEveryForm) {
    struct Case {
        const char* form;
        bool channel;
    };
    const Case cases[] = {
        {"plain", true}, {"escaped", true}, {"script_user", true}, {"no_channel", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form);
        ASSERT_EQ(Control("POST", "/__control/account",
                          Json::object({{"id", kAlice}, {"page_form", c.form}}))
                      .status,
                  200);
        Browser browser(port());
        const SignedIn session = SignIn(browser, "alice@quillo.test", "secret");
        const auto state = backend().state.LiveSession(
            {{"c_user", browser.cookies["c_user"]}, {"xs", browser.cookies["xs"]}});
        ASSERT_TRUE(state);
        const std::string& page = session.page;

        ForwardReader reader(page);
        const std::string user = reader.Take({{"name=\"user\" value=\"", "\""},
                                              {"name=\\\"user\\\" value=\\\"", "\\\""},
                                              {"user:", ","}});
        EXPECT_EQ(user, std::to_string(kAlice));
        EXPECT_EQ(reader.Take({{"post_form_id:\"", "\""}, {"post_form_id:\\\"", "\\\""}}),
                  state->post_form_id);
        EXPECT_EQ(reader.Take({{"fb_dtsg:\"", "\""}, {"fb_dtsg:\\\"", "\\\""}}), state->fb_dtsg);
        // Non-ASCII names arrive escaped twice: a script string inside a script string.
        EXPECT_EQ(reader.Take({{user + "\\\", \\\"", "\\\""}}), "Alice \\\\u00c5berg");
        std::string picture =
            reader.Take({{"class=\"UIProfileImage UIProfileImage_LARGE\"  src=\"", "\""},
                         {"class=\\\"UIComposer_Pic\\\"><img alt=\\\"\\\" class=\\\"UIProfileImage "
                          "UIProfileImage_LARGE\\\"  src=\\\"",
                          "\\\""}});
        std::erase(picture, '\\');
        EXPECT_EQ(picture, "http://profile.facebook.test/pics/n100000000000001.jpg");
        const std::string channel = reader.Take({{".js\\\", \\\"channel", "\\\""}});
        const std::string frame = Between(page, "channelManager.iframeLoad(\"", "\", ");
        if (c.channel) {
            EXPECT_EQ("channel" + channel, backend().state.ChannelName(kAlice));
            EXPECT_EQ(frame, "\\/iframe\\/11");
        } else {
            EXPECT_EQ(channel, "");
            EXPECT_EQ(frame, "");
        }
        EXPECT_THAT(page, HasSubstr("<li class=\"fb_menu\" id=\"fb_menu_logout\"><a href=\""));
        EXPECT_THAT(page, HasSubstr("<form method=\"post\" id=\"logout_form\""));
        EXPECT_THAT(page, HasSubstr("window.chatDisplay = new ChatDisplay("));
    }
}

TEST_F(StandInTest, HomePageListsOpenConversationsWithTheirCounts) {
    Browser browser(port());
    const SignedIn session = SignIn(browser, "alice@quillo.test", "secret");
    const std::string display =
        Between(session.page, "window.chatDisplay = new ChatDisplay(", "}}") + "}";
    // The last message of each conversation with messages, and an entry per conversation.
    EXPECT_THAT(display, HasSubstr("\\\"msg\\\":{\\\"text\\\":\\\"Yes &lt;3 &amp; cake\\\"}"));
    EXPECT_THAT(display, HasSubstr(",\\\"" + std::to_string(kBob) +
                                   "\\\":{\\\"n\\\":\\\"Bob Martin\\\",\\\"m\\\":2}"));
    EXPECT_THAT(display, HasSubstr(",\\\"42\\\":{\\\"n\\\":"));
    EXPECT_THAT(display, HasSubstr("\\\"m\\\":0}"));
    // "time" is never the last member, so that a reader can stop at the next comma.
    EXPECT_EQ(display.find("\\\"time\\\":" + Between(display, "\\\"time\\\":", ",") + "}"),
              std::string::npos);
}

TEST_F(StandInTest, LoginRedirectAndRootRedirectBehaviours) {
    ASSERT_EQ(Control("POST", "/__control/settings",
                      Json::object({{"login_redirect_root", true}, {"root_redirect_443", true}}))
                  .status,
              200);
    Browser browser(port());
    const Reply first = browser.Get(kWeb, "/");
    EXPECT_EQ(first.status, 302);
    EXPECT_EQ(LocationOf(first), "http://www.facebook.test:443/");
    // The redirect gave the browser its cookie; the same URL now serves the page.
    EXPECT_EQ(browser.Get(kWeb, "/").status, 200);

    const Reply login = browser.Post(kWeb, "/login.php?login_attempt=1",
                                     {{"email", "alice@quillo.test"}, {"pass", "secret"}});
    EXPECT_EQ(login.status, 302);
    EXPECT_EQ(LocationOf(login), "http://www.facebook.test");
    EXPECT_TRUE(browser.cookies.contains("xs"));
    const Reply home = browser.Get(kWeb, "/home.php");
    EXPECT_EQ(home.status, 200);
    EXPECT_THAT(home.body, HasSubstr("fb_menu_logout"));
}

TEST_F(StandInTest, PhotosProfileAndComposerPages) {
    Control("POST", "/__control/account",
            Json::object({{"id", kAlice}, {"photos_redirect", true}}));
    Browser browser(port());
    SignIn(browser, "alice@quillo.test", "secret");

    const Reply redirect = browser.Get(kWeb, "/profile.php?v=photos");
    const std::string target =
        Between(redirect.body, "</script><script>window.location.replace(\"", "\")");
    ASSERT_EQ(target,
              "http:\\/\\/www.facebook.test\\/profile.php?id=100000000000001&v=photos&ref=profile");
    const Reply photos = browser.Get(kWeb, "/profile.php?id=100000000000001&v=photos&ref=profile");
    EXPECT_EQ(
        Between(photos.body,
                "id=\"top_bar_pic\"><img class=\"UIProfileImage UIProfileImage_LARGE img\" src=\"",
                "\""),
        "http://profile.facebook.test/pics/n100000000000001.jpg");

    const std::string composer =
        Between(browser.Get(kWeb, "/profile.php?id=" + std::to_string(kBob)).body,
                "UIComposer.focusInstance(&quot;", "&quot;");
    EXPECT_THAT(composer, ::testing::MatchesRegex("c[0-9a-f]{13}"));
    // No composer on the wall of somebody who is not a friend.
    EXPECT_THAT(browser.Get(kWeb, "/profile.php?id=" + std::to_string(kBob + 5)).status, 404);
    const std::string filter = browser.Get(kWeb, "/home.php?filter=app_2309869772").body;
    EXPECT_THAT(Between(filter, "NewHighLight\\\"  id=\\\"", "\\\""),
                ::testing::MatchesRegex("c[0-9a-f]{13}"));
}

TEST_F(StandInTest, SignedOutPagesSendTheBrowserToTheLogin) {
    Browser browser(port());
    for (const char* target : {"/home.php", "/profile.php?v=photos"}) {
        const Reply reply = browser.Get(kWeb, target);
        EXPECT_EQ(reply.status, 302) << target;
        EXPECT_THAT(LocationOf(reply), ::testing::StartsWith("http://www.facebook.test/login.php"));
    }
    EXPECT_THAT(browser.Get(kWeb, "/reset.php").body, HasSubstr("Reset Your Password"));
}

TEST_F(StandInTest, LogoutEndsTheSessionWhateverTheFormCarries) {
    Browser browser(port());
    const SignedIn session = SignIn(browser, "alice@quillo.test", "secret");
    const Browser before = browser;
    // The link variant of the client posts an empty form.
    const Reply logout = browser.Post(kWeb, "/logout.php", {});
    EXPECT_EQ(logout.status, 302);
    EXPECT_THAT(
        browser.Get(kWeb, LocationOf(logout).substr(std::string("http://www.facebook.test").size()))
            .body,
        HasSubstr("id=\"login_form\""));
    Browser stale = before;
    const Json answer =
        AnswerJson(stale.Post(kWeb, "/ajax/chat/buddy_list.php", Tokens(session)).body);
    EXPECT_EQ(answer["error"], 1357001);
}

} // namespace
} // namespace quillo::standin::test
