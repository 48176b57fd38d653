// The conversation view as messages arrive, on the offscreen platform.
//
//  - Append/100, Append/10000: one received message block appended to a view that already
//    holds 100 or 10,000 of them, with the reader at the bottom so the view follows it, until
//    the document is laid out and the view has taken its pending events (repaint included).
//    The view grows by the timed appends; 200 of them do not change its size noticeably.
//  - Rewrite/10000: what appending replaced: the whole document read back from the view, the
//    block added to its end as text and everything set again, on a view of 10,000 messages,
//    laid out and settled the same way.
//  - WorstMessage/0, WorstMessage/1: the longest message a view shows whole, made of nothing
//    but emoticon codes (0), of line breaks (1), or of lines of codes (2), from its text to a
//    settled view: formatted as the chat window formats it (cut, pictures, markers), appended, laid
//    out and painted. This is what one hostile message costs the GUI thread; the aim is at most 50
//    ms.
//  - Arrival to view: the program's own wiring (a Messenger signed in as alice against the
//    stand-in with the demo data) while zoe sends 1,000 messages through the stand-in's control
//    interface, one after the other: from the moment the control request is sent until the
//    block is in the chat tab's view. The request is made on a thread of its own, since it
//    blocks; the GUI thread meanwhile runs its event loop as the program does. Run once, not as
//    a benchmark loop.
// Main prints the ratios of the figures with their aims, then the arrival figures.
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QEventLoop>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/session_engine.h"
#include "app/ui/main_window.h"
#include "app/ui/messenger.h"
#include "conversation/emoticons.h"
#include "conversation/message_block.h"
#include "conversation/message_html.h"
#include "conversation/shown_text.h"
#include "conversation/ui/chat_tab.h"
#include "conversation/ui/chat_window.h"
#include "conversation/ui/conversation_view.h"
#include "event_loop_wait.h"
#include "harness/demo_accounts.h"
#include "harness/standin_process.h"
#include "offscreen_program.h"
#include "platform/memory_settings_store.h"
#include "prefs/settings.h"
#include "ratio_reporter.h"
#include "session/session_event.h"

using namespace quillo;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kArrivals = 1000;
// Lines sent before the figures: the first one opens the tab, the others let the first-use
// costs (fonts, pictures, the log file) pass.
constexpr int kWarmUp = 5;
const QString kEmail = QStringLiteral("alice@quillo.test");
const QString kPassword = QStringLiteral("alice");

// The pictures the program draws beside itself; the view loads them as it would there.
QString emoticonFolderUrl() {
    static const QString url = EmoticonFolderUrl(QStringLiteral(QUILLO_PROGRAM_DIR));
    return url;
}

// A friend's line: a sentence with a bold run and an emoticon, numbered so that every line is
// distinct (the chat window drops a line that repeats the one before it).
QString messageText(int number) {
    static const QString sentences[] = {
        QStringLiteral("Did you see the *new* photos from the lake? :)"),
        QStringLiteral("I'm running *ten minutes* late, sorry :("),
        QStringLiteral("That was *so* funny, I still can't stop laughing :D"),
        QStringLiteral("See you at the station at *eight* then ;)"),
    };
    return QStringLiteral("Message %1: ").arg(number) + sentences[number % std::size(sentences)];
}

// The marker of a line in the view's plain text.
QString markerOf(int number) {
    return QStringLiteral("Message %1:").arg(number);
}

// One received block as the chat window builds it: zoe's name as the service escapes it, a
// time stamp in milliseconds, the body with its picture and bold run.
QString receivedBlock(int number) {
    constexpr qint64 kStampMs = 1'262'340'000'000; // an evening in January 2010
    return MessageViewBlock(kOtherPartyColor, QStringLiteral(R"(Zo\u00eb \u00c5ngstr\u00f6m)"),
                            QString::number(kStampMs + number * 7000LL),
                            ReceivedMessageHtml(messageText(number), emoticonFolderUrl()));
}

// The work an append leaves for the event loop done: the document laid out to its end, then
// the view's pending events (scroll bar, repaint) taken.
void settle(ConversationView& view) {
    view.document()->documentLayout()->documentSize();
    QCoreApplication::processEvents();
}

