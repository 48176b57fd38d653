// Incoming messages through the long poll on loopback: the latency from the stand-in queuing
// a message to the engine handing it over (median and p99 over 1,000 messages), and the rate of
// a burst of 10,000 messages, each of which must arrive exactly once.
//
// The latency is measured from just before the control request that makes a friend send, so
// it includes that request: an upper bound of the service-to-engine time.
//
// The service keeps the last 200 items of a channel, as the real one kept a bounded backlog,
// so the burst is queued in batches of 50 whenever fewer than 100 are on their way: as fast as
// the engine takes them, never faster than the service would keep them.
#include <QCoreApplication>
#include <QJsonArray>
#include <QSet>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "chat/poll_thread.h"
#include "harness/demo_accounts.h"
#include "harness/sign_in_as.h"
#include "session/http_layer.h"
#include "session/session_event.h"
#include "session/session_state.h"
#include "standin_bench_main.h"

using namespace quillo;
using quillo::test::kAlice;
using quillo::test::kZoe;
using Clock = std::chrono::steady_clock;

namespace {

// The front end of the benchmark: when each message arrived, and its text.
class TimedSink : public SessionEventSink {
public:
    void postEvent(int, int) override {}
    using SessionEventSink::postEvent;
    void postTypingNotice(ContactId, bool) override {}
    void postBuddyList(int, BuddyList) override {}
    void sendMessage(std::unique_ptr<TMSg> record) override {
        {
            std::lock_guard lock(mutex_);
            arrivals_.push_back(Clock::now());
            texts_.push_back(record->Text);
        }
        changed_.notify_all();
    }

    size_t count() const {
        std::lock_guard lock(mutex_);
        return texts_.size();
    }
    // Waits until at least n messages have arrived; false after timeout.
    bool waitFor(size_t n, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return texts_.size() >= n; });
    }
    Clock::time_point arrival(size_t i) const {
        std::lock_guard lock(mutex_);
        return arrivals_[i];
    }
    std::vector<QString> texts() const {
        std::lock_guard lock(mutex_);
        return texts_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        arrivals_.clear();
        texts_.clear();
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Clock::time_point> arrivals_;
    std::vector<QString> texts_;
};

// Alice signed in with her long poll running.
class PollingSession {
public:
    PollingSession() {
        signedIn_ = test::SignInAs(state_, http_, QStringLiteral("alice@quillo.test"),
                                   QStringLiteral("alice"));
        state_.MainWindow = &sink_;
        state_.PollRunning = true;
        poll_ = std::thread([this] { PollThread(state_, http_); });
    }
    ~PollingSession() {
        state_.Stopping = true;
        http_.DropChannelConnection();
        poll_.join();
    }
    bool signedIn() const { return signedIn_; }
    TimedSink& sink() { return sink_; }

private:
    SessionState state_;
    HttpLayer http_{state_, standin().endpoints()};
    TimedSink sink_;
    std::thread poll_;
    bool signedIn_ = false;
};

void zoeSends(const QString& text, int count = 0) {
    QJsonObject send{{"to", kAlice}, {"text", text}};
    if (count > 0)
        send.insert(QStringLiteral("count"), count);
    standin().control(QStringLiteral("act"), {{"as", kZoe}, {"send", send}});
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, static_cast<size_t>(p * values.size()));
    return values[at];
}

void BM_MessageLatency(benchmark::State& bench) {
    PollingSession session;
    if (!session.signedIn()) {
        bench.SkipWithError("sign-in failed");
        return;
    }
    constexpr size_t kMessages = 1000;
    std::vector<double> latenciesMs;
    for (auto _ : bench) {
        session.sink().clear();
        latenciesMs.clear();
        for (size_t i = 0; i < kMessages; ++i) {
            const Clock::time_point queued = Clock::now();
            zoeSends(QStringLiteral("latency %1").arg(i));
            if (!session.sink().waitFor(i + 1)) {
                bench.SkipWithError("a message did not arrive");
                return;
            }
            latenciesMs.push_back(
                std::chrono::duration<double, std::milli>(session.sink().arrival(i) - queued)
                    .count());
        }
    }
    const double median = percentile(latenciesMs, 0.5);
    const double p99 = percentile(latenciesMs, 0.99);
    bench.counters["median_ms"] = median;
    bench.counters["p99_ms"] = p99;
    std::printf("message latency over %zu messages: median %.3f ms, p99 %.3f ms\n", kMessages,
                median, p99);
}
BENCHMARK(BM_MessageLatency)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_MessageBurst(benchmark::State& bench) {
    PollingSession session;
    if (!session.signedIn()) {
        bench.SkipWithError("sign-in failed");
        return;
    }
    constexpr int kMessages = 10000;
    constexpr int kBatch = 50;
    constexpr int kInFlight = 100;
    double perSecond = 0;
    for (auto _ : bench) {
        session.sink().clear();
        const Clock::time_point start = Clock::now();
        for (int queued = 0; queued < kMessages; queued += kBatch) {
            if (!session.sink().waitFor(static_cast<size_t>(std::max(0, queued - kInFlight)))) {
                bench.SkipWithError("the engine stopped taking messages");
                return;
            }
            zoeSends(QStringLiteral("burst %1").arg(queued / kBatch), kBatch);
        }
        if (!session.sink().waitFor(kMessages)) {
            bench.SkipWithError("not every message arrived");
            return;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        perSecond = kMessages / seconds;
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // nothing more may come
    }
    const std::vector<QString> texts = session.sink().texts();
    const QSet<QString> distinct(texts.begin(), texts.end());
    const bool exactlyOnce = texts.size() == kMessages && distinct.size() == kMessages;
    if (!exactlyOnce)
        bench.SkipWithError("a message was lost or shown twice");
    bench.counters["messages_per_s"] = perSecond;
    std::printf("burst of %d messages: %.0f messages/s, %s\n", kMessages, perSecond,
                exactlyOnce ? "each delivered exactly once" : "NOT exactly once");
}
BENCHMARK(BM_MessageBurst)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarksAgainstStandIn(argc, argv);
}
