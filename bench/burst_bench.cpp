// A friend's burst against the window program: the program's own wiring (a Messenger signed in
// as alice against the stand-in, on the offscreen platform) while Zoë sends N numbered lines at
// once through the stand-in's control interface.
//
//  - Burst/1000: the service keeps every line in its history.
//  - Burst/10000: the service's history keeps a conversation's last 5,000 lines only, as a real
//    service keeps a bounded history: what the channel dropped and the history no longer has
//    cannot come back, and the chat tab is to say so.
//
// For each it prints how many lines the view and the chat log got, how many twice, whether the
// tab says lines may be missing, how often the history was asked, and the GUI thread's longest
// stall (the worst lateness of a 1 ms timer) from the burst until the last line was taken in.
// The control request runs on a thread of its own: the GUI thread only takes lines in.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <thread>

#include "app/session_engine.h"
#include "app/ui/main_window.h"
#include "app/ui/messenger.h"
#include "conversation/chat_log.h"
#include "conversation/ui/chat_tab.h"
#include "conversation/ui/chat_window.h"
#include "conversation/ui/conversation_view.h"
#include "event_loop_wait.h"
#include "harness/demo_accounts.h"
#include "harness/standin_process.h"
#include "offscreen_program.h"
#include "platform/memory_settings_store.h"
#include "prefs/settings.h"

using namespace quillo;

namespace {

const QString kEmail = QStringLiteral("alice@quillo.test");
const QString kPassword = QStringLiteral("alice");
constexpr double kStallAimMs = 16;

// What the GUI thread delivered since the probe's last tick, and what it delivered in the worst
// gap: a stall made of many short events reads differently from one long event.
struct EventSpan {
    QString what;
    qint64 ns = 0;
};
std::vector<EventSpan> eventsSinceTick;
std::vector<EventSpan> eventsOfWorstStall;

// A 1 ms precise timer on the GUI thread; its worst lateness is the longest the thread was
// kept from its events while it ran.
class StallProbe {
public:
    StallProbe() {
        clock_.start();
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            const qint64 t = clock_.nsecsElapsed();
            if (t - lastNs_ - 1'000'000 > worstNs_) {
                worstNs_ = t - lastNs_ - 1'000'000;
                eventsOfWorstStall = eventsSinceTick;
            }
            eventsSinceTick.clear();
            lastNs_ = t;
        });
    }
    void start() {
        worstNs_ = 0;
        lastNs_ = clock_.nsecsElapsed();
        timer_.start();
    }
    double stopMs() {
        timer_.stop();
        return double(std::max<qint64>(worstNs_, 0)) / 1e6;
    }

private:
    QElapsedTimer clock_;
    QTimer timer_;
    qint64 lastNs_ = 0;
    qint64 worstNs_ = 0;
};

// The program's application with a watch on each event it delivers: the longest one, with its
// receiver and type, tells what a stall was.
class WatchedApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --depth_;
            return handled;
        }
        QElapsedTimer clock;
        clock.start();
        const bool handled = QApplication::notify(receiver, event);
        --depth_;
        const qint64 ns = clock.nsecsElapsed();
        if (watching && ns > 100'000)
            eventsSinceTick.push_back(
                {QStringLiteral("%1 %2")
                     .arg(QString::fromLatin1(receiver->metaObject()->className()))
                     .arg(int(event->type())),
                 ns});
        if (watching && ns > longestNs) {
            longestNs = ns;
            longest = QStringLiteral("%1 (%2), event %3")
                          .arg(QString::fromLatin1(receiver->metaObject()->className()),
                               receiver->objectName())
                          .arg(int(event->type()));
        }
        return handled;
    }
    bool watching = false;
    qint64 longestNs = 0;
    QString longest;

private:
    int depth_ = 0;
};

WatchedApplication* watchedApp = nullptr;

struct BurstFigures {
    int sent = 0;
    int keptByService = 0; // 0: every line
    int inView = 0;        // distinct lines of the burst in the view
    int inLog = 0;         // distinct lines in the chat log
    int twiceInView = 0;
    int twiceInLog = 0;
    bool mayMissNotice = false;
    int historyRequests = 0;
    double stallMs = -1;
    double idleStallMs = -1; // the same probe with nothing to do, for comparison
    double takeInMs = -1;    // from the burst until the last line was taken in
    double longestEventMs = -1;
    QString worstStallEvents; // the events over 0.1 ms in the worst gap, by receiver and type
    QString longestEvent;
    QString problem;
};

