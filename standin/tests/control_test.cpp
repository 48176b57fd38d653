// The control interface: faults applied and cleared, requests read back, reset.
#include "standin_fixture.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
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

// A request written by hand, for header lines httplib's client would always send; the whole
// answer as it came, until the server closed the connection.
std::string RawExchange(int port, const std::string& request) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, request.data(), request.size(), 0) == static_cast<ssize_t>(request.size())) {
        char buffer[4096];
        for (ssize_t got; (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
            answer.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    return answer;
}

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

TEST_F(ControlTest, ControlNeedsAHostHeaderNamingTheStandIn) {
    // The router answers a request without a Host as the web host; the control interface must
    // not take that for its own name.
    const struct {
        const char* what;
        std::string request;
        const char* status_line;
    } cases[] = {
        {"HTTP/1.0 without Host", "GET /__control/state HTTP/1.0\r\n\r\n", "HTTP/1.1 403"},
        {"HTTP/1.1 without Host", "GET /__control/state HTTP/1.1\r\nConnection: close\r\n\r\n",
         "HTTP/1.1 403"},
        {"empty Host", "GET /__control/state HTTP/1.1\r\nHost:\r\nConnection: close\r\n\r\n",
         "HTTP/1.1 403"},
        {"blank Host", "GET /__control/state HTTP/1.1\r\nHost:   \r\nConnection: close\r\n\r\n",
         "HTTP/1.1 403"},
        {"a port only", "GET /__control/state HTTP/1.1\r\nHost: :80\r\nConnection: close\r\n\r\n",
         "HTTP/1.1 403"},
        {"a change without Host",
         "POST /__control/reset HTTP/1.0\r\nContent-Type: application/json\r\n"
         "Content-Length: 2\r\n\r\n{}",
         "HTTP/1.1 403"},
        {"the stand-in's address",
         "GET /__control/state HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n",
         "HTTP/1.1 200"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string answer = RawExchange(port(), c.request);
        EXPECT_THAT(answer, ::testing::StartsWith(c.status_line)) << answer.substr(0, 300);
        if (std::string_view(c.status_line).ends_with("403")) {
            EXPECT_EQ(answer.find("\"accounts\""), std::string::npos);
        }
    }
    // The page itself, without a Host, still answers as the web host does.
    EXPECT_THAT(RawExchange(port(), "GET /reset.php HTTP/1.0\r\n\r\n"),
                ::testing::StartsWith("HTTP/1.1 200"));
}

TEST_F(ControlTest, FaultFilesComeFromTheStateFolderOnly) {
    namespace fs = std::filesystem;
    const fs::path state = state_dir_;
    const fs::path outside = state.string() + "-outside";
    fs::create_directories(state / "pages");
    fs::create_directories(outside);
    auto write = [](const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    };
    write(state / "login.html", "inside top");
    write(state / "pages" / "login.html", "inside nested");
    write(outside / "secret.txt", "outside secret");
    fs::create_symlink(outside / "secret.txt", state / "to_outside.txt");
    fs::create_symlink(outside, state / "outside_folder");
    fs::create_symlink(state / "pages" / "login.html", state / "to_inside.html");
    // A relative link that climbs out of the folder and back in again stays inside.
    fs::create_symlink("../" + state.filename().string() + "/login.html",
                       state / "round_trip.html");

    const struct {
        std::string file;
        const char* served; // nullptr: refused
    } cases[] = {
        {"login.html", "inside top"},
        {"pages/login.html", "inside nested"},
        {"./pages/login.html", "inside nested"},
        {"to_inside.html", "inside nested"},
        {"round_trip.html", "inside top"},
        {(state / "login.html").string(), nullptr}, // absolute, even inside
        {(outside / "secret.txt").string(), nullptr},
        {"/etc/passwd", nullptr},
        {"../" + outside.filename().string() + "/secret.txt", nullptr},
        {"pages/../login.html", nullptr},
        {"pages/../../" + outside.filename().string() + "/secret.txt", nullptr},
        {"to_outside.txt", nullptr},
        {"outside_folder/secret.txt", nullptr},
        {"pages", nullptr},
        {".", nullptr},
        {"missing.html", nullptr},
    };
    Browser browser(port());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Control("POST", "/__control/faults/clear");
        const Reply reply =
            Control("POST", "/__control/faults",
                    {{"path", "/reset.php"}, {"action", "body"}, {"file", c.file}, {"count", 1}});
        const std::string page = browser.Get(kWeb, "/reset.php").body;
        if (c.served) {
            EXPECT_EQ(reply.status, 200) << reply.body;
            EXPECT_EQ(page, c.served);
        } else {
            EXPECT_EQ(reply.status, 400) << reply.body;
            EXPECT_TRUE(Json::parse(reply.body).contains("error"));
            EXPECT_EQ(page.find("outside secret"), std::string::npos);
            EXPECT_EQ(page.find("root:"), std::string::npos);
        }
    }
    std::error_code ignored;
    fs::remove_all(outside, ignored);
}

} // namespace
} // namespace quillo::standin::test
