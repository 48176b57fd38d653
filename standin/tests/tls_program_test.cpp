// The TLS port with the stand-in's own authority, and the program as a person starts it.
#include "standin_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "options.h"

namespace quillo::standin::test {
namespace {

using ::testing::HasSubstr;

// A TLS handshake that trusts only ca and expects the certificate to name host; returns the
// verification result (X509_V_OK when both hold).
long VerifiedHandshake(int port, const std::string& ca, const std::string& host) {
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_client_method()),
                                                              SSL_CTX_free);
    SSL_CTX_load_verify_locations(context.get(), ca.c_str(), nullptr);
    SSL_CTX_set_verify(context.get(), SSL_VERIFY_NONE, nullptr);
    std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(context.get()), SSL_free);
    SSL_set1_host(ssl.get(), host.c_str());
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    long verdict = -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        SSL_set_fd(ssl.get(), fd);
        if (SSL_connect(ssl.get()) == 1) {
            verdict = SSL_get_verify_result(ssl.get());
            SSL_shutdown(ssl.get());
        }
    }
    ::close(fd);
    return verdict;
}

TEST_F(StandInTest, TlsHandshakeWithTheGeneratedAuthority) {
    StandInOptions options = TestOptions();
    options.tls = true;
    Start(options);
    ASSERT_GT(standin_->tls_port(), 0);
    const std::string ca = standin_->ca_file();
    ASSERT_TRUE(std::filesystem::exists(ca));

    Browser browser(port());
    EXPECT_THAT(browser.Get(kWeb, "/").body,
                HasSubstr("action=\"https://www.facebook.test/login.php?login_attempt=1\""));

    EXPECT_EQ(VerifiedHandshake(standin_->tls_port(), ca, "www.facebook.test"), X509_V_OK);
    EXPECT_NE(VerifiedHandshake(standin_->tls_port(), ca, "www.example.test"), X509_V_OK);

    httplib::SSLClient client("127.0.0.1", standin_->tls_port());
    client.set_ca_cert_path(ca.c_str());
    client.enable_server_certificate_verification(true);
    const auto result =
        client.Post("/login.php?login_attempt=1", {{"Host", kWeb}},
                    "email=alice%40quillo.test&pass=secret", "application/x-www-form-urlencoded");
    ASSERT_TRUE(result) << httplib::to_string(result.error());
    EXPECT_EQ(result->status, 200);
    EXPECT_THAT(result->body, HasSubstr("fb_menu_logout"));
    EXPECT_TRUE(result->has_header("Set-Cookie"));

    // A client that does not trust the authority fails the handshake.
    httplib::SSLClient untrusting("127.0.0.1", standin_->tls_port());
    untrusting.set_ca_cert_path("/nonexistent.pem");
    untrusting.enable_server_certificate_verification(true);
    EXPECT_FALSE(untrusting.Get("/"));

    // The authority is kept across starts, so that a client trusts it once.
    std::ifstream first(ca);
    const std::string before((std::istreambuf_iterator<char>(first)), {});
    Start(options);
    std::ifstream second(ca);
    EXPECT_EQ(before, std::string((std::istreambuf_iterator<char>(second)), {}));
}

TEST(CommandLine, OptionsAndTheirErrors) {
    const CommandLine line =
        ParseCommandLine({"--data", "d.json", "--port", "8080", "--no-tls", "--hold-ms", "200",
                          "--web-host", "w.test", "--login-host", "signin.test"});
    EXPECT_EQ(line.data_file, "d.json");
    EXPECT_EQ(line.standin.port, 8080);
    EXPECT_FALSE(line.standin.tls);
    EXPECT_EQ(line.standin.settings.hold, std::chrono::milliseconds(200));
    EXPECT_EQ(line.standin.hosts.web, "w.test");
    EXPECT_EQ(LoginHostName(line.standin.hosts), "signin.test");
    // Unnamed, the login host follows the base domain.
    EXPECT_EQ(LoginHostName(
                  ParseCommandLine({"--data", "d.json", "--base-domain", "fb.test"}).standin.hosts),
              "login.fb.test");
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {}, {"--data"}, {"--data", "x", "--port", "70000"}, {"--data", "x", "--frobnicate"}}) {
        EXPECT_THROW(ParseCommandLine(wrong), std::invalid_argument);
    }
}

TEST(Program, PrintsItsAddressesAndEndsCleanlyOnSigterm) {
    const std::string state =
        (std::filesystem::temp_directory_path() / ("standin-program-" + std::to_string(::getpid())))
            .string();
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        const std::string data = std::string(STANDIN_SOURCE_DIR) + "/data/demo.json";
        ::execl(STANDIN_PROGRAM, STANDIN_PROGRAM, "--data", data.c_str(), "--port", "0", "--state",
                state.c_str(), "--threads", "16", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::FILE* output = ::fdopen(out[0], "r");
    char line[512] = {};
    ASSERT_NE(std::fgets(line, sizeof line, output), nullptr);
    const std::string first(line);
    EXPECT_THAT(
        first, ::testing::MatchesRegex(
                   "quillo-standin http://127\\.0\\.0\\.1:[0-9]+ tls-port [0-9]+ ca .*ca\\.pem\n"));
    const int http_port = std::stoi(Between(first, "127.0.0.1:", " "));
    httplib::Client client("127.0.0.1", http_port);
    const auto root = client.Get("/", {{"Host", kWeb}});
    ASSERT_TRUE(root);
    EXPECT_THAT(root->body, HasSubstr("id=\"login_form\""));

    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::fclose(output);
    std::filesystem::remove_all(state);
}

} // namespace
} // namespace quillo::standin::test
