// The channel hosts: seq numbering, several items in one answer, holds, refreshes, bots.
#include "standin_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <latch>

namespace quillo::standin::test {
namespace {

using ::testing::HasSubstr;

class ChannelTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        alice_browser_ = std::make_unique<Browser>(port());
        alice_ = SignIn(*alice_browser_, "alice@quillo.test", "secret");
        ASSERT_EQ(alice_.channel, backend().state.ChannelName(kAlice));
    }

    void Act(const Json& what) {
        ASSERT_EQ(Control("POST", "/__control/act", what).status, 200) << what.dump();
    }

    Reply AlicePoll(std::int64_t seq) { return Poll(*alice_browser_, alice_, seq); }

    std::unique_ptr<Browser> alice_browser_;
    SignedIn alice_;
};

TEST_F(ChannelTest, EachItemTakesOneSeqAndWaitingItemsComeTogether) {
    Act({{"as", kZoe}, {"typing", {{"to", kAlice}, {"st", 1}}}});
    Act({{"as", kZoe}, {"send", {{"to", kAlice}, {"text", "one & <two>"}}}});
    Act({{"as", kZoe}, {"typing", {{"to", kAlice}, {"st", 0}}}});

    const Json all = AnswerJson(AlicePoll(0).body);
    EXPECT_EQ(all["t"], "msg");
    EXPECT_EQ(all["c"], "p_" + std::to_string(kAlice));
    ASSERT_EQ(all["ms"].size(), 3u);
    EXPECT_EQ(all["ms"][0], Json::parse(R"({"type":"typ","st":1,"from":42,"to":100000000000001})"));
    const Json& message = all["ms"][1];
    EXPECT_EQ(message["type"], "msg");
    EXPECT_EQ(message["msg"]["text"], "one &amp; &lt;two&gt;");
    EXPECT_TRUE(message["msg"]["msgID"].is_string());
    EXPECT_EQ(message["from"], kZoe);
    EXPECT_EQ(message["to"], kAlice);
    EXPECT_EQ(message["from_name"], "Zo\xC3\xAB \xF0\x9F\x8C\xB8 Tanaka");
    EXPECT_EQ(message["to_first_name"], "Alice");
    EXPECT_EQ(all["ms"][2]["st"], 0);

    // Asking from seq 2 gives the last item alone.
    const Json last = AnswerJson(AlicePoll(2).body);
    ASSERT_EQ(last["ms"].size(), 1u);
    EXPECT_EQ(last["ms"][0]["st"], 0);
}

TEST_F(ChannelTest, AnEmptyChannelHoldsThenSaysContinue) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(AlicePoll(0).body, "for (;;);{\"t\":\"continue\"}");
    const auto held = std::chrono::steady_clock::now() - start;
    EXPECT_GE(held, std::chrono::milliseconds(250));
    EXPECT_LT(held, std::chrono::milliseconds(3000));
}

