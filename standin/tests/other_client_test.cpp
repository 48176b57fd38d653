// Another desktop client of the service, written against the live service by others, talks
// differently from ours: HTTP/1.0, one request per connection read until the server closes
// it, gzip accepted, its own Cookie line and field orders, the login on the login host without
// a visit to the login page, the tokens from the chat popout. Its requests are sent here
// byte for byte as it sent them.
#include "standin_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>

namespace quillo::standin::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const std::string kLogin = "login.facebook.test";

struct RawAnswer {
    int status = 0;   // 0 when nothing usable came back
    std::string head; // the status line and the header lines as they came
    std::string body; // unpacked when it came gzipped
};

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Gunzip(const std::string& packed) {
    z_stream stream{};
    EXPECT_EQ(inflateInit2(&stream, 16 + MAX_WBITS), Z_OK);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    std::string out;
    int result = Z_OK;
    while (result == Z_OK) {
        char buffer[16384];
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - stream.avail_out);
    }
    inflateEnd(&stream);
    EXPECT_EQ(result, Z_STREAM_END) << "a gzipped body that does not unpack";
    return out;
}

// Writes the request and reads until the server closes the connection. Over TLS the
// certificate must come from ca and name host.
std::string Converse(int port, const std::string* ca, const std::string& host,
                     const std::string& request) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{20, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return answer;
    }
    char buffer[16384];
    if (!ca) {
        for (std::size_t sent = 0; sent < request.size();) {
            const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, 0);
            if (n <= 0) {
                break;
            }
            sent += static_cast<std::size_t>(n);
        }
        for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
            answer.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fd);
        return answer;
    }
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_client_method()),
                                                              SSL_CTX_free);
    SSL_CTX_load_verify_locations(context.get(), ca->c_str(), nullptr);
    SSL_CTX_set_verify(context.get(), SSL_VERIFY_PEER, nullptr);
    std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(context.get()), SSL_free);
    SSL_set1_host(ssl.get(), host.c_str());
    SSL_set_fd(ssl.get(), fd);
    if (SSL_connect(ssl.get()) == 1) {
        SSL_write(ssl.get(), request.data(), static_cast<int>(request.size()));
        for (int n; (n = SSL_read(ssl.get(), buffer, sizeof buffer)) > 0;) {
            answer.append(buffer, static_cast<std::size_t>(n));
        }
    } else {
        ADD_FAILURE() << "TLS handshake for " << host << " failed";
    }
    ::close(fd);
    return answer;
}

// The other client: one connection per request, and a Cookie line that starts with its own
// three cookies and takes on every cookie the service sets.
class OtherClient {
public:
    OtherClient(int port, int tls_port, std::string ca)
        : port_(port)
        , tls_port_(tls_port)
        , ca_(std::move(ca)) {}

    RawAnswer Get(const std::string& host, const std::string& target) {
        return Send("GET", host, target, nullptr, false);
    }
    RawAnswer Post(const std::string& host, const std::string& target, const Fields& form,
                   bool tls = false) {
        return Send("POST", host, target, &form, tls);
    }
    std::string Cookie(const std::string& name) const {
        return FieldValue(cookies_, name).value_or("");
    }

private:
    RawAnswer Send(const std::string& method, const std::string& host, const std::string& target,
                   const Fields* form, bool tls) {
        std::string line;
        for (const auto& [name, value] : cookies_) {
            line += name + "=" + value + ";";
        }
        std::string request = method + " " + target + " HTTP/1.0\r\nHost: " + host +
                              "\r\nAccept-Encoding: gzip\r\nConnection: close\r\nCookie: " + line +
                              "\r\n";
        if (form) {
            std::string body;
            for (const auto& [name, value] : *form) {
                body +=
                    (body.empty() ? "" : "&") + PercentEncode(name) + "=" + PercentEncode(value);
            }
            request += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                       std::to_string(body.size()) + "\r\n\r\n" + body;
        } else {
            request += "\r\n";
        }
        const std::string text =
            Converse(tls ? tls_port_ : port_, tls ? &ca_ : nullptr, host, request);
        RawAnswer answer;
        const std::size_t end = text.find("\r\n\r\n");
        if (end == std::string::npos || !text.starts_with("HTTP/1.")) {
            ADD_FAILURE() << method << " " << target << " got no answer";
            return answer;
        }
        answer.status = std::stoi(text.substr(9, 3));
        answer.head = text.substr(0, end + 2);
        answer.body = text.substr(end + 4);
        const std::string head = Lowered(answer.head);
        // A client of HTTP/1.0 reads the body up to the close; it knows no chunks.
        EXPECT_THAT(head, Not(HasSubstr("transfer-encoding: chunked")));
        if (head.find("\r\ncontent-encoding: gzip\r\n") != std::string::npos) {
            answer.body = Gunzip(answer.body);
        }
        const std::string set_cookie = "\r\nSet-Cookie: ";
        for (std::size_t at = answer.head.find(set_cookie); at != std::string::npos;
             at = answer.head.find(set_cookie, at + 1)) {
            const std::size_t from = at + set_cookie.size();
            const std::string pair =
                answer.head.substr(from, answer.head.find_first_of(";\r", from) - from);
            const std::size_t eq = pair.find('=');
            std::erase_if(cookies_,
                          [&](const auto& kept) { return kept.first == pair.substr(0, eq); });
            cookies_.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
        }
        return answer;
    }

