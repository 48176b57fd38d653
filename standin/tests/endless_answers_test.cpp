// The faults that never end an answer: a chunked body without end and an announced length far
// beyond anything a client can hold. A client that gives up frees the request thread at once,
// and stopping the stand-in ends an answer that a client still reads.
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "endless_answers.h"
#include "standin_fixture.h"

namespace quillo::standin::test {
namespace {

constexpr std::size_t kReadBeforeGivingUp = 1 << 20;

struct Streamed {
    int status = 0;
    std::string contentLength;
    std::string transferEncoding;
    std::string contentType;
    std::size_t bytes = 0;
    httplib::Error error = httplib::Error::Success;
};

// Reads the answer until `enough` bytes arrived (then gives up) or until it ends.
Streamed ReadStream(int port, const std::string& host, const std::string& target,
                    std::size_t enough = kReadBeforeGivingUp) {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(20, 0);
    Streamed streamed;
    const httplib::Result result = client.Get(
        target, httplib::Headers{{"Host", host}},
        [&](const httplib::Response& response) {
            streamed.status = response.status;
            streamed.contentLength = response.get_header_value("Content-Length");
            streamed.transferEncoding = response.get_header_value("Transfer-Encoding");
            streamed.contentType = response.get_header_value("Content-Type");
            return true;
        },
        [&](const char*, std::size_t length) {
            streamed.bytes += length;
            return streamed.bytes < enough;
        });
    streamed.error = result.error();
    return streamed;
}

class EndlessAnswerTest : public StandInTest {
protected:
    void AddFault(const Json& fault) {
        const Reply reply = Control("POST", "/__control/faults", fault);
        ASSERT_EQ(reply.status, 200) << reply.body;
    }
};

TEST_F(EndlessAnswerTest, StreamsUntilTheClientGivesUpAndFreesTheThread) {
    // Few request threads: one an abandoned answer kept would soon leave none.
    StandInOptions options = TestOptions();
    options.threads = 2;
    Start(options);
    const struct {
        const char* action;
        int status;
        std::string contentLength;
        std::string transferEncoding;
    } cases[] = {
        {"endless", 200, "", "chunked"},
        {"huge_length", 200, std::to_string(kHugeLength), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action);
        AddFault({{"host", "update.quillo.test"}, {"action", c.action}});
        for (int i = 0; i < 6; ++i) {
            const Streamed streamed = ReadStream(port(), "update.quillo.test", "/version.htm");
            EXPECT_EQ(streamed.status, c.status);
            EXPECT_EQ(streamed.contentLength, c.contentLength);
            EXPECT_EQ(streamed.transferEncoding, c.transferEncoding);
            EXPECT_GE(streamed.bytes, kReadBeforeGivingUp);
            EXPECT_EQ(streamed.error, httplib::Error::Canceled);
        }
        // Every thread that streamed is free again.
        Browser browser(port());
        EXPECT_EQ(browser.Get("ipecho.test", "/automation/n09230945.asp").body, "127.0.0.1");
        Control("POST", "/__control/faults/clear");
    }
    const Json log = Json::parse(Control("GET", "/__control/requests?path=/version.htm").body);
    ASSERT_FALSE(log["requests"].empty());
    EXPECT_EQ(log["requests"][0]["fault"], "endless");
}

TEST_F(EndlessAnswerTest, StatusAndTypeComeFromTheRule) {
    AddFault({{"host", "ipecho.test"},
              {"action", "endless"},
              {"status", 503},
              {"content_type", "text/plain"},
              {"count", 1}});
    const Streamed streamed = ReadStream(port(), "ipecho.test", "/automation/n09230945.asp");
    EXPECT_EQ(streamed.status, 503);
    EXPECT_EQ(streamed.contentType, "text/plain");
    const Json rules = Json::parse(Control("GET", "/__control/faults").body);
    EXPECT_TRUE(rules.empty()) << "used up";
    Browser browser(port());
    EXPECT_EQ(browser.Get("ipecho.test", "/automation/n09230945.asp").body, "127.0.0.1");
}

TEST_F(EndlessAnswerTest, StoppingTheStandInEndsAnAnswerStillBeingRead) {
    for (const char* action : {"endless", "huge_length"}) {
        SCOPED_TRACE(action);
        Start(TestOptions());
        AddFault({{"action", action}});
        std::atomic<std::size_t> read{0};
        auto reader = std::async(std::launch::async, [this, &read] {
            httplib::Client client("127.0.0.1", port());
            client.set_read_timeout(20, 0);
            return client
                .Get("/version.htm", httplib::Headers{{"Host", "update.quillo.test"}},
                     [&read](const char*, std::size_t length) {
                         read += length;
                         return true; // reads on for ever
                     })
                .error();
        });
        while (read < kReadBeforeGivingUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        const auto stopping = std::chrono::steady_clock::now();
        standin_->Stop();
        EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(10));
        ASSERT_EQ(reader.wait_for(std::chrono::seconds(20)), std::future_status::ready);
        EXPECT_NE(reader.get(), httplib::Error::Success) << "the answer never completes";
    }
}

} // namespace
} // namespace quillo::standin::test
