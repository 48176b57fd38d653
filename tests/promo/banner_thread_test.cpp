// The banner worker: with downloads a test controls, and once against the stand-in of the
// maker's banner host.
#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QMutex>
#include <QStringList>
#include <QThread>
#include <gtest/gtest.h>
#include <iostream>
#include <thread>

#include "harness/standin_process.h"
#include "prefs/settings.h"
#include "promo/banner_thread.h"
#include "promo/banners.h"
#include "session/answer_limits.h"
#include "support/oversized_answers.h"
#include "support/qt_printers.h"

using namespace quillo;
using namespace quillo::test;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

QString entry(const char* rank, const char* image, const char* duration) {
    return QStringLiteral("<B><COUNTRY>all</COUNTRY><LANGUAGE>all</LANGUAGE><GENDER>all</GENDER>"
                          "<AGE>all</AGE><EDUCATION>all</EDUCATION><INCOME>all</INCOME>"
                          "<IMAGE>%1</IMAGE><LINKTO>http://l.test/%2</LINKTO>"
                          "<DURATION>%3</DURATION><TOOLTIP>Hint %2</TOOLTIP><RANK>%2</RANK></B>")
        .arg(s(image), s(rank), s(duration));
}

QString document(const QStringList& entries) {
    return QStringLiteral("<BANNERS>") + entries.join(QString()) + QStringLiteral("</BANNERS>");
}

// Serves settings documents in turn (then empty text, which ends the worker) and pictures by
// address; records what the worker asked for and what it handed over.
class FakeBannerHost {
public:
    explicit FakeBannerHost(QStringList settings)
        : settings_(std::move(settings)) {}

    void addPicture(const char* address, const char* bytes) {
        pictures_.insert(s(address), QByteArray(bytes));
    }

    BannerSources sources() {
        return {[this] {
                    QMutexLocker lock(&mutex_);
                    ++settingsFetches_;
                    return settings_.isEmpty() ? QString() : settings_.takeFirst();
                },
                [this](const QString& address) {
                    QMutexLocker lock(&mutex_);
                    pictureFetches_.append(address);
                    return pictures_.value(address);
                }};
    }

    // Accepts any bytes but "broken"; the picture is the bytes as text.
    static QVariant decode(const QByteArray& bytes, const QByteArray& format) {
        if (bytes == "broken")
            return {};
        return QString::fromLatin1(format + ':' + bytes);
    }

    BannerReady ready() {
        return [this](Banner banner) {
            QMutexLocker lock(&mutex_);
            shown_.append(banner.picture.toString() + u' ' + banner.link + u' ' + banner.hint);
            shownFlag_ = true;
        };
    }

    void run(const WaitableFlag& stop, BannerTiming timing) {
        RunBanners(sources(), user_, &FakeBannerHost::decode, ready(), stop, timing);
    }

    int settingsFetches() const {
        QMutexLocker lock(&mutex_);
        return settingsFetches_;
    }
    QStringList pictureFetches() const {
        QMutexLocker lock(&mutex_);
        return pictureFetches_;
    }
    QStringList shown() const {
        QMutexLocker lock(&mutex_);
        return shown_;
    }

    TDemographic user_;
    WaitableFlag shownFlag_; // set at the first banner handed over

private:
    mutable QMutex mutex_;
    QStringList settings_;
    QHash<QString, QByteArray> pictures_;
    int settingsFetches_ = 0;
    QStringList pictureFetches_;
    QStringList shown_;
};

// A minute of a test lasts as long as a minute: a wait the worker should not make shows.
constexpr BannerTiming kRealMinutes{60000, 60000};

} // namespace

TEST(BannerWorker, ShowsBannersInRankOrderAndSkipsThoseWithoutAPicture) {
    FakeBannerHost host({document({
        entry("2", "http://b.test/two.gif", "0"),
        entry("3", "http://b.test/three.bmp", "10m"),   // a format the strip cannot show
        entry("4", "http://b.test/broken.png", "10m"),  // bytes that do not decode
        entry("5", "http://b.test/missing.png", "10m"), // nothing downloaded
        entry("6", "", "10m"),                          // no address
        entry("10", "http://b.test/ten.jpg", "0m"),
        entry("1", "http://b.test/one.png", "0"),
    })});
    host.addPicture("http://b.test/one.png", "1");
    host.addPicture("http://b.test/ten.jpg", "10");
    host.addPicture("http://b.test/two.gif", "2");
    host.addPicture("http://b.test/broken.png", "broken");
    host.addPicture("http://b.test/three.bmp", "3");

    WaitableFlag stop;
    QElapsedTimer clock;
    clock.start();
    host.run(stop, kRealMinutes);

    // A skipped banner costs no wait, and the second download (empty) ends the worker.
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(host.shown(),
              QStringList({s("PNG:1 http://l.test/1 Hint 1"), s("JPEG:10 http://l.test/10 Hint 10"),
                           s("GIF:2 http://l.test/2 Hint 2")}));
    EXPECT_EQ(host.settingsFetches(), 2);
    EXPECT_FALSE(host.pictureFetches().contains(s("http://b.test/three.bmp")));
}

