// The picture loader on its own, with a picture host double whose downloads wait at a gate: a
// bounded pool however many ask at once, one fetch for the same picture in flight, nothing for
// an asker that is gone (nor a fetch when every asker went before it began), a failure that
// ends one picture only, and an end that waits for the downloads under way and reports nothing.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "app/picture_loader.h"

using namespace quillo;

namespace {

const QSize kTabSize(49, 49);

bool runUntil(const std::function<bool()>& check, int timeoutMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!check()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void settle(int ms) {
    runUntil([] { return false; }, ms);
}

// Downloads that wait until the gate opens; what each thread did, counted.
class FakeHost {
public:
    QByteArray fetch(const QString& url) {
        std::unique_lock lock(mutex_);
        ++fetches_[url];
        fetchThreads_.insert(QThread::currentThread());
        ++underWay_;
        mostAtOnce_ = std::max(mostAtOnce_, underWay_);
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
        --underWay_;
        if (url.startsWith(u"throw") && fetches_[url] == 1)
            throw std::runtime_error("the host double fails once");
        return url.toUtf8();
    }
    QVariant decode(const QByteArray& bytes, QSize size) {
        std::lock_guard lock(mutex_);
        decodeThreads_.insert(QThread::currentThread());
        return QString::fromUtf8(bytes) +
               QStringLiteral(" at %1x%2").arg(size.width()).arg(size.height());
    }
    PictureFetch fetcher() {
        return [this](const QString& url) { return fetch(url); };
    }
    PictureDecoder decoder() {
        return [this](const QByteArray& bytes, QSize size) { return decode(bytes, size); };
    }

    void open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }
    bool waitUnderWay(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10),
                                 [&] { return underWay_ >= count; });
    }
    int fetches(const QString& url) {
        std::lock_guard lock(mutex_);
        return fetches_.value(url);
    }
    int mostAtOnce() {
        std::lock_guard lock(mutex_);
        return mostAtOnce_;
    }
    QSet<QThread*> fetchThreads() {
        std::lock_guard lock(mutex_);
        return fetchThreads_;
    }
    QSet<QThread*> decodeThreads() {
        std::lock_guard lock(mutex_);
        return decodeThreads_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    int underWay_ = 0;
    int mostAtOnce_ = 0;
    QHash<QString, int> fetches_;
    QSet<QThread*> fetchThreads_;
    QSet<QThread*> decodeThreads_;
};

// What one asker heard, and on which thread.
struct Heard {
    QList<QVariant> pictures;
    bool elsewhere = false; // a completion ran off the owner's thread
};

class PictureLoaderTest : public ::testing::Test {
protected:
    PictureLoaderTest() { loader_.setDecoder(host_.decoder()); }
    ~PictureLoaderTest() override {
        host_.open();
        loader_.stop();
    }

    void ask(const QString& url, QObject* context, QSize size = kTabSize) {
        loader_.load(url, size, context, [this, context](const QVariant& picture) {
            Heard& heard = heard_[context];
            heard.pictures.append(picture);
            heard.elsewhere = heard.elsewhere || QThread::currentThread() != qApp->thread();
        });
    }
    int heardCount() const {
        int count = 0;
        for (const Heard& heard : heard_)
            count += static_cast<int>(heard.pictures.size());
        return count;
    }

    FakeHost host_;
    PictureLoader loader_{host_.fetcher()};
    QHash<const QObject*, Heard> heard_;
};

TEST_F(PictureLoaderTest, TwoWorkersFetchAndDecodeHoweverManyTabsAskAtOnce) {
    std::vector<std::unique_ptr<QObject>> tabs;
    for (int i = 0; i < 12; ++i) {
        tabs.push_back(std::make_unique<QObject>());
        ask(QStringLiteral("http://pics.test/q%1.jpg").arg(i), tabs.back().get());
    }
    ASSERT_TRUE(host_.waitUnderWay(2));
    settle(50); // a third worker, were there one, would have begun by now
    EXPECT_EQ(host_.mostAtOnce(), 2);
    EXPECT_EQ(loader_.threadCount(), 2);

    host_.open();
    ASSERT_TRUE(runUntil([&] { return heardCount() == 12; }));
    for (int i = 0; i < 12; ++i) {
        const Heard& heard = heard_[tabs[i].get()];
        ASSERT_EQ(heard.pictures.size(), 1);
        EXPECT_EQ(heard.pictures[0].toString(),
                  QStringLiteral("http://pics.test/q%1.jpg at 49x49").arg(i));
        EXPECT_FALSE(heard.elsewhere) << "a completion must run on the owner's thread";
    }
    EXPECT_LE(host_.fetchThreads().size(), 2);
    EXPECT_FALSE(host_.decodeThreads().contains(qApp->thread()))
        << "the owner's thread never decodes";
    EXPECT_EQ(host_.decodeThreads(), host_.fetchThreads());
}

