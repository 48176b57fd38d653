// Every answer a request takes is bounded. Fed an answer that never ends, or one that announces
// a terabyte, a request of the session fails at once as a network failure, and the process's
// memory grows by about its kind's limit and no more; a task that throws ends only itself.
#include <QJsonArray>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <iostream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "harness/sign_in_as.h"
#include "harness/standin_process.h"
#include "session/ajax_client.h"
#include "session/answer_limits.h"
#include "session/http_layer.h"
#include "session/session_state.h"
#include "session/task_thread.h"
#include "session/waitable_flag.h"
#include "support/oversized_answers.h"
#include "support/qt_printers.h"

using namespace quillo;
using namespace quillo::test;

namespace {

// Far below the time-outs (60 s for the service, 120 s for the channel): an answer over its
// limit ends as soon as the limit is passed.
constexpr qint64 kPromptMs = 15000;

class AnswerLimitTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standin_.started()) << standin_.problem().toStdString();
        http_ = std::make_unique<HttpLayer>(state_, standin_.endpoints());
        http_->ResetServiceClient(nullptr);
        http_->ResetChannelClient();
    }

    void fault(const char* host, const char* path, const char* action) {
        standin_.control(QStringLiteral("faults/clear"));
        standin_.control(QStringLiteral("faults"), {{"host", QLatin1String(host)},
                                                    {"path", QLatin1String(path)},
                                                    {"action", QLatin1String(action)}});
    }

    // The fault the service applied to its latest request.
    QString lastFault() {
        const QJsonArray requests = standin_.requests();
        return requests.isEmpty() ? QString() : requests.last()[u"fault"].toString();
    }

    StandInProcess standin_;
    SessionState state_;
    std::unique_ptr<HttpLayer> http_;
};

} // namespace

TEST_F(AnswerLimitTest, OversizedServiceAnswersFailAtOnceWithinTheirLimit) {
    const struct {
        const char* kind;
        const char* host;
        const char* path;
        std::function<bool(HttpLayer&)> failed; // the request, true when it failed
    } kinds[] = {
        {"service page", "www.facebook.test", "/home.php",
         [](HttpLayer& http) {
             return http.ServiceGet(QStringLiteral("/home.php"), QString()).isEmpty();
         }},
        {"AJAX post", "www.facebook.test", "/ajax/chat/send.php",
         [](HttpLayer& http) {
             return !http.AjaxPost(QStringLiteral("/ajax/chat/send.php"),
                                   {{QStringLiteral("msg_text"), QStringLiteral("hi")}});
         }},
        {"long poll", "0.*", "/x/*",
         [](HttpLayer& http) {
             return http.ChannelGet(QStringLiteral("http://0.channel12.facebook.test/x/0/true/"
                                                   "p_100000418294721=0?__a=1"),
                                    QString()) == u"reconnect";
         }},
    };
    for (const auto& k : kinds) {
        for (const char* action : kOversizedFaults) {
            SCOPED_TRACE(std::string(k.kind) + ", " + action);
            fault(k.host, k.path, action);
            bool failed = false;
            const RequestCost cost = measureRequest([&] { failed = k.failed(*http_); });
            EXPECT_TRUE(failed);
            EXPECT_EQ(lastFault(), QLatin1String(action)) << "the request met the fault";
            EXPECT_LT(cost.elapsedMs, kPromptMs);
            EXPECT_LE(cost.peakGrowthBytes, allowedGrowthBytes(answer_limits::kServiceAnswer));
            std::cout << "[ figures  ] " << k.kind << ", " << action << ": " << cost.elapsedMs
                      << " ms, peak memory +" << megabytes(cost.peakGrowthBytes) << " (limit "
                      << megabytes(answer_limits::kServiceAnswer) << ")\n";
        }
    }
    // The clients are fit for the next request: a broken connection is not reused.
    standin_.control(QStringLiteral("faults/clear"));
    EXPECT_FALSE(http_->ServiceGet(QStringLiteral("/"), QString()).isEmpty());
}

