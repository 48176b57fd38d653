// Sign-in against the local stand-in on loopback (wall time and number of requests), and how
// fast a dropped channel connection ends a held long poll.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>

#include "harness/recording_sink.h"
#include "session/http_layer.h"
#include "session/session_state.h"
#include "session/sign_in.h"
#include "standin_bench_main.h"

using namespace quillo;

namespace {

// The number of the last request the stand-in saw, and how many came since (the stand-in does
// not log its control requests).
qint64 lastRequestNumber() {
    return standin().controlGet(QStringLiteral("requests"))[u"last"].toInteger();
}
qint64 serviceRequestsSince(qint64 number) {
    return standin().requests(QStringLiteral("since=%1").arg(number)).size();
}

void BM_SignIn(benchmark::State& bench) {
    double requests = 0;
    for (auto _ : bench) {
        SessionState state;
        HttpLayer http(state, standin().endpoints());
        state.Email.set(QStringLiteral("alice@quillo.test"));
        state.Password.set(QStringLiteral("alice"));
        test::RecordingSink sink;
        const qint64 before = lastRequestNumber();
        QElapsedTimer clock;
        clock.start();
        SignInThread(state, http, &sink, {});
        bench.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        if (sink.events() != QList<std::pair<int, int>>{{1, 1}})
            bench.SkipWithError("sign-in failed");
        requests = static_cast<double>(serviceRequestsSince(before));
    }
    bench.counters["requests"] = requests;
}
BENCHMARK(BM_SignIn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_DropChannelConnection(benchmark::State& bench) {
    SessionState state;
    HttpLayer http(state, standin().endpoints());
    state.Email.set(QStringLiteral("bob@quillo.test"));
    state.Password.set(QStringLiteral("bob"));
    test::RecordingSink sink;
    SignInThread(state, http, &sink, {});
    http.ServiceGet(QStringLiteral("/home.php"), QString()); // the channel client's cookies
    const QString user = state.UserId.get();
    for (auto _ : bench) {
        const QString seq = QString::number(
            standin().controlGet(QStringLiteral("channel?id=") + user)[u"next_seq"].toInteger());
        const QString url = QStringLiteral("http://0.") + state.ChannelName.get() +
                            QStringLiteral(".facebook.test/x/7/false/p_") + user + u'=' + seq +
                            QStringLiteral("?__a=1&nctr[n]=1 ");
        QString answer;
        // Dropped polls stay held on the service's side until their hold ends: count anew.
        const int held = standin().controlGet(QStringLiteral("state"))[u"held_polls"].toInt();
        QThread* poller = QThread::create([&] { answer = http.ChannelGet(url, QString()); });
        poller->start();
        if (!standin().waitForHeldPolls(held + 1))
            bench.SkipWithError("the poll was not held");
        QElapsedTimer clock;
        clock.start();
        http.DropChannelConnection();
        poller->wait();
        bench.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        delete poller;
        if (answer != u"reconnect")
            bench.SkipWithError("the poll was not dropped");
    }
}
BENCHMARK(BM_DropChannelConnection)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(20)
    ->ComputeStatistics("max",
                        [](const std::vector<double>& v) {
                            return *std::max_element(v.begin(), v.end());
                        })
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarksAgainstStandIn(argc, argv);
}