// Distinct numbers of "tag #N" in text, and how many of them occur more than once.
std::pair<int, int> countLines(const QString& text, const QString& tag) {
    QHash<int, int> seen;
    const QRegularExpression line(QRegularExpression::escape(tag) + QStringLiteral(" #(\\d+)\\b"));
    for (auto m = line.globalMatch(text); m.hasNext();)
        ++seen[m.next().captured(1).toInt()];
    int twice = 0;
    for (const int n : std::as_const(seen))
        twice += n > 1;
    return {int(seen.size()), twice};
}

BurstFigures measureBurst(int count, int keptByService) {
    BurstFigures figures;
    figures.sent = count;
    figures.keptByService = keptByService;
    test::StandInProcess::Options options;
    options.holdMs = 30000;
    test::StandInProcess standin(options);
    if (!standin.started()) {
        figures.problem = QStringLiteral("the stand-in did not start: ") + standin.problem();
        return figures;
    }
    if (keptByService > 0)
        standin.control(QStringLiteral("settings"), {{"history_kept", keptByService}});
    auto store = std::make_unique<MemorySettingsStore>();
    WriteAccountConsent(*store, kEmail, false); // no question at sign-in
    Messenger messenger(std::move(store), standin.endpoints());
    messenger.start();
    MainWindow* main = nullptr;
    if (!runUntil([&] { return (main = messenger.mainWindow()) && main->isVisible(); }, 15000)) {
        figures.problem = QStringLiteral("the login page did not show");
        return figures;
    }
    main->txtEmail->setText(kEmail);
    main->txtPassword->setText(kPassword);
    main->btnSignin->click();
    if (!runUntil(
            [&] {
                return main->contactPageShown() && !messenger.engine().state().HistoryLoading &&
                       standin.controlGet(QStringLiteral("state"))[u"held_polls"].toInt() >= 1;
            },
            30000)) {
        figures.problem = QStringLiteral("alice was not signed in with a held poll");
        return figures;
    }
    runFor(1000); // the replay, pictures and first paints settle
    StallProbe probe;
    probe.start();
    runFor(500);
    figures.idleStallMs = probe.stopMs();

    const QString tag = QStringLiteral("burst%1").arg(count);
    const int before = standin.requests().isEmpty() ? 0 : standin.requests().last()[u"n"].toInt();
    ChatWindow* chat = messenger.chatWindow();
    const ContactId zoe = ContactId::fromText(test::kZoe);
    const auto viewText = [&] {
        ChatTab* tab = chat->tabOf(zoe);
        return tab ? tab->view()->toPlainText() : QString();
    };
    const int expected = keptByService > 0 ? keptByService : count;

    QElapsedTimer clock;
    clock.start();
    probe.start();
    watchedApp->longestNs = 0;
    watchedApp->watching = true;
    std::thread sender([&] {
        standin.control(
            QStringLiteral("act"),
            {{"as", test::kZoe},
             {"send", QJsonObject{{"to", test::kAlice}, {"text", tag}, {"count", count}}}});
    });
    // Until the window has taken in what came, and nothing more arrives for a second. Lines
    // are counted as the engine hands them on: reading the view while it grows would cost the
    // GUI thread more than taking them in.
    int arrived = 0;
    qint64 lastArrivalMs = 0;
    QObject guard;
    QObject::connect(&messenger.engine(), &SessionEngine::messagesArrived, &guard,
                     [&](const QList<ChatMessage>& lines) {
                         for (const ChatMessage& line : lines)
                             arrived += line.text.startsWith(tag);
                         lastArrivalMs = clock.elapsed();
                     });
    qint64 lastBusyMs = 0;
    runUntil(
        [&] {
            if (chat->waitingLines() > 0)
                lastBusyMs = clock.elapsed();
            return chat->waitingLines() == 0 && arrived >= expected &&
                   clock.elapsed() - lastArrivalMs > 1000;
        },
        120000);
    figures.stallMs = probe.stopMs();
    watchedApp->watching = false;
    figures.longestEventMs = double(watchedApp->longestNs) / 1e6;
    {
        QMap<QString, QPair<int, qint64>> byKind;
        for (const EventSpan& span : eventsOfWorstStall) {
            byKind[span.what].first += 1;
            byKind[span.what].second += span.ns;
        }
        QStringList parts;
        for (auto kind = byKind.cbegin(); kind != byKind.cend(); ++kind)
            parts.append(QStringLiteral("%1 x%2 %3 ms")
                             .arg(kind.key())
                             .arg(kind.value().first)
                             .arg(double(kind.value().second) / 1e6, 0, 'f', 1));
        figures.worstStallEvents = QStringLiteral("in the worst stall: ") +
                                   (parts.isEmpty() ? QStringLiteral("no event over 0.1 ms")
                                                    : parts.join(QStringLiteral(", ")));
    }
    figures.longestEvent = watchedApp->longest;
    figures.takeInMs = double(std::max(lastArrivalMs, lastBusyMs));
    sender.join();

    const QString view = viewText();
    std::tie(figures.inView, figures.twiceInView) = countLines(view, tag);
    QFile log(ChatLogPath(ContactId::fromText(test::kAlice), zoe));
    const QString logText =
        log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    std::tie(figures.inLog, figures.twiceInLog) = countLines(logText, tag);
    figures.mayMissNotice = view.contains(QStringLiteral("may have been missed"));
    for (const QJsonValue& r : standin.requests(QStringLiteral("since=%1").arg(before)))
        figures.historyRequests += r[u"path"].toString() == u"/ajax/chat/history.php";
    return figures;
}

