// Fault soak: the session engine signed in against the stand-in for several minutes while
// friends send thousands of messages at varying rates (bursts of 1 to 16 every 0.1 to 0.5 s,
// about 25 a second: a channel keeps its last 200 items, and a poll that meets a fault comes
// back within a few seconds) and the service misbehaves in every way
// it knows (dropped connections, 500s, garbage and empty bodies, answers held beyond the long
// poll, redirect loops, moved channels, an expired session). A front end's part is played as
// automatic sign-in plays it: a lost or expired session is signed in again.
//
// Prints: messages sent (while the session was alive, and while it was not), delivered once,
// twice, lost; reconnects; sign-ins; resident memory at start and end; CPU while idle; and the
// wake-ups per minute of an idle signed-in session with the service's own long-poll hold.
//   fault_soak [MESSAGES] [KINDS]   (default 10000, every kind of fault)
// KINDS picks the faults, comma-separated: drop, status, garbage, empty, delay, redirect, move,
// expire; "none" for none.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <malloc.h>
#include <sys/resource.h>
#include <thread>

#include "app/session_engine.h"
#include "harness/demo_accounts.h"
#include "harness/standin_process.h"
#include "platform/heap_tuning.h"

using namespace quillo;
using namespace quillo::test;

namespace {

const QString kAliceEmail = QStringLiteral("alice@quillo.test");
constexpr int kHoldMs = 1500;
constexpr int kLargestBurst = 16; // messages a friend sends at once

// Runs the event loop until check holds or the time is up.
bool pump(const std::function<bool()>& check, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!check()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

void pumpFor(int ms) {
    pump([] { return false; }, ms);
}

long statusField(const QString& path, const char* field) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

long residentKiB() {
    return statusField(QStringLiteral("/proc/self/status"), "VmRSS:");
}

// What the program's own allocations hold, apart from pages the heap keeps for reuse.
long heapInUseKiB() {
    const struct mallinfo2 info = mallinfo2();
    return long((info.uordblks + info.hblkhd) / 1024);
}

// Every thread's context switches: each one is a wake-up of a sleeping thread, or a preemption.
long contextSwitches() {
    long total = 0;
    for (const QString& task :
         QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString status =
            QStringLiteral("/proc/self/task/") + task + QStringLiteral("/status");
        total += statusField(status, "voluntary_ctxt_switches:");
        total += statusField(status, "nonvoluntary_ctxt_switches:");
    }
    return total;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The service's misbehaviour, one kind at a time, each for a single answer of the long poll;
// "move" (a moved channel) and "expire" are acts of the control interface, not rules.
QList<std::pair<QString, QJsonObject>> faultKinds() {
    const QString poll = QStringLiteral("/x/*");
    return {
        {"drop", {{"path", poll}, {"action", "drop"}, {"count", 1}}},
        {"status", {{"path", poll}, {"action", "status"}, {"status", 500}, {"count", 1}}},
        {"garbage", {{"path", poll}, {"action", "garbage"}, {"count", 1}}},
        {"empty", {{"path", poll}, {"action", "empty"}, {"count", 1}}},
        {"delay", {{"path", poll}, {"action", "delay"}, {"ms", kHoldMs + 2500}, {"count", 1}}},
        {"redirect", {{"path", poll}, {"action", "redirect"}, {"loop", true}, {"count", 1}}},
        {"move", {}},
    };
}

} // namespace

int main(int argc, char** argv) {
    KeepLargeBuffersOutOfTheHeap(); // as the programs do
    QCoreApplication app(argc, argv);
    const int messages = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const QStringList kinds = argc > 2 ? QString::fromLocal8Bit(argv[2]).split(u',')
                                       : QStringList{"drop",  "status",   "garbage", "empty",
                                                     "delay", "redirect", "move",    "expire"};

    StandInProcess::Options options;
    options.holdMs = kHoldMs;
    StandInProcess standin(options);
    if (!standin.started()) {
        std::fprintf(stderr, "the stand-in did not start: %s\n", qPrintable(standin.problem()));
        return 1;
    }
    LanguageStrings strings;
    SessionEngine engine(standin.endpoints(), strings);
    // As the program has it by default: a session that was given up and signed in again shows
    // from the service's history what came while the old one was being lost.
    engine.setReplayHistory(true);

    // Kept in tables made before memory is first measured, so that what grows is the engine's.
    // A message "soak-B #I" has the entry of its burst B and place I in it.
    const auto slotFor = [](int burst, int index) {
        return qsizetype(burst) * kLargestBurst + index - 1;
    };
    const auto slotOf = [messages, &slotFor](const QString& text) -> qsizetype {
        const QStringList parts = text.mid(5).split(QStringLiteral(" #"));
        bool burstOk = false;
        bool indexOk = false;
        const int burst = parts.value(0).toInt(&burstOk);
        const int index = parts.value(1).toInt(&indexOk);
        if (parts.size() != 2 || !burstOk || !indexOk || burst < 0 || burst >= messages ||
            index < 1 || index > kLargestBurst)
            return -1;
        return slotFor(burst, index);
    };
    const size_t slotCount = size_t(messages) * kLargestBurst;
    std::vector<quint8> shownEver(slotCount);      // shown at all, live or replayed
    std::vector<quint8> shownInSession(slotCount); // shown since the last sign-in
    std::vector<quint8> shownTwice(slotCount);     // more than once within one session
    int received = 0;
    int twice = 0;
    int unknown = 0;    // a text that is no message of the soak's
    int replayedIn = 0; // first shown through a replay
    int signIns = 0;
    bool live = false;
    auto onMessage = [&](const ChatMessage& m) {
        if (m.own || !m.text.startsWith(u"soak-"))
            return;
        const qsizetype slot = slotOf(m.text);
        if (slot < 0) {
            ++unknown;
            return;
        }
        if (shownInSession[slot]++ == 1 && !shownTwice[slot]) {
            shownTwice[slot] = 1;
            ++twice;
        }
        if (!shownEver[slot]) {
            shownEver[slot] = 1;
            ++received;
            replayedIn += m.replayed;
        }
    };
    QObject::connect(&engine, &SessionEngine::messagesArrived,
                     [&](const QList<ChatMessage>& arrived) {
                         for (const ChatMessage& m : arrived)
                             onMessage(m);
                     });
    QObject::connect(&engine, &SessionEngine::buddyListLoaded, [&] { live = true; });
    QObject::connect(&engine, &SessionEngine::sessionEvent, [&](SessionEventName name) {
        switch (name) {
        case SessionEventName::SignedIn:
            ++signIns;
            // The windows start afresh with a new session.
            std::fill(shownInSession.begin(), shownInSession.end(), quint8(0));
            return;
        case SessionEventName::ConnectionLost:
        case SessionEventName::SessionExpired:
        case SessionEventName::LoginFailed:
        case SessionEventName::NoContacts:
            live = false;
            // As automatic sign-in does, a moment later.
            QTimer::singleShot(300, &engine,
                               [&] { engine.signIn(kAliceEmail, QStringLiteral("alice")); });
            return;
        default:
            return;
        }
    });
    engine.signIn(kAliceEmail, QStringLiteral("alice"));
    if (!pump([&] { return live && standin.waitForHeldPolls(1, 0); }, 20000)) {
        std::fprintf(stderr, "the first sign-in did not reach the long poll\n");
        return 1;
    }
    pumpFor(2000);
    struct Burst {
        int number;
        int count;
        bool alive; // the service took it for a signed-in Alice
    };
    QList<Burst> bursts; // the sender's; read after it has ended
    bursts.reserve(messages);
    const long rssStart = residentKiB();
    const long heapStart = heapInUseKiB();
    const qint64 firstRequest = standin.controlGet(QStringLiteral("requests"))[u"last"].toInteger();

    // The friends' side and the service's faults, on a thread of their own: the control calls
    // block, and the engine's thread must keep handling what arrives.
    std::atomic<bool> senderDone{false};
    long heapAtQuarter[4] = {}; // the sender's, as each quarter of the messages has gone out
    const QStringList friends = {kZoe, kEcho, QStringLiteral("100000101000973"), kBob};
    std::thread sender([&] {
        QRandomGenerator random(20261210);
        QList<std::pair<QString, QJsonObject>> faults;
        for (const auto& fault : faultKinds()) {
            if (kinds.contains(fault.first))
                faults.append(fault);
        }
        QElapsedTimer clock;
        clock.start();
        qint64 nextFault = 2000;
        int faultIndex = 0;
        bool expired = false;
        int burst = 0;
        int sent = 0;
        while (sent < messages) {
            if (!faults.isEmpty() && clock.elapsed() >= nextFault) {
                const auto& [kind, rule] = faults[faultIndex++ % faults.size()];
                if (kind == u"move")
                    standin.control(QStringLiteral("act"),
                                    {{"as", kAlice.toLongLong()}, {"move_channel", true}});
                else
                    standin.control(QStringLiteral("faults"), rule);
                nextFault = clock.elapsed() + 1500 + random.bounded(2000);
            }
            if (!expired && kinds.contains(u"expire") && sent >= messages / 2) {
                expired = true;
                standin.control(QStringLiteral("act"),
                                {{"as", kAlice.toLongLong()}, {"expire", true}});
            }
            const int count = std::min(messages - sent, 1 + int(random.bounded(kLargestBurst)));
            const QString from = friends[burst % friends.size()];
            const QJsonDocument answer = standin.control(
                QStringLiteral("act"),
                {{"as", from.toLongLong()},
                 {"send", QJsonObject{{"to", kAlice.toLongLong()},
                                      {"text", QStringLiteral("soak-%1").arg(burst)},
                                      {"count", count}}}});
            bursts.append({burst, count, answer[u"results"][u"send"].toString() == u"delivered"});
            const int quarterBefore = sent * 4 / messages;
            sent += count;
            ++burst;
            for (int q = quarterBefore; q < sent * 4 / messages && q < 4; ++q)
                heapAtQuarter[q] = heapInUseKiB();
            QThread::msleep(100 + random.bounded(400));
        }
        standin.control(QStringLiteral("faults/clear"));
        senderDone = true;
    });

    QElapsedTimer soak;
    soak.start();
    pump([&] { return senderDone.load(); }, 30 * 60 * 1000);
    sender.join();
    int sentAlive = 0;
    int sentAway = 0;
    for (const Burst& b : std::as_const(bursts))
        (b.alive ? sentAlive : sentAway) += b.count;
    // What is still on its way: until every message sent while alive is in, or nothing new
    // comes for a while.
    int lastCount = -1;
    QElapsedTimer quiet;
    quiet.start();
    pump(
        [&] {
            const int now = received;
            if (now != lastCount) {
                lastCount = now;
                quiet.restart();
            }
            return now >= sentAlive + sentAway || quiet.elapsed() > 15000;
        },
        120000);
    const double soakSeconds = double(soak.elapsed()) / 1000.0;

    const int once = received - twice;
    int lost = 0;
    int deliveredAway = 0;
    for (const Burst& b : std::as_const(bursts)) {
        for (int i = 1; i <= b.count; ++i) {
            const bool in = shownEver[slotFor(b.number, i)];
            if (b.alive && !in)
                ++lost;
            if (!b.alive && in)
                ++deliveredAway;
        }
    }
    // Only the count is kept: the request log is large, and memory is measured below.
    const long long reconnects =
        standin
            .requests(
                QStringLiteral("since=%1&path=/ajax/presence/reconnect.php").arg(firstRequest))
            .size();

    if (qEnvironmentVariableIsSet("QUILLO_SOAK_QUICK")) {
        std::printf("sent alive %d, away %d, once %d, twice %d, lost %d, reconnects %lld, "
                    "sign-ins %d\n",
                    sentAlive, sentAway, once, twice, lost, reconnects, signIns);
        const int code = lost == 0 && twice == 0 && unknown == 0 ? 0 : 2;
        // For a heap profiler: what is still allocated here shows as not freed.
        if (qEnvironmentVariableIsSet("QUILLO_SOAK_KEEP_HEAP")) {
            std::fflush(stdout);
            std::_Exit(code);
        }
        return code;
    }
    // Idle: the poll held, nothing arriving.
    pumpFor(3000);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer idle;
    idle.start();
    pumpFor(10000);
    const double idleCpuPercent =
        (cpuSeconds() - cpuBefore) / (double(idle.elapsed()) / 1000.0) * 100.0;
    const long rssPeak = residentKiB();
    // What the heap still holds, not the high-water mark of the replays' large answers.
    malloc_trim(0);
    const long rssEnd = residentKiB();
    const long heapEnd = heapInUseKiB();

    // Wake-ups of an idle signed-in session with the service's own hold of the long poll.
    standin.control(QStringLiteral("settings"), {{"hold_ms", 50000}});
    pump([&] { return false; }, 4000); // the poll in flight ends under the old hold
    const long switchesBefore = contextSwitches();
    QElapsedTimer minute;
    minute.start();
    // The event loop sleeps here as the program's would: no polling of its own.
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    app.exec();
    const double wakeUpsPerMinute =
        double(contextSwitches() - switchesBefore) * 60000.0 / double(minute.elapsed());

    std::printf("fault soak over %.0f s\n", soakSeconds);
    std::printf("  messages sent while signed in:   %d\n", sentAlive);
    std::printf("  messages sent while away:        %d (delivered anyway: %d)\n", sentAway,
                deliveredAway);
    std::printf("  delivered once:                  %d (%d of them from the history after a "
                "new sign-in)\n",
                once, replayedIn);
    std::printf("  delivered twice or more:         %d\n", twice);
    std::printf("  texts that were no soak message: %d\n", unknown);
    std::printf("  lost (sent while signed in):     %d\n", lost);
    std::printf("  reconnects asked for:            %lld\n", reconnects);
    std::printf("  sign-ins:                        %d\n", signIns);
    std::printf(
        "  resident memory start/end:       %ld KiB / %ld KiB (%ld KiB before the heap gave "
        "back what was freed)\n",
        rssStart, rssEnd, rssPeak);
    std::printf("  heap in use start/end:           %ld KiB / %ld KiB (after each quarter sent: "
                "%ld, %ld, %ld, %ld KiB)\n",
                heapStart, heapEnd, heapAtQuarter[0], heapAtQuarter[1], heapAtQuarter[2],
                heapAtQuarter[3]);
    std::printf("  CPU while idle:                  %.2f %%\n", idleCpuPercent);
    std::printf("  wake-ups per idle minute:        %.0f (all threads, long poll held 50 s)\n",
                wakeUpsPerMinute);
    return lost == 0 && twice == 0 && unknown == 0 ? 0 : 2;
}