// A shown view of chat-tab size holding `messages` blocks, appended one by one as the chat
// window appends them, with the reader at the bottom. The appends share one edit block: the
// document comes out the same, but Qt tidies it once at the end instead of after every block,
// which for 10,000 blocks with pictures would take minutes.
std::unique_ptr<ConversationView> filledView(int messages, bool oneEditBlock = true) {
    auto view = std::make_unique<ConversationView>(emoticonFolderUrl());
    view->resize(560, 360);
    view->show();
    QTextCursor whole(view->document());
    if (oneEditBlock)
        whole.beginEditBlock();
    for (int i = 0; i < messages; ++i)
        view->appendBlock(receivedBlock(i), false);
    if (oneEditBlock)
        whole.endEditBlock();
    settle(*view);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    settle(*view);
    return view;
}

// Blocks built ahead, so that the timed loops measure the view and not the formatting.
std::vector<QString> blocksFrom(int first, int count) {
    std::vector<QString> blocks;
    blocks.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        blocks.push_back(receivedBlock(first + i));
    return blocks;
}

// The figures hold only if the shared edit block leaves the document as the separate appends do.
bool fillMatchesSeparateAppends() {
    constexpr int kMessages = 300;
    const std::unique_ptr<ConversationView> shared = filledView(kMessages);
    const std::unique_ptr<ConversationView> separate = filledView(kMessages, false);
    return shared->document()->blockCount() == separate->document()->blockCount() &&
           shared->toHtml() == separate->toHtml();
}

int blockCount(const ConversationView& view) {
    return view.document()->blockCount();
}

void Append(benchmark::State& state) {
    const int already = static_cast<int>(state.range(0));
    const std::unique_ptr<ConversationView> view = filledView(already);
    const std::vector<QString> blocks = blocksFrom(already, 256);
    const int blocksBefore = blockCount(*view);
    size_t next = 0;
    for (auto _ : state) {
        view->appendBlock(blocks[next++ % blocks.size()], true);
        settle(*view);
    }
    // Each append adds its own paragraph, and the reader stays at the bottom: a view that did
    // neither would be measuring something else.
    const QScrollBar* bar = view->verticalScrollBar();
    if (blockCount(*view) - blocksBefore != static_cast<int>(state.iterations()))
        state.SkipWithError("an append did not add one paragraph");
    else if (bar->value() < bar->maximum() - 2)
        state.SkipWithError("the view did not follow the appended blocks");
    state.counters["blocks"] = blockCount(*view);
}
BENCHMARK(Append)->Arg(100)->Arg(10000)->Iterations(200)->Unit(benchmark::kMillisecond);

void Rewrite(benchmark::State& state) {
    const int already = static_cast<int>(state.range(0));
    const std::unique_ptr<ConversationView> view = filledView(already);
    const std::vector<QString> blocks = blocksFrom(already, 8);
    size_t next = 0;
    for (auto _ : state) {
        QString html = view->toHtml();
        const qsizetype end = html.lastIndexOf(QLatin1String("</body>"));
        html.insert(end < 0 ? html.size() : end, blocks[next++ % blocks.size()]);
        view->setHtml(html);
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
        settle(*view);
    }
    if (!view->toPlainText().contains(markerOf(already + static_cast<int>(next) - 1)))
        state.SkipWithError("the rewritten document lacks the last block");
}
BENCHMARK(Rewrite)->Arg(10000)->Iterations(5)->Unit(benchmark::kMillisecond);

QString worstMessage(int kind) {
    const QString piece = kind == 0   ? QStringLiteral(":) ")
                          : kind == 1 ? QStringLiteral("\n")
                                      : QStringLiteral(":) ").repeated(12) + u'\n';
    return piece.repeated(kLongestShownMessage / piece.size() + 1);
}

void WorstMessage(benchmark::State& state) {
    const QString text = worstMessage(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ConversationView view(emoticonFolderUrl());
        view.resize(560, 360);
        view.show();
        view.appendBlock(
            MessageViewBlock(
                kOtherPartyColor, QStringLiteral("Zo\\u00eb"), QString(),
                ViewMessageBodyHtml(text, emoticonFolderUrl(),
                                    [](qsizetype hidden) {
                                        return QStringLiteral("[%1 more characters]").arg(hidden);
                                    })),
            true);
        settle(view);
        view.repaint();
        if (!view.toPlainText().contains(QStringLiteral("more characters")))
            state.SkipWithError("the worst message was not cut");
    }
}
BENCHMARK(WorstMessage)->Arg(0)->Arg(1)->Arg(2)->Iterations(10)->Unit(benchmark::kMillisecond);

