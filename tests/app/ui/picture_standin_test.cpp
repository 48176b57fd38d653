// Pictures of remote parties in the whole program against the stand-in's picture host: the
// user's own and each chat tab's come at the size shown, decoded on the engine's two picture
// workers however many tabs open at once (and not fetched for a tab closed before its turn);
// a hostile picture is refused on a worker while the windows go on.
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>

#include "app/session_engine.h"
#include "app/ui/main_window.h"
#include "app/ui/messenger.h"
#include "app/ui/picture_decoder.h"
#include "conversation/ui/chat_tab.h"
#include "conversation/ui/chat_window.h"
#include "harness/demo_accounts.h"
#include "hostile_pictures.h"
#include "signed_in_messenger.h"

using namespace quillo;
using namespace quillo::test;

namespace {

// The program's own decoder, watched: where and when it ran. Shared with the engine's workers,
// which may outlive the test's own members.
struct DecodingWatch {
    std::mutex mutex;
    QElapsedTimer clock;
    QSet<QThread*> threads;
    int underWay = 0;
    int mostAtOnce = 0;
    int done = 0;
    QList<QPair<qint64, qint64>> spans; // ms from the clock's start, of each decoding

    DecodingWatch() { clock.start(); }
};

QImage shownPicture(const QLabel* label) {
    return label ? label->pixmap().toImage() : QImage();
}

class PictureStandInTest : public SignedInMessengerTest {
protected:
    void watchDecoding() {
        messenger_->engine().enablePictures([watch = watch_](const QByteArray& bytes, QSize size) {
            qint64 start = 0;
            {
                std::lock_guard lock(watch->mutex);
                watch->threads.insert(QThread::currentThread());
                watch->mostAtOnce = std::max(watch->mostAtOnce, ++watch->underWay);
                start = watch->clock.elapsed();
            }
            QVariant picture = DecodeShownPicture(bytes, size);
            std::lock_guard lock(watch->mutex);
            --watch->underWay;
            ++watch->done;
            watch->spans.append({start, watch->clock.elapsed()});
            return picture;
        });
    }
    int decoded() {
        std::lock_guard lock(watch_->mutex);
        return watch_->done;
    }
    // The picture host answers with body for the pictures of id.
    void servePicture(const QString& id, const QByteArray& body) {
        // A JSON text carries these bytes unchanged only while they are ASCII.
        ASSERT_TRUE(std::all_of(body.begin(), body.end(), [](char c) { return c >= 0; }));
        standin_.control(QStringLiteral("faults"), {{"host", "profile.*"},
                                                    {"path", QStringLiteral("/pics/*%1.*").arg(id)},
                                                    {"action", "body"},
                                                    {"body", QString::fromLatin1(body)}});
    }
    // Friends with a picture and no tab yet (the history replay opens some), once every tab
    // open has its picture.
    QStringList friendsWithoutTab() {
        EXPECT_TRUE(runUntil([&] {
            const QList<ChatTab*> open = chat()->tabs();
            return std::all_of(open.begin(), open.end(), [](const ChatTab* tab) {
                return !pictureOf(tab)->pixmap().isNull();
            });
        }));
        QStringList ids;
        const QString pictures =
            QString::fromUtf8(messenger_->engine().state().FriendPictures.get());
        for (const QString& line : pictures.split(u'\n', Qt::SkipEmptyParts)) {
            const QString id = line.section(u':', 0, 0);
            if (!chat()->tabOf(ContactId::fromText(id)))
                ids.append(id);
        }
        return ids;
    }
    ChatWindow* chat() { return messenger_->chatWindow(); }
    static QLabel* pictureOf(const ChatTab* tab) {
        return tab ? tab->findChild<QLabel*>(QStringLiteral("Picture")) : nullptr;
    }
    QLabel* userPicture() { return main()->findChild<QLabel*>(QStringLiteral("profileImg")); }