    int port_;
    int tls_port_;
    std::string ca_;
    Fields cookies_{{"isfbe", "false"}, {"test_cookie", "1"}, {"lsd", "abcde"}};
};

// The login fields in the order that client sent them.
Fields LoginForm(const std::string& email, const std::string& password) {
    const std::string charset =
        "&euro;,&acute;,\xE2\x82\xAC,\xC2\xB4,\xE6\xB0\xB4,\xD0\x94,\xD0\x84";
    return {{"charset_test", charset}, {"charset_test", charset}, {"locale", "en_US"},
            {"email", email},          {"pass", password},        {"pass_placeHolder", "Password"},
            {"persistent", "1"},       {"login", "Login"},        {"lsd", "abcde"}};
}

const std::string kLoginTarget = "/login.php?login_attempt=1&_fb_noscript=1";

// What the popout page tells that client, cut the way it cuts.
struct Popout {
    std::string post_form_id;
    std::string fb_dtsg;
    std::string channel; // the digits only; empty when the page has none
};

Popout CutPopout(const std::string& page) {
    Popout popout;
    popout.post_form_id = Between(page, "id=\"post_form_id\" name=\"post_form_id\" value=\"", "\"");
    popout.fb_dtsg = Between(page, "fb_dtsg:\"", "\"");
    popout.channel = Between(page, "js\", \"channel", "\"");
    if (popout.channel.empty()) {
        popout.channel = Between(page, "js\",\"channel", "\"");
    }
    return popout;
}

class OtherClientTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        StartWith(TestOptions());
    }

    void StartWith(StandInOptions options) {
        options.tls = true;
        Start(options);
        alice_ = std::make_unique<OtherClient>(port(), standin_->tls_port(), standin_->ca_file());
    }

    // Signs Alice in as that client does and reads the popout; fails the test on the way.
    Popout AliceSignsIn() {
        const RawAnswer login =
            alice_->Post(kLogin, kLoginTarget, LoginForm("alice@quillo.test", "secret"), true);
        EXPECT_THAT(login.head,
                    HasSubstr("\r\nSet-Cookie: c_user=" + std::to_string(kAlice) + ";"));
        const RawAnswer popout = alice_->Get(kWeb, "/presence/popout.php");
        EXPECT_EQ(popout.status, 200);
        return CutPopout(popout.body);
    }

    // The live session of the cookies that client keeps.
    Session AliceSession() {
        for (const Session& session : backend().state.Sessions()) {
            if (session.xs == alice_->Cookie("xs")) {
                return session;
            }
        }
        ADD_FAILURE() << "no live session for the client's cookies";
        return {};
    }

    Json AlicePosts(const std::string& path, const Fields& form) {
        const RawAnswer answer = alice_->Post(kWeb, path, form);
        EXPECT_EQ(answer.status, 200) << path;
        return AnswerJson(answer.body);
    }

    std::unique_ptr<OtherClient> alice_;
};

