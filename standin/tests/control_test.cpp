// The control interface: faults applied and cleared, requests read back, reset.
#include "standin_fixture.h"

#include <thread>

namespace quillo::standin::test {
namespace {

using ::testing::HasSubstr;

class ControlTest : public StandInTest {
protected:
    int Fault(const Json& fault) {
        const Reply reply = Control("POST", "/__control/faults", fault);
        EXPECT_EQ(reply.status, 200) << reply.body;
        return Json::parse(reply.body).value("id", 0);
    }
};

TEST_F(ControlTest, FaultsChangeTheAnswerForTheirCount) {
    struct Case {
        Json fault;
        int status;
        std::string body;
        std::string location;
    };
    const std::vector<Case> cases = {
        {{{"action", "status"}, {"status", 503}}, 503, "", ""},
        {{{"action", "status"}, {"status", 500}, {"body", "oops"}}, 500, "oops", ""},
        {{{"action", "empty"}}, 200, "", ""},
        {{{"action", "body"}, {"body", "for (;;);{\"t\":\"refresh\"}"}},
         200,
         "for (;;);{\"t\":\"refresh\"}",
         ""},
        {{{"action", "redirect"}, {"to_443", true}},
         302,
         "",
         "http://www.facebook.test:443/home.php?x=1"},
        {{{"action", "redirect"}, {"location", "http://www.facebook.test/"}},
         302,
         "",
         "http://www.facebook.test/"},
        {{{"action", "redirect"}, {"loop", true}, {"status", 301}},
         301,
         "",
         "http://www.facebook.test/home.php?x=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault.dump());
        Json fault = c.fault;
        fault["host"] = "www.facebook.*";
        fault["path"] = "/home.php";
        fault["count"] = 2;
        Fault(fault);
        Browser browser(port());
        for (int i = 0; i < 2; ++i) {
            const Reply reply = browser.Get(kWeb, "/home.php?x=1");
            EXPECT_EQ(reply.status, c.status);
            EXPECT_EQ(reply.body, c.body);
            EXPECT_EQ(LocationOf(reply), c.location);
        }
        // Used up: the page is itself again (a redirect to the login, without a session).
        EXPECT_THAT(LocationOf(browser.Get(kWeb, "/home.php?x=1")),
                    ::testing::StartsWith("http://www.facebook.test/login.php"));
        // Other paths were never touched.
        EXPECT_EQ(browser.Get(kWeb, "/").status, 200);
    }
}

TEST_F(ControlTest, DropGarbageAndDelay) {
    Fault({{"path", "/reset.php"}, {"action", "drop"}, {"count", 1}});
    Browser browser(port());
    const Reply dropped = browser.Get(kWeb, "/reset.php");
    EXPECT_EQ(dropped.status, 0) << dropped.body;
    EXPECT_EQ(browser.Get(kWeb, "/reset.php").status, 200);

    Fault({{"path", "/reset.php"}, {"action", "garbage"}, {"count", 1}});
    const Reply garbage = browser.Get(kWeb, "/reset.php");
    EXPECT_EQ(garbage.status, 200);
    EXPECT_GE(garbage.body.size(), 64u);
    EXPECT_EQ(garbage.body.find("Reset Your Password"), std::string::npos);

    Fault({{"host", "ipecho.test"}, {"action", "delay"}, {"ms", 300}, {"count", 1}});
    const auto start = std::chrono::steady_clock::now();
    const Reply delayed = browser.Get("ipecho.test", "/automation/n09230945.asp");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(280));
    EXPECT_EQ(delayed.body, "127.0.0.1");
}

TEST_F(ControlTest, TimedFaultsExpireAndClearRemovesTheRest) {
    Fault({{"host", "ipecho.test"}, {"action", "status"}, {"status", 502}, {"seconds", 0.3}});
    const int untimed = Fault({{"host", "update.quillo.test"}, {"action", "empty"}});
    Browser browser(port());
    EXPECT_EQ(browser.Get("ipecho.test", "/automation/n09230945.asp").status, 502);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(browser.Get("ipecho.test", "/automation/n09230945.asp").status, 200);
    EXPECT_EQ(browser.Get("update.quillo.test", "/version.htm").body, "");
    EXPECT_EQ(Json::parse(Control("GET", "/__control/faults").body)[0]["id"], untimed);
    Control("POST", "/__control/faults/clear");
    EXPECT_EQ(browser.Get("update.quillo.test", "/version.htm").body, "1.361");
}

TEST_F(ControlTest, WrongControlRequestsAreRefusedWithAReason) {
    const std::pair<std::string, Json> wrong[] = {
        {"/__control/faults", Json::object({{"action", "explode"}})},
        {"/__control/faults", Json::object({{"action", "redirect"}})},
        {"/__control/faults", Json::object({{"action", "delay"}})},
        {"/__control/faults", Json::object({{"action", "status"}, {"status", 42}})},
        {"/__control/act", Json::object({{"as", 12345}})},
        {"/__control/act", Json::object({{"as", kZoe}, {"typing", {{"to", kAlice}, {"st", 5}}}})},
        {"/__control/account", Json::object({{"id", kAlice}, {"page_form", "fancy"}})},
    };
    for (const auto& [path, body] : wrong) {
        const Reply reply = Control("POST", path, body);
        EXPECT_EQ(reply.status, 400) << path << " " << body.dump();
        EXPECT_TRUE(Json::parse(reply.body).contains("error"));
    }
    EXPECT_EQ(Control("POST", "/__control/act", Json()).status, 400);
    EXPECT_EQ(Control("GET", "/__control/nothing").status, 404);
}

TEST_F(ControlTest, RequestsAreRecordedWithFormsAndCookies) {
    Browser browser(port());
    const SignedIn alice = SignIn(browser, "alice@quillo.test", "secret");
    browser.Post(kWeb, "/ajax/chat/send.php",
                 {{"msg_text", "hi"},
                  {"to", std::to_string(kZoe)},
                  {"post_form_id", alice.post_form_id},
                  {"fb_dtsg", alice.fb_dtsg}});
    const Json log =
        Json::parse(Control("GET", "/__control/requests?host=www.*&path=/ajax/*").body);
    ASSERT_EQ(log["requests"].size(), 1u);
    const Json& request = log["requests"][0];
    EXPECT_EQ(request["method"], "POST");
    EXPECT_EQ(request["host"], "www.facebook.test");
    EXPECT_EQ(request["path"], "/ajax/chat/send.php");
    EXPECT_EQ(request["status"], 200);
    EXPECT_EQ(request["form"][0], Json::array({"msg_text", "hi"}));
    bool has_session_cookie = false;
    for (const Json& cookie : request["cookies"]) {
        has_session_cookie |= cookie[0] == "xs";
    }
    EXPECT_TRUE(has_session_cookie);
    // Paging on from the last number seen gives only what came later.
    const std::uint64_t last = log["last"];
    browser.Get(kWeb, "/reset.php");
    const Json later =
        Json::parse(Control("GET", "/__control/requests?since=" + std::to_string(last)).body);
    ASSERT_EQ(later["requests"].size(), 1u);
    EXPECT_EQ(later["requests"][0]["path"], "/reset.php");
}

TEST_F(ControlTest, ResetForgetsSessionsRecordsAndFaults) {
    Browser browser(port());
    const SignedIn alice = SignIn(browser, "alice@quillo.test", "secret");
    Control("POST", "/__control/act", Json::object({{"as", kZoe}, {"online", false}}));
    Control("POST", "/__control/settings", Json::object({{"version", "2.0"}}));
    Fault({{"host", "ipecho.test"}, {"action", "empty"}});
    ASSERT_EQ(Control("POST", "/__control/reset").status, 200);

    EXPECT_EQ(
        AnswerJson(browser.Post(kWeb, "/ajax/chat/buddy_list.php", Tokens(alice)).body)["error"],
        1357001);
    EXPECT_TRUE(backend().state.IsOnline(kZoe));
    EXPECT_EQ(browser.Get("update.quillo.test", "/version.htm").body, "1.361");
    EXPECT_EQ(browser.Get("ipecho.test", "/automation/n09230945.asp").body, "127.0.0.1");
    const Json log = Json::parse(Control("GET", "/__control/requests").body);
    EXPECT_EQ(log["requests"].size(), 3u); // the three requests since the reset
}

TEST_F(ControlTest, ControlAnswersItsOwnNamesAndTakesChangesAsJsonOnly) {
    Browser browser(port());
    EXPECT_THAT(browser.Get("127.0.0.1", "/__control/").body, HasSubstr("<title>Quillo stand-in"));
    const Json state = Json::parse(browser.Get(kWeb, "/__control/state").body);
    EXPECT_EQ(state["accounts"].size(), 6u);
    EXPECT_EQ(state["settings"]["version"], "1.361");
    // A rebound DNS name reaches the port but not the control interface.
    EXPECT_EQ(browser.Get("attacker.example", "/__control/state").status, 403);
    // A form post, as any web page may send one unasked, changes nothing.
    EXPECT_EQ(browser.Post(kWeb, "/__control/reset", {}).status, 415);
    EXPECT_EQ(
        Control("POST", "/__control/act",
                Json::object({{"as", kZoe},
                              {"send", {{"to", kAlice}, {"text", "x"}, {"count", 4294967297}}}}))
            .status,
        400)
        << "a count beyond 32 bits is refused, not wrapped";
    const Reply unknown = browser.Get("elsewhere.test", "/x?<script>");
    EXPECT_EQ(unknown.status, 404);
    EXPECT_EQ(browser.Get("<b>", "/").body.find("<b>"), std::string::npos);
}

} // namespace
} // namespace quillo::standin::test