    std::shared_ptr<DecodingWatch> watch_ = std::make_shared<DecodingWatch>();
};

TEST_F(PictureStandInTest, TheUsersOwnPictureComesAtItsShownSize) {
    // The service's picture of the user is 200x150; the header shows 50x50.
    ASSERT_TRUE(runUntil([&] { return shownPicture(userPicture()).size() == QSize(50, 37); }))
        << shownPicture(userPicture()).width() << 'x' << shownPicture(userPicture()).height();

    // A picture found again that is hostile is refused, on a worker; the one shown stays.
    watchDecoding();
    servePicture(kAlice, gifScreen(QSize(4976, 4976)));
    emit messenger_->engine().pictureFound(messenger_->engine().state().PictureUrl.get());
    ASSERT_TRUE(runUntil([&] { return decoded() == 1; }));
    QTest::qWait(50);
    EXPECT_EQ(shownPicture(userPicture()).size(), QSize(50, 37));
    std::lock_guard lock(watch_->mutex);
    EXPECT_FALSE(watch_->threads.contains(qApp->thread()));
}

TEST_F(PictureStandInTest, ManyTabsAtOnceShareTwoPictureWorkers) {
    const QStringList ids = friendsWithoutTab().mid(0, 16);
    ASSERT_EQ(ids.size(), 16);
    // Slow pictures, so that the tabs' fetches would all overlap if each had a thread.
    standin_.control(
        QStringLiteral("faults"),
        {{"host", "profile.*"}, {"path", "/pics/*"}, {"action", "delay"}, {"ms", 150}});
    const int requestsBefore = standin_.requests(QStringLiteral("path=/pics/*")).size();
    watchDecoding();

    QList<ChatTab*> tabs;
    for (const QString& id : ids)
        tabs.append(chat()->OpenConversationTab(ContactId::fromText(id), QString()));
    // The last four close at once: their turn comes when nobody waits for them any more.
    for (int i = 12; i < 16; ++i)
        tabs[i]->closeButton()->click();
    tabs = tabs.mid(0, 12);

    ASSERT_TRUE(runUntil(
        [&] {
            return std::all_of(tabs.begin(), tabs.end(), [](const ChatTab* tab) {
                return !pictureOf(tab)->pixmap().isNull();
            });
        },
        30000));
    QTest::qWait(300);
    for (const ChatTab* tab : std::as_const(tabs))
        EXPECT_EQ(shownPicture(pictureOf(tab)).size(), ChatTab::pictureSize());
    {
        std::lock_guard lock(watch_->mutex);
        EXPECT_EQ(watch_->done, 12);
        EXPECT_LE(watch_->mostAtOnce, 2);
        EXPECT_LE(watch_->threads.size(), 2);
        EXPECT_FALSE(watch_->threads.contains(qApp->thread()));
    }
    const QJsonArray requests = standin_.requests(QStringLiteral("path=/pics/*"));
    EXPECT_EQ(requests.size() - requestsBefore, 12) << "the closed tabs' pictures are not fetched";
}

TEST_F(PictureStandInTest, AHostilePictureIsRefusedOnAWorkerWhileTheWindowsGoOn) {
    // One friend's picture is a real GIF of 4976x4976 in 40 bytes: refused from its header. The
    // other's is the largest one taken, 4096x4096: decoded on a worker to the tab's size.
    const QStringList ids = friendsWithoutTab();
    ASSERT_GE(ids.size(), 2);
    servePicture(ids[0], gifScreen(QSize(4976, 4976)));
    servePicture(ids[1], gifScreen(QSize(4096, 4096)));
    watchDecoding();
    QList<qint64> ticks; // when the GUI thread took its timer, on the watch's clock
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] { ticks.append(watch_->clock.elapsed()); });
    timer.start(1);

    ChatTab* hostile = chat()->OpenConversationTab(ContactId::fromText(ids[0]), QString());
    ChatTab* large = chat()->OpenConversationTab(ContactId::fromText(ids[1]), QString());
    ASSERT_TRUE(runUntil([&] { return decoded() == 2 && !pictureOf(large)->pixmap().isNull(); }));
    QTest::qWait(50);
    timer.stop();

    EXPECT_TRUE(pictureOf(hostile)->pixmap().isNull());
    EXPECT_EQ(shownPicture(pictureOf(large)).size(), ChatTab::pictureSize());
    std::lock_guard lock(watch_->mutex);
    EXPECT_FALSE(watch_->threads.contains(qApp->thread()));
    // The longest decoding is the large one; the GUI thread took its timer meanwhile.
    const auto longest = std::max_element(
        watch_->spans.begin(), watch_->spans.end(),
        [](const auto& a, const auto& b) { return a.second - a.first < b.second - b.first; });
    ASSERT_NE(longest, watch_->spans.end());
    EXPECT_TRUE(
        std::any_of(ticks.begin(), ticks.end(),
                    [&](qint64 tick) { return tick > longest->first && tick < longest->second; }))
        << "no timer ran during the " << longest->second - longest->first << " ms of decoding";
}

} // namespace