TEST_F(AnswerLimitTest, ABodyOfExactlyTheLimitIsTakenAndOneByteMoreFailsWhole) {
    const QByteArray body(1000, 'v');
    standin_.control(
        QStringLiteral("faults"),
        {{"host", "update.quillo.test"}, {"action", "body"}, {"body", QString::fromLatin1(body)}});
    const struct {
        qsizetype limit;
        bool taken;
    } cases[] = {{1000, true}, {999, false}, {0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        HttpTransfer client(standin_.endpoints(), false);
        HttpRequest request;
        request.url = QStringLiteral("http://update.quillo.test/version.htm");
        request.maxBodyBytes = c.limit;
        const HttpResponse response = client.perform(request);
        EXPECT_EQ(response.ok(), c.taken);
        EXPECT_EQ(response.body, c.taken ? body : QByteArray());
        if (!c.taken) {
            // Nothing of it counts: not its status, not its header lines.
            EXPECT_FALSE(response.received);
            EXPECT_TRUE(response.headerLines.isEmpty());
            EXPECT_TRUE(response.error.contains(u"too large")) << response.error.toStdString();
        }
    }
}

TEST_F(AnswerLimitTest, TheBuddyListOfFiveThousandFriendsAllOnlineFitsTheServiceLimit) {
    // The largest answer the session normally gets, with names that need escapes.
    constexpr int kFriends = 5000;
    QString friends, ids;
    for (int i = 1; i <= kFriends; ++i) {
        const QString id = QString::number(300000000000000LL + i);
        if (i > 1)
            ids += u',';
        ids += id;
        friends += QStringLiteral(",{\"id\":%1,\"name\":\"Friend %2 Lindqvist-\u00d8berg\","
                                  "\"first_name\":\"Friend\",\"online\":true}")
                       .arg(id)
                       .arg(i);
    }
    QTemporaryDir folder;
    QFile data(folder.filePath(QStringLiteral("many.json")));
    ASSERT_TRUE(data.open(QIODevice::WriteOnly));
    data.write(
        QStringLiteral("{\"accounts\":[{\"id\":100000900000001,\"email\":\"many@quillo.test\","
                       "\"password\":\"many\",\"name\":\"Many Friends\",\"first_name\":"
                       "\"Many\",\"friends\":[%1],\"online\":false}%2]}")
            .arg(ids, friends)
            .toUtf8());
    data.close();
    StandInProcess::Options options;
    options.dataFile = data.fileName();
    StandInProcess many(options);
    ASSERT_TRUE(many.started()) << many.problem().toStdString();
    SessionState state;
    HttpLayer http(state, many.endpoints());
    ASSERT_TRUE(SignInAs(state, http, QStringLiteral("many@quillo.test"), QStringLiteral("many")));

    const QString answer =
        http.ServicePost(QStringLiteral("/ajax/chat/buddy_list.php"), QString(),
                         FormFields{{QStringLiteral("user"), state.UserId.get()},
                                    {QStringLiteral("popped_out"), QStringLiteral("false")},
                                    {QStringLiteral("force_render"), QStringLiteral("true")},
                                    {QStringLiteral("buddy_list"), QStringLiteral("1")}} +
                             ajax_tokens::all(state));
    EXPECT_TRUE(answer.contains(QString::number(300000000000000LL + 1)));
    EXPECT_TRUE(answer.contains(QString::number(300000000000000LL + kFriends)));
    const qsizetype bytes = answer.toUtf8().size();
    EXPECT_GT(bytes, 500 * 1024);
    EXPECT_LT(bytes * 4, answer_limits::kServiceAnswer) << "room to spare";
    std::cout << "[ figures  ] buddy list of " << kFriends << " friends online: " << bytes
              << " bytes\n";
}

namespace {

// A server that answers every connection with a status line and then header lines without end
// (the stand-in's HTTP library cannot send such an answer).
class EndlessHeaderServer {
public:
    EndlessHeaderServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_, 4) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~EndlessHeaderServer() {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
        ::close(listener_);
    }
    EndlessHeaderServer(const EndlessHeaderServer&) = delete;
    EndlessHeaderServer& operator=(const EndlessHeaderServer&) = delete;

    int port() const { return port_; }
    qint64 sent() const { return sent_; }

private:
    void serve() {
        const int connection = ::accept(listener_, nullptr, nullptr);
        if (connection < 0)
            return;
        char request[4096];
        [[maybe_unused]] const ssize_t got = ::recv(connection, request, sizeof request, 0);
        const std::string status = "HTTP/1.1 200 OK\r\n";
        const std::string line = "X-Filler: " + std::string(1000, 'h') + "\r\n";
        bool open = ::send(connection, status.data(), status.size(), MSG_NOSIGNAL) > 0;
        // Bounded itself: a client that reads on would otherwise keep this test for good.
        while (open && !stop_ && sent_ < (qint64(1) << 30)) {
            const ssize_t n = ::send(connection, line.data(), line.size(), MSG_NOSIGNAL);
            open = n > 0;
            sent_ += open ? n : 0;
        }
        ::close(connection);
    }

    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<qint64> sent_{0};
};

} // namespace

TEST(AnswerHeaderLimit, HeaderLinesWithoutEndAreCutOffByTheClient) {
    EndlessHeaderServer server;
    ASSERT_GT(server.port(), 0);
    HttpTransfer client(Endpoints::fromBuild(), false);
    HttpRequest request;
    request.url = QStringLiteral("http://127.0.0.1:%1/").arg(server.port());
    HttpResponse response;
    const RequestCost cost = measureRequest([&] { response = client.perform(request); });
    EXPECT_FALSE(response.ok());
    EXPECT_LT(cost.elapsedMs, kPromptMs);
    // libcurl takes at most 300 KB of header lines an answer.
    EXPECT_LT(response.headerLines.size(), 400);
    EXPECT_LE(cost.peakGrowthBytes, allowedGrowthBytes(0));
}

TEST(TaskThreadFailures, ATaskThatThrowsEndsAloneAndTheNextOneRuns) {
    TaskThread thread(QStringLiteral("test-tasks"));
    WaitableFlag nextRan;
    thread.post([] { throw std::bad_alloc(); });
    thread.post([] { throw std::runtime_error("broken"); });
    thread.post([&nextRan] { nextRan = true; });
    EXPECT_TRUE(nextRan.waitFor(std::chrono::seconds(10)));
    thread.stop();
}