TEST_F(PictureLoaderTest, TheSamePictureInFlightIsFetchedOnceForEveryAsker) {
    const QString url = QStringLiteral("http://pics.test/q1.jpg");
    QObject first, second, larger;
    auto gone = std::make_unique<QObject>();
    ask(url, &first);
    ask(url, gone.get());
    ask(url, &second);
    ask(url, &larger, QSize(200, 150)); // another size is another picture
    ASSERT_TRUE(host_.waitUnderWay(2));
    gone.reset(); // one asker of several goes: the others still wait for the same fetch
    host_.open();
    ASSERT_TRUE(runUntil([&] { return heardCount() == 3; }));
    settle(50);

    EXPECT_EQ(host_.fetches(url), 2);
    EXPECT_EQ(heard_[&first].pictures, QVariantList{url + QStringLiteral(" at 49x49")});
    EXPECT_EQ(heard_[&second].pictures, QVariantList{url + QStringLiteral(" at 49x49")});
    EXPECT_EQ(heard_[&larger].pictures, QVariantList{url + QStringLiteral(" at 200x150")});
    EXPECT_EQ(heardCount(), 3);

    // Once in, the next ask fetches afresh: nothing is kept.
    ask(url, &first);
    ASSERT_TRUE(runUntil([&] { return heard_[&first].pictures.size() == 2; }));
    EXPECT_EQ(host_.fetches(url), 3);
}

TEST_F(PictureLoaderTest, AnAskerThatIsGoneHearsNothingAndIsNotFetchedFor) {
    auto closedWhileFetching = std::make_unique<QObject>();
    auto closedWhileQueued = std::make_unique<QObject>();
    QObject open;
    const QObject* closedEarly = closedWhileFetching.get();
    ask(QStringLiteral("http://pics.test/a.jpg"), closedWhileFetching.get());
    ask(QStringLiteral("http://pics.test/b.jpg"), &open);
    ask(QStringLiteral("http://pics.test/c.jpg"), closedWhileQueued.get());
    ASSERT_TRUE(host_.waitUnderWay(2)); // a and b under way, c queued
    closedWhileFetching.reset();
    closedWhileQueued.reset();
    host_.open();
    ASSERT_TRUE(runUntil([&] { return heard_[&open].pictures.size() == 1; }));
    settle(100);

    EXPECT_FALSE(heard_.contains(closedEarly));
    EXPECT_EQ(heardCount(), 1);
    EXPECT_EQ(host_.fetches(QStringLiteral("http://pics.test/a.jpg")), 1);
    EXPECT_EQ(host_.fetches(QStringLiteral("http://pics.test/c.jpg")), 0)
        << "nobody waited for it any more when its turn came";
}

TEST_F(PictureLoaderTest, AFetchThatThrowsFailsThatPictureOnlyAndIsTriedAgainLater) {
    QObject tab, other;
    host_.open();
    ask(QStringLiteral("throw.jpg"), &tab);
    ask(QStringLiteral("fine.jpg"), &other);
    ASSERT_TRUE(runUntil([&] { return heardCount() == 2; }));
    ASSERT_EQ(heard_[&tab].pictures.size(), 1);
    EXPECT_FALSE(heard_[&tab].pictures[0].isValid()) << "a failure is an empty picture";
    EXPECT_EQ(heard_[&other].pictures, QVariantList{QStringLiteral("fine.jpg at 49x49")});

    ask(QStringLiteral("throw.jpg"), &tab);
    ASSERT_TRUE(runUntil([&] { return heard_[&tab].pictures.size() == 2; }));
    EXPECT_EQ(heard_[&tab].pictures[1].toString(), QStringLiteral("throw.jpg at 49x49"));
}

TEST_F(PictureLoaderTest, StopWaitsForTheDownloadsUnderWayDropsTheRestAndReportsNothing) {
    std::vector<std::unique_ptr<QObject>> tabs;
    for (int i = 0; i < 6; ++i) {
        tabs.push_back(std::make_unique<QObject>());
        ask(QStringLiteral("http://pics.test/q%1.jpg").arg(i), tabs.back().get());
    }
    ASSERT_TRUE(host_.waitUnderWay(2));
    // The engine ends the downloads of an exit at once; here the gate opens a little later.
    std::thread interrupter([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        host_.open();
    });
    loader_.stop();
    interrupter.join();
    EXPECT_EQ(loader_.threadCount(), 0);
    settle(100);
    EXPECT_EQ(heardCount(), 0);
    int fetched = 0;
    for (int i = 0; i < 6; ++i)
        fetched += host_.fetches(QStringLiteral("http://pics.test/q%1.jpg").arg(i));
    EXPECT_EQ(fetched, 2);

    QObject late;
    ask(QStringLiteral("http://pics.test/late.jpg"), &late); // after the end: nothing starts
    settle(50);
    EXPECT_EQ(host_.fetches(QStringLiteral("http://pics.test/late.jpg")), 0);
}

TEST(PictureLoader, WithoutADecoderNothingIsFetched) {
    std::atomic<int> fetches = 0;
    PictureLoader loader([&](const QString&) {
        ++fetches;
        return QByteArray("x");
    });
    QObject tab;
    bool heard = false;
    loader.load(QStringLiteral("http://pics.test/q1.jpg"), kTabSize, &tab,
                [&](const QVariant&) { heard = true; });
    settle(50);
    EXPECT_EQ(fetches, 0);
    EXPECT_FALSE(heard);
}

} // namespace