TEST_F(OtherClientTest, SignsInOnTheLoginHostWithoutAVisitFirst) {
    struct Case {
        const char* what;
        std::string login_host_option; // empty: login.<base domain>
        std::string host;
        bool tls;
        std::string password;
        bool signed_in;
    };
    const Case cases[] = {
        {"over TLS", "", kLogin, true, "secret", true},
        {"over plain HTTP", "", kLogin, false, "secret", true},
        {"a login host named outside the base domain", "signin.other.test", "signin.other.test",
         true, "secret", true},
        {"a wrong password", "", kLogin, true, "guess", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StandInOptions options = TestOptions();
        options.hosts.login = c.login_host_option;
        StartWith(options);
        const RawAnswer answer =
            alice_->Post(c.host, kLoginTarget, LoginForm("alice@quillo.test", c.password), c.tls);
        EXPECT_EQ(answer.status, 200);
        // That client follows no redirect, and takes this exact line as the sign of success.
        EXPECT_THAT(answer.head, Not(HasSubstr("\r\nLocation:")));
        const std::string c_user = "\r\nSet-Cookie: c_user=" + std::to_string(kAlice) + ";";
        if (c.signed_in) {
            EXPECT_THAT(answer.head, HasSubstr(c_user));
            EXPECT_THAT(answer.body, HasSubstr("fb_menu_logout"));
            // The word anywhere sends that client into its captcha dialogue.
            EXPECT_THAT(Lowered(answer.body), Not(HasSubstr("captcha")));
            EXPECT_EQ(AliceSession().user, kAlice);
        } else {
            EXPECT_THAT(answer.head, Not(HasSubstr("Set-Cookie: c_user=")));
            EXPECT_THAT(answer.body, HasSubstr("id=\"login_form\""));
        }
    }
}

TEST_F(OtherClientTest, PopoutCarriesTheTokensAndTheChannelInPlainQuotes) {
    struct Case {
        const char* page_form;
        bool channel;
    };
    for (const Case& c : {Case{"plain", true}, Case{"escaped", true}, Case{"script_user", true},
                          Case{"no_channel", false}}) {
        SCOPED_TRACE(c.page_form);
        Control("POST", "/__control/account",
                Json::object({{"id", kAlice}, {"page_form", c.page_form}}));
        const Popout popout = AliceSignsIn();
        const Session session = AliceSession();
        EXPECT_EQ(popout.post_form_id, session.post_form_id);
        EXPECT_EQ(popout.fb_dtsg, session.fb_dtsg);
        if (c.channel) {
            EXPECT_EQ("channel" + popout.channel, backend().state.ChannelName(kAlice));
            EXPECT_FALSE(popout.channel.empty());
        } else {
            // Without it the client asks where its channel is.
            EXPECT_EQ(popout.channel, "");
            const Json reconnect =
                AnswerJson(alice_
                               ->Get(kWeb, "/ajax/presence/reconnect.php?reason=7&post_form_id=" +
                                               popout.post_form_id)
                               .body);
            EXPECT_EQ(reconnect["payload"]["host"], backend().state.ChannelName(kAlice));
        }
    }
    // Without a session the popout sends the browser to the login.
    OtherClient stranger(port(), standin_->tls_port(), standin_->ca_file());
    const RawAnswer signed_out = stranger.Get(kWeb, "/presence/popout.php");
    EXPECT_EQ(signed_out.status, 302);
    EXPECT_THAT(signed_out.head, HasSubstr("\r\nLocation: http://www.facebook.test/login.php?"));
}

TEST_F(OtherClientTest, PresenceUpdateAnswersOnTheCookiesAloneWithTheBuddyList) {
    const Popout popout = AliceSignsIn();
    const auto update = [&](const std::string& post_form_id, const std::string& fb_dtsg) {
        return AlicePosts("/ajax/presence/update.php", {{"user", std::to_string(kAlice)},
                                                        {"popped_out", "true"},
                                                        {"force_render", "true"},
                                                        {"buddy_list", "1"},
                                                        {"__a", "1"},
                                                        {"post_form_id_source", "AsyncRequest"},
                                                        {"post_form_id", post_form_id},
                                                        {"fb_dtsg", fb_dtsg},
                                                        {"notifications", "1"}});
    };
    // Its first update, before it has read the tokens.
    const Json first = update("(null)", "(null)");
    ASSERT_EQ(first["error"], 0) << first.dump();
    EXPECT_EQ(first["payload"]["notifications"]["inboxCount"], 0);
    // The list is the buddy list endpoint's own.
    const Json listed =
        AlicePosts("/ajax/chat/buddy_list.php", {{"user", std::to_string(kAlice)},
                                                 {"post_form_id", popout.post_form_id},
                                                 {"fb_dtsg", popout.fb_dtsg},
                                                 {"post_form_id_source", "AsyncRequest"},
                                                 {"__a", "1"}});
    ASSERT_EQ(listed["error"], 0);
    EXPECT_EQ(first["payload"]["buddy_list"], listed["payload"]["buddy_list"]);
    EXPECT_EQ(first["payload"]["buddy_list"]["availableCount"], 3);

    // Later updates carry the tokens and still see who left.
    Control("POST", "/__control/act", Json::object({{"as", kZoe}, {"online", false}}));
    const Json later = update(popout.post_form_id, popout.fb_dtsg);
    EXPECT_EQ(later["payload"]["buddy_list"]["wasAvailableIDs"], Json::array({kZoe}));

    // The cookies are still needed.
    OtherClient stranger(port(), standin_->tls_port(), standin_->ca_file());
    EXPECT_EQ(AnswerJson(stranger
                             .Post(kWeb, "/ajax/presence/update.php",
                                   {{"buddy_list", "1"}, {"post_form_id", "(null)"}})
                             .body)["error"],
              1357001);
}

TEST_F(OtherClientTest, TypingAndMessagesWithTheFormIdAloneReachTheFriendsChannel) {
    Browser bob_browser(port());
    const SignedIn bob = SignIn(bob_browser, "bob@quillo.test", "hunter2");
    ASSERT_EQ(bob.user, kBob);
    const Popout popout = AliceSignsIn();
    const std::string to = std::to_string(kBob);
    for (const char* typ : {"1", "0"}) {
        EXPECT_EQ(AlicePosts("/ajax/chat/typ.php",
                             {{"typ", typ}, {"to", to}, {"post_form_id", popout.post_form_id}}),
                  AnswerJson("for (;;);{\"error\":0,\"errorSummary\":\"\","
                             "\"errorDescription\":\"No error.\",\"payload\":[]}"))
            << typ;
    }
    // A signed 32-bit id, and seconds and milliseconds run together without padding.
    const Json sent = AlicePosts("/ajax/chat/send.php", {{"msg_text", "caf\xC3\xA9 & <b>"},
                                                         {"msg_id", "-1234567890"},
                                                         {"to", to},
                                                         {"client_time", "12600000005"},
                                                         {"post_form_id", popout.post_form_id}});
    EXPECT_EQ(sent["error"], 0) << sent.dump();

    const Json polled = AnswerJson(Poll(bob_browser, bob, 0).body);
    ASSERT_EQ(polled["ms"].size(), 3u) << polled.dump();
    EXPECT_EQ(polled["ms"][0],
              Json::object({{"type", "typ"}, {"st", 1}, {"from", kAlice}, {"to", kBob}}));
    EXPECT_EQ(polled["ms"][1],
              Json::object({{"type", "typ"}, {"st", 0}, {"from", kAlice}, {"to", kBob}}));
    const Json& message = polled["ms"][2];
    EXPECT_EQ(message["type"], "msg");
    EXPECT_EQ(message["from"], kAlice);
    EXPECT_EQ(message["to"], kBob);
    EXPECT_EQ(message["msg"]["text"], "caf\xC3\xA9 &amp; &lt;b&gt;");
    EXPECT_EQ(message["msg"]["msgID"], "-1234567890");
    EXPECT_EQ(message["msg"]["clientTime"], 12600000005LL);

    // What is not sent is not reported as sent, and the form id is still checked.
    struct Refusal {
        const char* what;
        const char* path;
        Fields fields;
        int error;
    };
    const std::string carol = std::to_string(kCarol);
    const Refusal refusals[] = {
        {"typing to a friend who is offline",
         "/ajax/chat/typ.php",
         {{"typ", "1"}, {"to", carol}, {"post_form_id", popout.post_form_id}},
         1356003},
        {"typing to oneself",
         "/ajax/chat/typ.php",
         {{"typ", "1"}, {"to", std::to_string(kAlice)}, {"post_form_id", popout.post_form_id}},
         1356003},
        {"a typing state that is neither 0 nor 1",
         "/ajax/chat/typ.php",
         {{"typ", "2"}, {"to", to}, {"post_form_id", popout.post_form_id}},
         1346001},
        {"typing with a stale form id",
         "/ajax/chat/typ.php",
         {{"typ", "1"}, {"to", to}, {"post_form_id", "0123abcd"}},
         1357004},
        {"a message to a friend who is offline",
         "/ajax/chat/send.php",
         {{"msg_text", "hi"},
          {"msg_id", "7"},
          {"to", carol},
          {"client_time", "1"},
          {"post_form_id", popout.post_form_id}},
         1356003},
        {"a message with a stale form id",
         "/ajax/chat/send.php",
         {{"msg_text", "hi"},
          {"msg_id", "7"},
          {"to", to},
          {"client_time", "1"},
          {"post_form_id", "0123abcd"}},
         1357004},
    };
    for (const Refusal& refusal : refusals) {
        EXPECT_EQ(AlicePosts(refusal.path, refusal.fields)["error"], refusal.error) << refusal.what;
    }
    // None of them reached Bob.
    EXPECT_EQ(AnswerJson(Poll(bob_browser, bob, 3).body), Json::object({{"t", "continue"}}));
}

TEST_F(OtherClientTest, StatusUpdatesAreTakenWithTheFormIdAlone) {
    const Popout popout = AliceSignsIn();
    const std::string me = std::to_string(kAlice);
    EXPECT_EQ(
        AlicePosts("/ajax/updatestatus.php", {{"profile_id", me},
                                              {"status", "at my desk"},
                                              {"post_form_id", popout.post_form_id}})["error"],
        0);
    EXPECT_EQ(
        AlicePosts(
            "/ajax/updatestatus.php",
            {{"profile_id", me}, {"clear", "1"}, {"post_form_id", popout.post_form_id}})["error"],
        0);
    const Json posts = Json::parse(Control("GET", "/__control/records?kind=posts").body);
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[0]["kind"], "status");
    EXPECT_EQ(posts[0]["fields"][1], Json::array({"status", "at my desk"}));
    EXPECT_EQ(posts[1]["kind"], "status");
    EXPECT_EQ(posts[1]["fields"][1], Json::array({"clear", "1"}));
}

