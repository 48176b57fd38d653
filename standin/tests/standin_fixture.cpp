#include "standin_fixture.h"

#include <random>

namespace quillo::standin::test {

Json AnswerJson(const std::string& body) {
    const std::string prefix = "for (;;);";
    EXPECT_EQ(body.substr(0, prefix.size()), prefix) << body.substr(0, 200);
    if (body.substr(0, prefix.size()) != prefix) {
        return Json();
    }
    return Json::parse(body.substr(prefix.size()));
}

std::string Between(const std::string& text, const std::string& before, const std::string& after) {
    const std::size_t start = text.find(before);
    if (start == std::string::npos) {
        return "";
    }
    const std::size_t from = start + before.size();
    const std::size_t end = text.find(after, from);
    return end == std::string::npos ? "" : text.substr(from, end - from);
}

std::string HeaderOf(const Reply& reply, const std::string& name) {
    const auto found = reply.headers.find(name);
    return found == reply.headers.end() ? "" : found->second;
}

Reply Browser::Get(const std::string& host, const std::string& target) {
    return Send("GET", host, target, "");
}

Reply Browser::Post(const std::string& host, const std::string& target, const Fields& form) {
    std::string body;
    for (const auto& [name, value] : form) {
        body += (body.empty() ? "" : "&") + PercentEncode(name) + "=" + PercentEncode(value);
    }
    return Send("POST", host, target, body);
}

std::string Browser::CookieHeader() const {
    std::string header;
    for (const auto& [name, value] : cookies) {
        header += (header.empty() ? "" : "; ") + name + "=" + value;
    }
    return header;
}

Reply Browser::Send(const std::string& method, const std::string& host, const std::string& target,
                    const std::string& body) {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(20, 0);
    httplib::Headers headers{{"Host", host}};
    if (!cookies.empty()) {
        headers.emplace("Cookie", CookieHeader());
    }
    const httplib::Result result =
        method == "GET" ? client.Get(target, headers)
                        : client.Post(target, headers, body,
                                      "application/x-www-form-urlencoded; charset=UTF-8");
    Reply reply;
    if (!result) {
        reply.error = httplib::to_string(result.error());
        return reply;
    }
    reply.status = result->status;
    reply.body = result->body;
    reply.headers = result->headers;
    const std::size_t count = result->get_header_value_count("Set-Cookie");
    for (std::size_t i = 0; i < count; ++i) {
        const std::string line = result->get_header_value("Set-Cookie", i);
        const std::size_t eq = line.find('=');
        const std::size_t end = line.find(';');
        if (eq != std::string::npos) {
            cookies[line.substr(0, eq)] =
                line.substr(eq + 1, end == std::string::npos ? std::string::npos : end - eq - 1);
        }
    }
    return reply;
}

void StandInTest::SetUp() {
    std::random_device random;
    state_dir_ = std::filesystem::temp_directory_path() /
                 ("standin-test-" + std::to_string(random()) + std::to_string(::getpid()));
    Start(TestOptions());
}

void StandInTest::TearDown() {
    if (standin_) {
        standin_->Stop();
        standin_.reset();
    }
    std::error_code ignored;
    std::filesystem::remove_all(state_dir_, ignored);
}

StandInOptions StandInTest::TestOptions() {
    StandInOptions options;
    options.settings.hold = std::chrono::milliseconds(300);
    options.settings.bot_delay = std::chrono::milliseconds(40);
    options.threads = 32;
    return options;
}

void StandInTest::Start(StandInOptions options, std::optional<WorldData> world) {
    if (standin_) {
        standin_->Stop();
        standin_.reset();
    }
    if (options.state_dir.empty()) {
        options.state_dir = state_dir_.string();
    }
    if (!world) {
        world = LoadWorld(std::string(STANDIN_SOURCE_DIR) + "/tests/data/world.json");
    }
    standin_ = std::make_unique<StandIn>(options, std::move(*world));
    standin_->Start();
}

Reply StandInTest::Control(const std::string& method, const std::string& path, const Json& body) {
    httplib::Client client("127.0.0.1", port());
    const std::string text = body.is_null() ? "" : body.dump();
    const auto result =
        method == "GET" ? client.Get(path) : client.Post(path, text, "application/json");
    Reply reply;
    if (result) {
        reply.status = result->status;
        reply.body = result->body;
    }
    return reply;
}

SignedIn StandInTest::SignIn(Browser& browser, const std::string& email,
                             const std::string& password) {
    browser.Get(kWeb, "/");
    const Reply reply = browser.Post(kWeb, "/login.php?login_attempt=1",
                                     {{"email", email}, {"pass", password}, {"persistent", "1"}});
    SignedIn session;
    session.page = reply.body;
    session.user = ParseId(browser.cookies["c_user"]).value_or(0);
    session.post_form_id = Between(reply.body, "post_form_id:\"", "\"");
    if (session.post_form_id.empty()) {
        session.post_form_id = Between(reply.body, "post_form_id:\\\"", "\\\"");
    }
    session.fb_dtsg = Between(reply.body, "fb_dtsg:\"", "\"");
    if (session.fb_dtsg.empty()) {
        session.fb_dtsg = Between(reply.body, "fb_dtsg:\\\"", "\\\"");
    }
    session.channel = "channel" + Between(reply.body, ".js\\\", \\\"channel", "\\\"");
    return session;
}

Fields StandInTest::Tokens(const SignedIn& session) const {
    return {{"post_form_id", session.post_form_id},
            {"fb_dtsg", session.fb_dtsg},
            {"post_form_id_source", "AsyncRequest"},
            {"__a", "1"}};
}

Reply StandInTest::Poll(Browser& browser, const SignedIn& session, std::int64_t seq) {
    return browser.Get("0." + session.channel + ".facebook.test",
                       "/x/1234567890/false/p_" + std::to_string(session.user) + "=" +
                           std::to_string(seq) + "?__a=1&nctr[n]=1");
}

} // namespace quillo::standin::test
