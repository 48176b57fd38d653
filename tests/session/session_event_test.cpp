#include <QCoreApplication>
#include <QSet>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "session/queued_event_sink.h"
#include "session/session_state.h"

using namespace quillo;

TEST(SessionEventTable, EveryNamedEventRoundTripsThroughItsCode) {
    const struct {
        SessionEventName name;
        int kind, code;
    } rows[] = {
        {SessionEventName::LoginFailed, 1, 0},     {SessionEventName::SignedIn, 1, 1},
        {SessionEventName::ConnectionLost, 1, 2},  {SessionEventName::SessionExpired, 1, 3},
        {SessionEventName::SignInCancelled, 1, 4}, {SessionEventName::StartupCheckFailed, 1, 5},
        {SessionEventName::NoContacts, 1, 6},      {SessionEventName::BuddyListLoaded, 2, 0},
        {SessionEventName::PresenceChanged, 2, 1}, {SessionEventName::BannerReady, 5, 0},
    };
    for (const auto& row : rows) {
        const SessionEventCode code = sessionEventCode(row.name);
        EXPECT_EQ(code.kind, row.kind);
        EXPECT_EQ(code.code, row.code);
        EXPECT_EQ(sessionEventName(row.kind, row.code), row.name);
    }
}

TEST(SessionEventTable, EveryEventHasItsOwnKey) {
    QSet<QString> keys;
    for (int name = 0; name <= static_cast<int>(SessionEventName::BannerReady); ++name)
        keys.insert(sessionEventKey(static_cast<SessionEventName>(name)));
    EXPECT_EQ(keys.size(), 11);
    EXPECT_FALSE(keys.contains(QString()));
    EXPECT_EQ(sessionEventKey(SessionEventName::ConnectionLost), QStringLiteral("connection_lost"));
}

TEST(SessionEventTable, PairsOutsideTheTableAreIgnored) {
    for (auto [kind, code] : {std::pair{1, 7}, {1, -1}, {2, 2}, {4, 0}, {5, 1}, {0, 0}})
        EXPECT_FALSE(sessionEventName(kind, code).has_value()) << kind << "," << code;
    EXPECT_EQ(sessionEventName(3, 12345), SessionEventName::MessageArrived);
}

namespace {

struct RecordingHandler : SessionEventHandler {
    std::vector<std::pair<int, int>> events;
    std::vector<QString> texts;
    std::vector<Qt::HANDLE> threads;
    void handleSessionEvent(int kind, int code) override {
        events.emplace_back(kind, code);
        threads.push_back(QThread::currentThreadId());
    }
    void handleMessages(std::vector<std::unique_ptr<TMSg>> records) override {
        batches.push_back(records.size());
        for (const std::unique_ptr<TMSg>& record : records)
            texts.push_back(record->Text);
        threads.push_back(QThread::currentThreadId());
    }
    void handleMessagesMayBeMissing(const QList<ContactId>& friends) override {
        texts.push_back(QStringLiteral("missing ") + friends.value(0).toText());
    }
    std::vector<size_t> batches;
    void handleTypingNotice(ContactId, bool) override {}
    void handleBuddyList(int, BuddyList) override {}
};

// Turns of the event loop until nothing is left to deliver: a large batch takes several.
void deliverAll() {
    for (int turn = 0; turn < 100; ++turn)
        QCoreApplication::sendPostedEvents();
}

} // namespace

TEST(QueuedEventSink, WorkerEventsArriveInOrderOnTheFrontEndThread) {
    RecordingHandler handler;
    QueuedEventSink sink(handler);
    std::vector<QString> seenBeforeReturn;

    std::atomic<bool> workerDone{false};
    std::thread worker([&] {
        sink.postEvent(SessionEventName::SignedIn);
        sink.postEvent(2, 0);
        for (int i = 0; i < 3; ++i) {
            auto record = std::make_unique<TMSg>();
            record->Text = QString::number(i);
            sink.sendMessage(std::move(record));
            // A sent record has been handled by the time the call returns.
            seenBeforeReturn.push_back(handler.texts.empty() ? QString() : handler.texts.back());
        }
        workerDone = true;
    });
    while (!workerDone)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    QCoreApplication::processEvents();

    EXPECT_EQ(handler.events, (std::vector<std::pair<int, int>>{{1, 1}, {2, 0}}));
    EXPECT_EQ(handler.texts, (std::vector<QString>{"0", "1", "2"}));
    EXPECT_EQ(seenBeforeReturn, (std::vector<QString>{"0", "1", "2"}));
    for (Qt::HANDLE id : handler.threads)
        EXPECT_EQ(id, QThread::currentThreadId());
}