TEST_F(OtherClientTest, GoingInvisibleTakesTheUserOffTheFriendsListsUntilBack) {
    Browser bob_browser(port());
    const SignedIn bob = SignIn(bob_browser, "bob@quillo.test", "hunter2");
    const Popout popout = AliceSignsIn();
    const auto bob_sees_alice = [&] {
        const Json list =
            AnswerJson(bob_browser.Post(kWeb, "/ajax/chat/buddy_list.php", Tokens(bob)).body);
        return list["payload"]["buddy_list"]["nowAvailableList"].contains(std::to_string(kAlice));
    };
    const auto settings = [&](const Fields& setting) {
        Fields fields = setting;
        fields.insert(fields.end(), {{"post_form_id", popout.post_form_id},
                                     {"fb_dtsg", popout.fb_dtsg},
                                     {"post_form_id_source", "AsyncRequest"},
                                     {"__a", "1"}});
        return AlicePosts("/ajax/chat/settings.php", fields)["error"];
    };
    ASSERT_TRUE(bob_sees_alice());
    EXPECT_EQ(settings({{"visibility", "false"}}), 0);
    EXPECT_FALSE(bob_sees_alice());
    EXPECT_EQ(AnswerJson(bob_browser
                             .Post(kWeb, "/ajax/chat/send.php",
                                   {{"msg_text", "there?"},
                                    {"to", std::to_string(kAlice)},
                                    {"post_form_id", bob.post_form_id},
                                    {"fb_dtsg", bob.fb_dtsg}})
                             .body)["error"],
              1356003);
    EXPECT_EQ(settings({{"visibility", "true"}}), 0);
    EXPECT_TRUE(bob_sees_alice());

    // Closing a conversation is answered and leaves its history alone.
    EXPECT_EQ(settings({{"close_chat", std::to_string(kBob)}}), 0);
    EXPECT_EQ(backend().state.History(kAlice, kBob).size(), 2u);
    EXPECT_EQ(settings({{"visibility", "maybe"}}), 1346001);
}

TEST_F(OtherClientTest, TheMinutelyChecksFindNothingNew) {
    AliceSignsIn();
    const RawAnswer notifications = alice_->Get(kWeb, "/notifications.php");
    EXPECT_EQ(notifications.status, 200);
    EXPECT_THAT(notifications.body, HasSubstr("<title>Facebook | Notifications</title>"));
    EXPECT_THAT(notifications.body, HasSubstr("You have no new notifications."));

    const Json intent = AnswerJson(
        alice_
            ->Get(kWeb, "/ajax/intent.php?filter=app_2915120374&request_type=1&__a=1&newest=0&"
                        "ignore_self=true")
            .body);
    EXPECT_EQ(intent,
              AnswerJson("for (;;);{\"error\":0,\"errorSummary\":\"\","
                         "\"errorDescription\":\"No error.\",\"payload\":{\"html\":\"\"}}"));

    // Both want a session.
    OtherClient stranger(port(), standin_->tls_port(), standin_->ca_file());
    EXPECT_EQ(stranger.Get(kWeb, "/notifications.php").status, 302);
    EXPECT_EQ(AnswerJson(stranger.Get(kWeb, "/ajax/intent.php?__a=1").body)["error"], 1357001);
}

} // namespace
} // namespace quillo::standin::test