// Makes zoe's control requests on a thread of its own: a request blocks until the service has
// queued the line, and the GUI thread must keep turning meanwhile to show it.
class ZoeSender {
public:
    explicit ZoeSender(test::StandInProcess& standin)
        : standin_(standin)
        , thread_([this] { run(); }) {}
    ~ZoeSender() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    ZoeSender(const ZoeSender&) = delete;
    ZoeSender& operator=(const ZoeSender&) = delete;

    // Starts the request for text; the previous one must have been waited for.
    void send(const QString& text) {
        {
            std::lock_guard lock(mutex_);
            text_ = text;
            pending_ = true;
            done_ = false;
        }
        changed_.notify_all();
    }

    struct Sent {
        Clock::time_point startedAt;
        bool delivered = false;
    };
    // Waits for the request started last to be answered.
    Sent wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return done_; });
        return sent_;
    }

private:
    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return pending_ || stopping_; });
            if (stopping_)
                return;
            pending_ = false;
            const QJsonObject send{{"to", test::kAlice}, {"text", text_}};
            lock.unlock();
            const Clock::time_point startedAt = Clock::now();
            const QJsonDocument answer =
                standin_.control(QStringLiteral("act"), {{"as", test::kZoe}, {"send", send}});
            const bool delivered = answer[u"results"][u"send"].toString() == u"delivered";
            lock.lock();
            sent_ = {startedAt, delivered};
            done_ = true;
            changed_.notify_all();
        }
    }

    test::StandInProcess& standin_;
    std::mutex mutex_;
    std::condition_variable changed_;
    QString text_;
    bool pending_ = false;
    bool done_ = false;
    bool stopping_ = false;
    Sent sent_;
    std::thread thread_; // last: it starts once the members it reads exist
};

// Whether the view's last paragraphs (a block may end in an empty one) hold marker.
bool endsWithLine(const ConversationView& view, const QString& marker) {
    QTextBlock block = view.document()->lastBlock();
    for (int i = 0; i < 2 && block.isValid(); ++i, block = block.previous()) {
        if (block.text().contains(marker))
            return true;
    }
    return false;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, static_cast<size_t>(p * values.size()));
    return values[at];
}

struct ArrivalFigures {
    std::vector<double> latenciesMs;
    std::vector<double> requestMs; // the control request alone, for the explanation
    QString problem;
};

// Alice's Messenger signed in on the stand-in, with her long poll held.
ArrivalFigures measureArrivals() {
    ArrivalFigures figures;
    test::StandInProcess::Options options;
    options.holdMs = 30000; // a held poll stays quiet between lines
    test::StandInProcess standin(options);
    if (!standin.started()) {
        figures.problem = QStringLiteral("the stand-in did not start: ") + standin.problem();
        return figures;
    }
    auto store = std::make_unique<MemorySettingsStore>();
    // The account declined the status posts before, so the sign-in asks no question.
    WriteAccountConsent(*store, kEmail, false);
    Messenger messenger(std::move(store), standin.endpoints());
    messenger.start();
    const auto mainWindow = [&] { return messenger.mainWindow(); };
    if (!runUntil([&] { return mainWindow() && mainWindow()->isVisible(); }, 15000)) {
        figures.problem = QStringLiteral("the login page did not show");
        return figures;
    }
    bool signedIn = false;
    QObject guard;
    QObject::connect(&messenger.engine(), &SessionEngine::sessionEvent, &guard,
                     [&](SessionEventName name) {
                         if (name == SessionEventName::SignedIn)
                             signedIn = true;
                     });
    mainWindow()->txtEmail->setText(kEmail);
    mainWindow()->txtPassword->setText(kPassword);
    mainWindow()->btnSignin->click();
    const bool held = runUntil(
        [&] {
            return signedIn && mainWindow()->contactPageShown() &&
                   standin.controlGet(QStringLiteral("state"))[u"held_polls"].toInt() >= 1;
        },
        30000);
    if (!held) {
        figures.problem = QStringLiteral("alice was not signed in with a held poll");
        return figures;
    }
    runFor(500); // the history replay and the first picture loads settle

    ChatWindow* chat = messenger.chatWindow();
    const ContactId zoe = ContactId::fromText(test::kZoe);
    ZoeSender sender(standin);
    for (int i = 0; i < kWarmUp; ++i) {
        sender.send(messageText(i));
        const bool shown = runUntil(
            [&] {
                return chat->tabOf(zoe) && endsWithLine(*chat->tabOf(zoe)->view(), markerOf(i));
            },
            10000);
        sender.wait();
        if (!shown) {
            figures.problem = QStringLiteral("zoe's first lines did not show");
            return figures;
        }
    }

    // The time is taken where the view's document changes: within the append itself.
    ConversationView& view = *chat->tabOf(zoe)->view();
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QString marker;
    std::optional<Clock::time_point> shownAt;
    QObject::connect(view.document(), &QTextDocument::contentsChanged, &guard, [&] {
        const Clock::time_point t = Clock::now();
        if (!shownAt && endsWithLine(view, marker)) {
            shownAt = t;
            loop.quit();
        }
    });
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    for (int i = kWarmUp; i < kWarmUp + kArrivals; ++i) {
        marker = markerOf(i);
        shownAt.reset();
        sender.send(messageText(i));
        timeout.start(10000);
        loop.exec();
        timeout.stop();
        const ZoeSender::Sent sent = sender.wait();
        if (!sent.delivered || !shownAt) {
            figures.problem = QStringLiteral("line %1 was %2")
                                  .arg(i)
                                  .arg(sent.delivered ? QStringLiteral("not shown")
                                                      : QStringLiteral("not delivered"));
            return figures;
        }
        figures.latenciesMs.push_back(ms(*shownAt - sent.startedAt));
    }

    // The request alone, with the program still listening: how much of the above it is.
    for (int i = 0; i < 50; ++i) {
        const Clock::time_point started = Clock::now();
        standin.controlGet(QStringLiteral("state"));
        figures.requestMs.push_back(ms(Clock::now() - started));
    }
    return figures;
}

