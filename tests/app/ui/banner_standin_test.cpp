// The banner strip of the main window against the stand-in's banner host: a banner shows with
// its hint, a click opens its web address and nothing else, and the last picture is kept for
// the next start in the user's own folder.
#include <QFile>
#include <QLabel>
#include <QUrl>
#include <gtest/gtest.h>

#include "app/ui/main_window.h"
#include "app/ui/messenger.h"
#include "conversation/ui/link_label.h"
#include "harness/standin_process.h"
#include "platform/folders.h"
#include "platform/memory_settings_store.h"
#include "platform/ui/plain_text.h"
#include "signed_in_messenger.h"
#include "support/temp_home.h"

using namespace quillo;
using namespace quillo::test;

namespace {

class BannerStandInTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standin_.started()) << standin_.problem().toStdString(); }

    // The program up to its main window, with the clicked addresses noted.
    std::unique_ptr<Messenger> start() {
        auto messenger = std::make_unique<Messenger>(std::make_unique<MemorySettingsStore>(),
                                                     standin_.endpoints());
        messenger->setUrlOpener([this](const QUrl& url) { opened_.append(url); });
        messenger->start();
        EXPECT_TRUE(runUntil(
            [&] { return messenger->mainWindow() && messenger->mainWindow()->isVisible(); }));
        return messenger;
    }
    static QLabel* strip(Messenger& messenger) {
        return messenger.mainWindow()->findChild<QLabel*>(QStringLiteral("advImg"));
    }
    void serveSettings(const QString& link) {
        const QString image = QStringLiteral("http://") + standin_.endpoints().bannerHost +
                              QStringLiteral("/banners/banner0.png");
        const QString xml =
            QStringLiteral("<BANNERS><B><COUNTRY>all</COUNTRY><LANGUAGE>all</LANGUAGE>"
                           "<GENDER>all</GENDER><AGE>all</AGE><EDUCATION>all"
                           "</EDUCATION><INCOME>all</INCOME><IMAGE>%1</IMAGE>"
                           "<LINKTO>%2</LINKTO><DURATION>1</DURATION>"
                           "<TOOLTIP>tip</TOOLTIP><RANK>1</RANK></B></BANNERS>")
                .arg(image, link.toHtmlEscaped());
        standin_.control(QStringLiteral("faults"),
                         {{"path", "/settings.xml"}, {"action", "body"}, {"body", xml}});
    }

    TempHome home_;
    StandInProcess standin_;
    QList<QUrl> opened_;
};

} // namespace

TEST_F(BannerStandInTest, ABannerShowsAndItsClickOpensItsWebAddress) {
    std::unique_ptr<Messenger> messenger = start();
    QLabel* banner = strip(*messenger);
    ASSERT_TRUE(runUntil([&] { return !banner->pixmap().isNull(); }));
    EXPECT_TRUE(banner->isVisibleTo(messenger->mainWindow()));
    EXPECT_EQ(banner->toolTip(),
              plainToolTip(QStringLiteral("Quillo for Facebook: chat from your desktop")));
    emit static_cast<LinkLabel*>(banner)->clicked();
    ASSERT_EQ(opened_.size(), 1);
    EXPECT_EQ(opened_[0].scheme(), QStringLiteral("http"));
    EXPECT_TRUE(opened_[0].toString().contains(QStringLiteral("banner=0")));
}

// The stand-in's banners are 468 pixels wide, the window 350: the banner is shown whole,
// scaled to the strip with its proportions kept, not cut to its middle.
TEST_F(BannerStandInTest, AWideBannerIsFittedToTheStripWhole) {
    std::unique_ptr<Messenger> messenger = start();
    QLabel* banner = strip(*messenger);
    ASSERT_TRUE(runUntil([&] { return !banner->pixmap().isNull(); }));
    const QPixmap original = messenger->mainWindow()->bannerPicture();
    const QPixmap shown = banner->pixmap();
    const QSizeF shownSize = QSizeF(shown.size()) / shown.devicePixelRatio();
    ASSERT_GT(original.width(), messenger->mainWindow()->width())
        << "a banner wider than the window";
    EXPECT_LE(shownSize.width(), banner->parentWidget()->width());
    // Within a pixel's rounding of the height.
    const double ratio = double(original.width()) / original.height();
    EXPECT_NEAR(shownSize.width() / shownSize.height(), ratio, 0.03 * ratio);
    EXPECT_EQ(messenger->mainWindow()
                  ->findChild<QLabel*>(QStringLiteral("Panel2"))
                  ->palette()
                  .color(QPalette::Window),
              QColor(0xC0, 0xDC, 0xC0))
        << "clMoneyGreen";
}

TEST_F(BannerStandInTest, ALinkThatIsNoWebAddressIsNotOpened) {
    const QString links[] = {QStringLiteral("file:///etc/passwd"), QStringLiteral("/usr/bin/xterm"),
                             QStringLiteral("javascript:alert(1)")};
    for (const QString& link : links) {
        SCOPED_TRACE(link.toStdString());
        standin_.control(QStringLiteral("faults/clear"));
        serveSettings(link);
        std::unique_ptr<Messenger> messenger = start();
        QLabel* banner = strip(*messenger);
        ASSERT_TRUE(
            runUntil([&] { return banner->toolTip() == plainToolTip(QStringLiteral("tip")); }));
        emit static_cast<LinkLabel*>(banner)->clicked();
        EXPECT_TRUE(opened_.isEmpty());
    }
}

TEST_F(BannerStandInTest, TheLastBannerIsKeptForTheNextStartAndABrokenCacheIsNone) {
    {
        std::unique_ptr<Messenger> messenger = start();
        ASSERT_TRUE(runUntil([&] { return !strip(*messenger)->pixmap().isNull(); }));
        messenger->exit();
    }
    const QString cache = Messenger::bannerCacheFile();
    ASSERT_TRUE(QFile::exists(cache));
    EXPECT_TRUE(cache.startsWith(UserDataFolder()));
    EXPECT_TRUE(QFile::permissions(cache) & QFileDevice::ReadOwner);

    // No banner comes this time: the strip shows the kept one from the start.
    standin_.control(QStringLiteral("faults"), {{"path", "/settings.xml"}, {"action", "status"}});
    {
        std::unique_ptr<Messenger> messenger = start();
        EXPECT_FALSE(strip(*messenger)->pixmap().isNull());
        messenger->exit();
    }
    QFile broken(cache);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("not a picture");
    broken.close();
    std::unique_ptr<Messenger> messenger = start();
    EXPECT_TRUE(strip(*messenger)->pixmap().isNull());
    EXPECT_TRUE(strip(*messenger)->isHidden());
}