// The long poll posts each answer's lines and goes back to the channel without waiting for a
// window that is busy: the batches queue up and are handled later, whole and in order.
TEST(QueuedEventSink, PostedBatchesDoNotWaitForTheFrontEndAndKeepTheirOrder) {
    RecordingHandler handler;
    QueuedEventSink sink(handler);
    std::thread worker([&] {
        for (int batch = 0; batch < 3; ++batch) {
            std::vector<std::unique_ptr<TMSg>> records;
            for (int i = 0; i < 2; ++i) {
                records.push_back(std::make_unique<TMSg>());
                records.back()->Text = QString::number(batch * 2 + i);
            }
            sink.postMessages(std::move(records));
        }
        sink.postMessagesMayBeMissing({ContactId::fromText(QStringLiteral("42"))});
    });
    worker.join(); // returns although this thread has not handled a single event yet
    EXPECT_TRUE(handler.texts.empty());
    deliverAll();
    EXPECT_EQ(handler.batches, (std::vector<size_t>{2, 2, 2}));
    EXPECT_EQ(handler.texts, (std::vector<QString>{"0", "1", "2", "3", "4", "5", "missing 42"}));
}

// A burst of thousands of lines reaches the front end in parts of a few hundred, one part per
// turn of its event loop, in order; a report made after it still comes after its last line, and
// a sent record after everything posted before it.
TEST(QueuedEventSink, ABigBatchIsHandedOnAPartPerTurnAndStaysInOrder) {
    RecordingHandler handler;
    QueuedEventSink sink(handler);
    std::vector<std::unique_ptr<TMSg>> records;
    for (int i = 0; i < 1000; ++i) {
        records.push_back(std::make_unique<TMSg>());
        records.back()->Text = QString::number(i);
    }
    sink.postMessages(std::move(records));
    sink.postMessagesMayBeMissing({ContactId::fromText(QStringLiteral("42"))});
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(handler.texts.size(), size_t(QueuedEventSink::kLinesPerTurn))
        << "one turn hands on one part";
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(handler.texts.size(), size_t(2 * QueuedEventSink::kLinesPerTurn));
    deliverAll();
    ASSERT_EQ(handler.texts.size(), 1001u);
    for (const size_t part : handler.batches)
        EXPECT_LE(part, size_t(QueuedEventSink::kLinesPerTurn));
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(handler.texts[size_t(i)], QString::number(i));
    EXPECT_EQ(handler.texts.back(), QStringLiteral("missing 42"));

    // Parts still waiting for their turn go on before a sent record, and before an owner acts
    // on a worker's end.
    handler.texts.clear();
    for (const bool sent : {true, false}) {
        records.clear();
        for (int i = 0; i < 600; ++i)
            records.push_back(std::make_unique<TMSg>());
        sink.postMessages(std::move(records));
        QCoreApplication::sendPostedEvents();
        ASSERT_LT(handler.texts.size(), 600u);
        if (sent) {
            std::thread worker([&] {
                auto record = std::make_unique<TMSg>();
                record->Text = QStringLiteral("sent");
                sink.sendMessage(std::move(record));
            });
            while (handler.texts.empty() || handler.texts.back() != QStringLiteral("sent"))
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            worker.join();
            EXPECT_EQ(handler.texts.size(), 601u);
        } else {
            sink.handOnWaiting();
            EXPECT_EQ(handler.texts.size(), 600u);
        }
        handler.texts.clear();
        deliverAll();
        EXPECT_TRUE(handler.texts.empty()) << "nothing twice";
    }
}

// Batches that were still queued when the front end went away are freed, not handed on.
TEST(QueuedEventSink, BatchesQueuedBeforeCloseAreDropped) {
    RecordingHandler handler;
    QueuedEventSink sink(handler);
    std::vector<std::unique_ptr<TMSg>> records;
    records.push_back(std::make_unique<TMSg>());
    sink.postMessages(std::move(records));
    sink.close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(handler.texts.empty());
}

TEST(QueuedEventSink, RecordSentFromTheFrontEndThreadIsHandledDirectly) {
    RecordingHandler handler;
    QueuedEventSink sink(handler);
    auto record = std::make_unique<TMSg>();
    record->Text = QStringLiteral("replayed");
    sink.sendMessage(std::move(record)); // would deadlock if it waited on its own thread
    EXPECT_EQ(handler.texts, (std::vector<QString>{"replayed"}));
}

TEST(SessionState, SharedTextsAreReplacedWhole) {
    SessionState state;
    const QString a(1000, QLatin1Char('a')), b(2000, QLatin1Char('b'));
    std::atomic<bool> done{false};
    QThread* writer = QThread::create([&] {
        for (int i = 0; i < 2000; ++i)
            state.ChannelName.set(i % 2 ? a : b);
        done = true;
    });
    writer->start();
    while (!done) {
        const QString seen = state.ChannelName.get();
        ASSERT_TRUE(seen.isEmpty() || seen == a || seen == b);
    }
    writer->wait();
    delete writer;
}