QList<BurstFigures> results;

void Burst(benchmark::State& state) {
    const int count = int(state.range(0));
    for (auto _ : state) {
        const BurstFigures figures = measureBurst(count, count > 1000 ? 5000 : 0);
        if (!figures.problem.isEmpty()) {
            state.SkipWithError(figures.problem.toStdString().c_str());
            return;
        }
        state.SetIterationTime(figures.takeInMs / 1000);
        state.counters["in_view"] = figures.inView;
        state.counters["in_log"] = figures.inLog;
        state.counters["stall_ms"] = figures.stallMs;
        results.append(figures);
    }
}
BENCHMARK(Burst)->Arg(1000)->Arg(10000)->Iterations(1)->UseManualTime()->Unit(
    benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    const QTemporaryDir home;
    prepareOffscreenProgram(home);
    WatchedApplication app(argc, argv);
    watchedApp = &app;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();

    bool met = true;
    for (const BurstFigures& f : std::as_const(results)) {
        const int expected = f.keptByService > 0 ? std::min(f.keptByService, f.sent) : f.sent;
        const bool whole =
            f.inView >= expected && f.inLog == f.inView && f.twiceInView == 0 && f.twiceInLog == 0;
        // A notice is owed exactly when lines could not come back.
        const bool honest = f.mayMissNotice == (f.inView < f.sent);
        const bool smooth = f.stallMs <= kStallAimMs;
        met = met && whole && honest && smooth;
        std::printf("Burst of %d lines (service history keeps %s): view %d, log %d, twice %d/%d, "
                    "\"may be missed\" notice %s, history asked %d times, all taken in after "
                    "%.0f ms%s\n",
                    f.sent,
                    f.keptByService > 0 ? qPrintable(QString::number(f.keptByService)) : "all",
                    f.inView, f.inLog, f.twiceInView, f.twiceInLog,
                    f.mayMissNotice ? "shown" : "not shown", f.historyRequests, f.takeInMs,
                    whole && honest ? ""
                                    : "  [NOT MET: every line it can have, once, and a "
                                      "notice exactly when some are gone]");
        std::printf("  GUI thread's longest stall while it came in: %.1f ms (aim %.0f ms; idle "
                    "%.1f ms)%s; its longest event: %.1f ms, %s\n",
                    f.stallMs, kStallAimMs, f.idleStallMs, smooth ? "" : "  [NOT MET]",
                    f.longestEventMs, qPrintable(f.longestEvent));
        std::printf("  %s\n", qPrintable(f.worstStallEvents));
    }
    benchmark::Shutdown();
    return met ? 0 : 1;
}