// The run-time of a benchmark in its unit (milliseconds here); Google Benchmark adds
// "/iterations:N" to the name of a run with a set number of iterations.
std::optional<double> figureOf(const RatioReporter& reporter, const std::string& name) {
    for (const auto& [runName, value] : reporter.seconds) {
        if (runName == name || runName.rfind(name + "/iterations:", 0) == 0)
            return value;
    }
    return std::nullopt;
}

void printRatio(const char* what, std::optional<double> over, std::optional<double> under,
                bool withinAim, const char* aim) {
    if (!over || !under || *under <= 0) {
        std::printf("%s: not measured\n", what);
        return;
    }
    const double ratio = *over / *under;
    std::printf("%s: %.3f ms / %.3f ms = %.2f (aim %s) %s\n", what, *over, *under, ratio, aim,
                withinAim ? "PASS" : "MISS");
}

} // namespace

int main(int argc, char** argv) {
    const QTemporaryDir home;
    prepareOffscreenProgram(home);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    if (!fillMatchesSeparateAppends()) {
        std::fprintf(stderr, "filling the view in one edit block changes its document\n");
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::optional<double> small = figureOf(reporter, "Append/100");
    const std::optional<double> large = figureOf(reporter, "Append/10000");
    const std::optional<double> rewrite = figureOf(reporter, "Rewrite/10000");
    printRatio("Append/10000 / Append/100", large, small, small && large && *large / *small <= 1.5,
               "within 1.5");
    printRatio("Rewrite/10000 / Append/10000", rewrite, large,
               rewrite && large && *rewrite / *large >= 50, "at least 50");

    for (const char* worst : {"WorstMessage/0", "WorstMessage/1", "WorstMessage/2"}) {
        const std::optional<double> cost = figureOf(reporter, worst);
        std::printf("%s: %.3f ms (aim: at most 50 ms) %s\n", worst, cost.value_or(-1),
                    cost && *cost <= 50 ? "PASS" : "MISS");
    }

    const ArrivalFigures arrivals = measureArrivals();
    if (!arrivals.problem.isEmpty()) {
        std::printf("arrival to view: not measured, %s\n", qPrintable(arrivals.problem));
    } else {
        const double median = percentile(arrivals.latenciesMs, 0.5);
        std::printf("arrival to view: median %.3f ms, p99 %.3f ms over %zu messages (aim: median "
                    "under 2 ms) %s\n",
                    median, percentile(arrivals.latenciesMs, 0.99), arrivals.latenciesMs.size(),
                    median < 2 ? "PASS" : "MISS");
        std::printf("  of which a control request alone takes: median %.3f ms\n",
                    percentile(arrivals.requestMs, 0.5));
    }
    benchmark::Shutdown();
    return 0;
}