TEST(BannerWorker, EveryPassDownloadsTheSettingsAgain) {
    const QString one = document({entry("1", "http://b.test/one.png", "0")});
    const QString two = document({entry("1", "http://b.test/two.png", "0")});
    FakeBannerHost host({one, two});
    host.addPicture("http://b.test/one.png", "one");
    host.addPicture("http://b.test/two.png", "two");
    WaitableFlag stop;
    host.run(stop, kRealMinutes);
    EXPECT_EQ(host.shown(), QStringList({s("PNG:one http://l.test/1 Hint 1"),
                                         s("PNG:two http://l.test/1 Hint 1")}));
}

TEST(BannerWorker, APassWithNothingShownPausesBeforeTheNextDownload) {
    const QString nothing = document({entry("1", "http://b.test/missing.png", "0")});
    FakeBannerHost host({nothing, nothing});
    WaitableFlag stop;
    QElapsedTimer clock;
    clock.start();
    host.run(stop, BannerTiming{60000, 300});
    EXPECT_GE(clock.elapsed(), 2 * 300);
    EXPECT_EQ(host.settingsFetches(), 3);
    EXPECT_TRUE(host.shown().isEmpty());
}

TEST(BannerWorker, NoBannerForTheUserEndsTheWorker) {
    const struct {
        const char* what;
        QString settings;
    } cases[] = {
        {"a failed download", QString()},
        {"an error page", s("<html><body>Service Unavailable")},
        {"no entry for the user",
         document({entry("1", "http://b.test/one.png", "0")
                       .replace(QStringLiteral("<COUNTRY>all"), QStringLiteral("<COUNTRY>Eire"))})},
        {"no entries", s("<BANNERS></BANNERS>")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // A second document would be shown if the worker went on.
        FakeBannerHost host({c.settings, document({entry("1", "http://b.test/one.png", "0")})});
        host.addPicture("http://b.test/one.png", "1");
        host.user_.Country.set(s("Ireland"));
        WaitableFlag stop;
        QElapsedTimer clock;
        clock.start();
        host.run(stop, kRealMinutes);
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(host.settingsFetches(), 1);
        EXPECT_TRUE(host.shown().isEmpty());
    }
}

TEST(BannerWorker, ExitEndsAnyWaitAtOnce) {
    const struct {
        const char* what;
        const char* duration;
        const char* picture; // nullptr: none, the worker waits out an empty pass
    } cases[] = {
        {"a banner's minutes", "10m", "1"},
        {"more minutes than a clock can count", "2000000000", "1"},
        {"the pause after an empty pass", "10m", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString settings = document({entry("1", "http://b.test/one.png", c.duration)});
        FakeBannerHost host({settings, settings});
        if (c.picture)
            host.addPicture("http://b.test/one.png", c.picture);
        WaitableFlag stop;
        WaitableFlag ended;
        std::thread worker([&] {
            host.run(stop, BannerTiming{60000, 600000});
            ended = true;
        });
        if (c.picture) {
            EXPECT_TRUE(host.shownFlag_.waitFor(std::chrono::seconds(5)));
        }
        // Still waiting, not run through: the second document is not asked for.
        EXPECT_FALSE(ended.waitFor(std::chrono::milliseconds(200)));
        EXPECT_EQ(host.settingsFetches(), 1);

        QElapsedTimer clock;
        clock.start();
        stop = true;
        const bool endedInTime = ended.waitFor(std::chrono::milliseconds(500));
        EXPECT_TRUE(endedInTime) << "still waiting after " << clock.elapsed() << " ms";
        worker.join();
        EXPECT_EQ(host.settingsFetches(), 1);
    }
}

TEST(BannerWorker, ShowsTheMakersBannersAndStopsInTheMiddleOfADownload) {
    StandInProcess standin;
    ASSERT_TRUE(standin.started()) << standin.problem().toStdString();
    const Endpoints endpoints = standin.endpoints();

    TDemographic user;
    user.Country.set(s("Ireland"));
    user.Language.set(s("English"));
    user.Gender.set(s("male"));
    user.Age.set(s("18-24"));

    // The program's decoder makes pictures; this one keeps the bytes and their format.
    const BannerDecoder keepBytes = [](const QByteArray& bytes, const QByteArray& format) {
        return bytes.isEmpty() ? QVariant() : QVariant(format + ' ' + bytes);
    };
    QMutex mutex;
    QList<Banner> banners;
    WaitableFlag threeShown;
    const BannerReady ready = [&](Banner banner) {
        QMutexLocker lock(&mutex);
        banners.append(std::move(banner));
        if (banners.size() == 3)
            threeShown = true;
    };

    WaitableFlag stop;
    TransferRegistry inFlight;
    const Interruption exit{&inFlight, [] { return false; }};
    WaitableFlag ended;
    std::thread worker([&] {
        RunBanners(MakerBannerSources(endpoints, stop, exit), user, keepBytes, ready, stop,
                   BannerTiming{1, 1});
        ended = true;
    });

    const bool shown = threeShown.waitFor(std::chrono::seconds(20));
    // From now on every download hangs: the worker is soon in the middle of one. (Not for
    // longer: the stand-in finishes a delayed answer before it ends.)
    standin.control(QStringLiteral("faults"),
                    {{"host", endpoints.bannerHost}, {"action", "delay"}, {"ms", 2500}});
    QThread::msleep(300);
    QElapsedTimer clock;
    clock.start();
    stop = true;
    inFlight.wakeAll(); // as the program's shutdown does
    const bool endedInTime = ended.waitFor(std::chrono::milliseconds(500));
    EXPECT_TRUE(endedInTime) << "still downloading after " << clock.elapsed() << " ms";
    worker.join();

    ASSERT_TRUE(shown);
    QMutexLocker lock(&mutex);
    // For this user: ranks 1, 10 and 2, the German and the women's banners left out.
    const struct {
        const char* start;
        const char* banner;
        const char* hint;
    } expected[] = {
        {"PNG \x89PNG", "0", "Quillo for Facebook: chat from your desktop"},
        {"JPEG \xFF\xD8", "1", "Talk to your friends & family"},
        {"GIF GIF8", "2", "Meet new friends online"},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(banners[i].picture.toByteArray().startsWith(expected[i].start));
        EXPECT_EQ(banners[i].link, QStringLiteral("http://") + endpoints.makerWebHost +
                                       QStringLiteral("/index.php?lang=en&banner=") +
                                       s(expected[i].banner));
        EXPECT_TRUE(BannerLinkOpenable(banners[i].link));
        EXPECT_EQ(banners[i].hint, s(expected[i].hint));
    }
}

TEST(BannerWorker, AnAnswerWithoutEndFailsItsDownloadAtOnceWithinItsLimit) {
    StandInProcess standin;
    ASSERT_TRUE(standin.started()) << standin.problem().toStdString();
    const Endpoints endpoints = standin.endpoints();
    WaitableFlag stop;
    const BannerSources sources = MakerBannerSources(endpoints, stop);
    const QString picture =
        QStringLiteral("http://") + endpoints.bannerHost + QStringLiteral("/banners/banner1.png");
    const struct {
        const char* kind;
        const char* path;
        qsizetype limit;
        std::function<bool()> failed; // the download, true when it came back empty
    } kinds[] = {
        {"banner document", "/settings.xml", answer_limits::kBannerSettings,
         [&] { return sources.settingsText().isEmpty(); }},
        {"banner picture", "/banners/*", answer_limits::kBannerPicture,
         [&] { return sources.picture(picture).isEmpty(); }},
    };
    for (const auto& k : kinds) {
        ASSERT_FALSE(k.failed()) << k.kind << " arrives without a fault";
        for (const char* action : kOversizedFaults) {
            SCOPED_TRACE(std::string(k.kind) + ", " + action);
            standin.control(QStringLiteral("faults"), {{"host", endpoints.bannerHost},
                                                       {"path", QLatin1String(k.path)},
                                                       {"action", QLatin1String(action)},
                                                       {"count", 1}});
            bool failed = false;
            const RequestCost cost = measureRequest([&] { failed = k.failed(); });
            EXPECT_TRUE(failed);
            EXPECT_LT(cost.elapsedMs, 15000);
            EXPECT_LE(cost.peakGrowthBytes, allowedGrowthBytes(k.limit));
            std::cout << "[ figures  ] " << k.kind << ", " << action << ": " << cost.elapsedMs
                      << " ms, peak memory +" << megabytes(cost.peakGrowthBytes) << " (limit "
                      << megabytes(k.limit) << ")\n";
        }
        EXPECT_TRUE(standin.controlGet(QStringLiteral("faults")).array().isEmpty()) << "all met";
    }
}

TEST(BannerWorker, ADownloadThatThrowsFailsLikeABrokenOne) {
    StandInProcess standin;
    ASSERT_TRUE(standin.started()) << standin.problem().toStdString();
    WaitableFlag stop;
    // The interruption is asked on the worker, inside each download.
    const BannerSources sources = MakerBannerSources(
        standin.endpoints(), stop, Interruption{nullptr, []() -> bool { throw std::bad_alloc(); }});
    EXPECT_TRUE(sources.settingsText().isEmpty());
    EXPECT_TRUE(
        sources.picture(QStringLiteral("http://banner.quillo.test/banners/banner1.png")).isEmpty());
    // The worker itself ends as after any failed download of the settings.
    TDemographic user;
    RunBanners(
        sources, user, [](const QByteArray&, const QByteArray&) { return QVariant(); },
        [](Banner) {}, stop);
}
