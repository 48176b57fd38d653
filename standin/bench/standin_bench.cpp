// Figures of the stand-in on loopback: requests per second on a simple endpoint, and the
// latency of ordinary requests while 200 long polls are held at once.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "standin.h"

using namespace quillo::standin;

namespace {

constexpr int kHeldPolls = 200;

std::unique_ptr<StandIn> g_standin;

httplib::Headers WebHost() {
    return {{"Host", "update.quillo.test"}};
}

void BM_VersionFile(benchmark::State& state) {
    httplib::Client client("127.0.0.1", g_standin->port());
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    for (auto _ : state) {
        const auto result = client.Get("/version.htm", WebHost());
        if (!result || result->status != 200) {
            state.SkipWithError("request failed");
            break;
        }
        benchmark::DoNotOptimize(result->body);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_VersionFile)->UseRealTime()->Threads(1)->Threads(4);

// Signed-in AJAX: cookies, token check, JSON answer.
void BM_BuddyList(benchmark::State& state) {
    Backend& backend = g_standin->backend();
    const Session session = backend.state.StartSession(100000900000001ULL, false);
    httplib::Client client("127.0.0.1", g_standin->port());
    client.set_keep_alive(true);
    // Headers and body go out in two writes; Nagle would hold the body for 40 ms.
    client.set_tcp_nodelay(true);
    const httplib::Headers headers{{"Host", "www.facebook.test"},
                                   {"Cookie", "c_user=100000900000001; xs=" + session.xs}};
    const std::string body = "post_form_id=" + session.post_form_id +
                             "&fb_dtsg=" + session.fb_dtsg +
                             "&post_form_id_source=AsyncRequest&__a=1";
    for (auto _ : state) {
        const auto result = client.Post("/ajax/chat/buddy_list.php", headers, body,
                                        "application/x-www-form-urlencoded");
        if (!result || result->body.find("\"error\":0") == std::string::npos) {
            state.SkipWithError("request failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuddyList)->UseRealTime();

// Holds kHeldPolls long polls, one per signed-in friend, for as long as it lives.
class HeldPolls {
public:
    HeldPolls() {
        Backend& backend = g_standin->backend();
        for (int i = 0; i < kHeldPolls; ++i) {
            const UserId user = 100000900100000ULL + static_cast<UserId>(i);
            const Session session = backend.state.StartSession(user, false);
            const std::string host = "0." + backend.state.ChannelName(user) + ".facebook.test";
            threads_.emplace_back([this, user, session, host] {
                httplib::Client client("127.0.0.1", g_standin->port());
                client.set_read_timeout(120, 0);
                const httplib::Headers headers{
                    {"Host", host},
                    {"Cookie", "c_user=" + std::to_string(user) + "; xs=" + session.xs}};
                const std::string target =
                    "/x/1234567890/true/p_" + std::to_string(user) + "=0?__a=1&nctr[n]=1";
                while (!stop_) {
                    const auto result = client.Get(target, headers);
                    if (!result) {
                        break;
                    }
                }
            });
        }
        const auto start = std::chrono::steady_clock::now();
        for (int wait = 0; wait < 6000 && backend.held_polls < kHeldPolls; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        std::printf("%d of %d long polls held %lld ms after they were sent\n",
                    backend.held_polls.load(), kHeldPolls, static_cast<long long>(took.count()));
    }
    ~HeldPolls() {
        stop_ = true;
        // Answers every held poll at once.
        g_standin->Stop();
        for (auto& thread : threads_) {
            thread.join();
        }
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

std::unique_ptr<HeldPolls> g_held;

void BM_VersionFileWhilePollsHeld(benchmark::State& state) {
    if (!g_held) {
        g_held = std::make_unique<HeldPolls>();
    }
    httplib::Client client("127.0.0.1", g_standin->port());
    client.set_keep_alive(false); // a new connection each time: a new request thread must be free
    client.set_tcp_nodelay(true);
    for (auto _ : state) {
        const auto result = client.Get("/version.htm", WebHost());
        if (!result || result->status != 200) {
            state.SkipWithError("request failed while polls were held");
            break;
        }
    }
    state.counters["held_polls"] = g_standin->backend().held_polls.load();
}
BENCHMARK(BM_VersionFileWhilePollsHeld)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    StandInOptions options;
    options.settings.hold = std::chrono::milliseconds(60000);
    options.threads = 256;
    g_standin = std::make_unique<StandIn>(options, ParseWorld(GenerateScaleWorld(500)));
    g_standin->Start();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("long polls held at the end: %d of %d\n",
                g_held ? g_standin->backend().held_polls.load() : 0, kHeldPolls);
    g_held.reset();
    g_standin.reset();
    benchmark::Shutdown();
    return 0;
}