TEST_F(ChannelTest, AHeldPollAnswersAsSoonAsSomethingArrives) {
    Control("POST", "/__control/settings", Json::object({{"hold_ms", 20000}}));
    auto poll = std::async(std::launch::async, [&] { return AlicePoll(0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto start = std::chrono::steady_clock::now();
    Act({{"as", kMadonna}, {"send", {{"to", kAlice}, {"text", "hey"}}}});
    const Reply reply = poll.get();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
    EXPECT_EQ(AnswerJson(reply.body)["ms"][0]["msg"]["text"], "hey");
}

TEST_F(ChannelTest, UnservableSeqGetsRefreshWithTheSeqToResumeAt) {
    Act({{"as", kZoe}, {"send", {{"to", kAlice}, {"text", "a"}}}});
    Act({{"as", kZoe}, {"send", {{"to", kAlice}, {"text", "b"}}}});
    // Ahead of the channel: resume at its next seq, written as the service wrote it.
    EXPECT_EQ(AlicePoll(9).body, "for (;;);{\"t\":\"refresh\", \"seq\":2}");
    // A new sign-in starts after what waited for the old one.
    Browser again(port());
    const SignedIn second = SignIn(again, "alice@quillo.test", "secret");
    EXPECT_EQ(Poll(again, second, 0).body, "for (;;);{\"t\":\"refresh\", \"seq\":2}");
}

TEST_F(ChannelTest, OwnMessagesComeBackOnTheSendersChannel) {
    Browser bob_browser(port());
    SignedIn bob = SignIn(bob_browser, "bob@quillo.test", "hunter2");
    const Json sent = AnswerJson(alice_browser_
                                     ->Post(kWeb, "/ajax/chat/send.php",
                                            {{"msg_text", "hello bob"},
                                             {"msg_id", "-2000000000"},
                                             {"client_time", "1250000000000"},
                                             {"to", std::to_string(kBob)},
                                             {"popped_out", "true"},
                                             {"num_tabs", "1"},
                                             {"post_form_id", alice_.post_form_id},
                                             {"fb_dtsg", alice_.fb_dtsg},
                                             {"post_form_id_source", "AsyncRequest"},
                                             {"__a", "1"}})
                                     .body);
    ASSERT_EQ(sent["error"], 0);
    for (auto [browser, session] :
         {std::pair{&bob_browser, &bob}, std::pair{alice_browser_.get(), &alice_}}) {
        const Json answer = AnswerJson(Poll(*browser, *session, 0).body);
        ASSERT_EQ(answer["ms"].size(), 1u);
        const Json& item = answer["ms"][0];
        EXPECT_EQ(item["from"], kAlice);
        EXPECT_EQ(item["to"], kBob);
        EXPECT_EQ(item["msg"]["msgID"], "-2000000000");
        EXPECT_EQ(item["msg"]["clientTime"], 1250000000000LL);
    }
}

TEST_F(ChannelTest, EchoBotTypesThenAnswers) {
    const Json sent = AnswerJson(alice_browser_
                                     ->Post(kWeb, "/ajax/chat/send.php",
                                            {{"msg_text", "ping"},
                                             {"msg_id", "1"},
                                             {"client_time", "1"},
                                             {"to", std::to_string(kEcho)},
                                             {"post_form_id", alice_.post_form_id},
                                             {"fb_dtsg", alice_.fb_dtsg}})
                                     .body);
    ASSERT_EQ(sent["error"], 0);
    std::vector<Json> items;
    for (std::int64_t seq = 0; items.size() < 3 && seq < 10;) {
        const Json answer = AnswerJson(AlicePoll(seq).body);
        if (answer["t"] == "msg") {
            items.push_back(answer["ms"][0]);
            ++seq;
        }
    }
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0]["from"], kAlice); // the user's own message
    EXPECT_EQ(items[1]["type"], "typ");
    EXPECT_EQ(items[1]["st"], 1);
    EXPECT_EQ(items[1]["from"], kEcho);
    EXPECT_EQ(items[2]["type"], "msg");
    EXPECT_EQ(items[2]["from"], kEcho);
    EXPECT_EQ(items[2]["msg"]["text"], "ping");
}

TEST_F(ChannelTest, MovedChannelOrEndedSessionAsksForAReconnect) {
    // Moving wakes a held poll on the old host.
    Control("POST", "/__control/settings", Json::object({{"hold_ms", 20000}}));
    auto held = std::async(std::launch::async, [&] { return AlicePoll(0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Act({{"as", kAlice}, {"move_channel", true}});
    EXPECT_EQ(held.get().body, "for (;;);{\"t\":\"refresh\"}");
    const std::string moved_to = backend().state.ChannelName(kAlice);
    EXPECT_NE(moved_to, alice_.channel);
    const Json reconnect = AnswerJson(
        alice_browser_
            ->Get(kWeb, "/ajax/presence/reconnect.php?reason=3&iframe_loaded=true&post_form_id=" +
                            alice_.post_form_id + "&__a=1")
            .body);
    EXPECT_EQ(reconnect["payload"]["host"], moved_to);

    SignedIn moved = alice_;
    moved.channel = moved_to;
    Control("POST", "/__control/settings", Json::object({{"hold_ms", 300}}));
    EXPECT_EQ(Poll(*alice_browser_, moved, 0).body, "for (;;);{\"t\":\"continue\"}");
    // Signed in elsewhere: the channel sends the client to the web host, which refuses.
    Act({{"as", kAlice}, {"expire", true}});
    EXPECT_EQ(Poll(*alice_browser_, moved, 0).body, "for (;;);{\"t\":\"refresh\"}");
    // Without the session cookies the channel is not served either.
    Browser stranger(port());
    EXPECT_EQ(Poll(stranger, moved, 0).body, "for (;;);{\"t\":\"refresh\"}");
}

TEST_F(ChannelTest, ToleratesTheTrailingSpaceOfThePollUrl) {
    Act({{"as", kZoe}, {"send", {{"to", kAlice}, {"text", "x"}}}});
    for (const std::string target : {"/x/1/false/p_100000000000001=0?__a=1&nctr[n]=1%20",
                                     "/x/1/false/p_100000000000001=0?__a=1&nctr[n]=1 "}) {
        // Sent over a plain socket: httplib's client would not send a raw space.
        const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 0." + alice_.channel +
                                    ".facebook.test\r\nCookie: " + alice_browser_->CookieHeader() +
                                    "\r\nConnection: close\r\n\r\n";
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::send(fd, request.data(), request.size(), 0),
                  static_cast<ssize_t>(request.size()));
        std::string answer;
        char buffer[4096];
        for (ssize_t got; (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
            answer.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(fd);
        EXPECT_THAT(answer, ::testing::StartsWith("HTTP/1.1 200"));
        EXPECT_THAT(answer, HasSubstr("for (;;);{\"t\":\"msg\""));
    }
}

TEST_F(ChannelTest, ABurstOfPollsIsHeldWhileOtherRequestsAreAnswered) {
    StandInOptions options = TestOptions();
    options.threads = 128;
    options.settings.hold = std::chrono::milliseconds(20000);
    Start(options);
    alice_browser_ = std::make_unique<Browser>(port());
    alice_ = SignIn(*alice_browser_, "alice@quillo.test", "secret");
    constexpr int kPolls = 100;
    std::latch ready(kPolls + 1);
    std::vector<std::future<Reply>> polls;
    for (int i = 0; i < kPolls; ++i) {
        polls.push_back(std::async(std::launch::async, [&] {
            Browser browser = *alice_browser_;
            ready.arrive_and_wait();
            return Poll(browser, alice_, 0);
        }));
    }
    ready.arrive_and_wait();
    // All at once, as when every client reconnects together: a short listen queue would
    // leave some for the client's SYN retry, a second later.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(900);
    while (backend().held_polls < kPolls && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(backend().held_polls, kPolls);
    const auto start = std::chrono::steady_clock::now();
    Browser other(port());
    EXPECT_EQ(other.Get("update.quillo.test", "/version.htm").body, "1.361");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    // One message answers every held poll.
    Act({{"as", kZoe}, {"send", {{"to", kAlice}, {"text", "all of you"}}}});
    for (auto& poll : polls) {
        EXPECT_EQ(AnswerJson(poll.get().body)["ms"][0]["msg"]["text"], "all of you");
    }
}

TEST_F(ChannelTest, StopEndsHeldPollsPromptly) {
    Control("POST", "/__control/settings", Json::object({{"hold_ms", 60000}}));
    std::vector<std::future<Reply>> polls;
    for (int i = 0; i < 8; ++i) {
        polls.push_back(std::async(std::launch::async, [&] { return AlicePoll(0); }));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    standin_->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    for (auto& poll : polls) {
        const Reply reply = poll.get();
        // Either the continue answer or a closed connection; never a wait for the hold time.
        if (reply.status == 200) {
            EXPECT_EQ(reply.body, "for (;;);{\"t\":\"continue\"}");
        }
    }
}

} // namespace
} // namespace quillo::standin::test
