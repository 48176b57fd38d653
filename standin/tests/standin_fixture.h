#pragma once
// A stand-in per test, in this process, on a free port, with the small test world, short
// holds and quick bots; plus a tiny cookie-keeping browser built on httplib's client. Nothing
// here comes from the messenger's own code.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "standin.h"

namespace quillo::standin::test {

inline constexpr UserId kAlice = 100000000000001ULL;
inline constexpr UserId kBob = 100000000000002ULL;
inline constexpr UserId kEcho = 4294967311ULL;
inline constexpr UserId kZoe = 42;
inline constexpr UserId kCarol = 7;
inline constexpr UserId kMadonna = 8;

inline const std::string kWeb = "www.facebook.test";

// The JSON after the "for (;;);" prefix; fails the test when the prefix is missing.
Json AnswerJson(const std::string& body);

// The text between the first `before` and the next `after`, or "" when either is missing.
std::string Between(const std::string& text, const std::string& before, const std::string& after);

struct Reply {
    int status = 0; // 0 when the request failed
    std::string body;
    httplib::Headers headers;
    std::string error; // httplib's error when status is 0
};

// A header of a reply, or "".
std::string HeaderOf(const Reply& reply, const std::string& name);
inline std::string LocationOf(const Reply& reply) {
    return HeaderOf(reply, "Location");
}

// Keeps cookies the way a browser of the time did: by name, last one wins.
class Browser {
public:
    explicit Browser(int port)
        : port_(port) {}

    Reply Get(const std::string& host, const std::string& target);
    Reply Post(const std::string& host, const std::string& target, const Fields& form);
    // The whole Cookie header, built from what was kept.
    std::string CookieHeader() const;

    std::map<std::string, std::string> cookies;

private:
    Reply Send(const std::string& method, const std::string& host, const std::string& target,
               const std::string& body);
    int port_;
};

// What a signed-in page told the test.
struct SignedIn {
    UserId user = 0;
    std::string post_form_id;
    std::string fb_dtsg;
    std::string channel;
    std::string page;
};

class StandInTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // (Re)starts the stand-in, with the test world unless another is given.
    void Start(StandInOptions options, std::optional<WorldData> world = std::nullopt);
    static StandInOptions TestOptions();

    Backend& backend() { return standin_->backend(); }
    int port() const { return standin_->port(); }

    Reply Control(const std::string& method, const std::string& path, const Json& body = {});
    // Signs in through the login form and cuts the tokens out of the page.
    SignedIn SignIn(Browser& browser, const std::string& email, const std::string& password);
    Fields Tokens(const SignedIn& session) const;
    // A long poll of the user's channel for seq.
    Reply Poll(Browser& browser, const SignedIn& session, std::int64_t seq);

    std::unique_ptr<StandIn> standin_;
    std::filesystem::path state_dir_;
};

} // namespace quillo::standin::test
