// The splash: shown while the start-up check runs, then hidden for the rest of the run, when it
// holds neither its picture nor its window's pixels.
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "app/ui/splash_screen.h"
#include "support/qt_printers.h"

namespace quillo {
namespace {

TEST(SplashScreen, HiddenItKeepsNoPixelsAndShownAgainItLooksTheSame) {
    SplashScreen splash;
    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    const auto* picture = splash.findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->pixmap().size(), QSize(467, 313));
    const QImage shown = splash.grab().toImage();

    splash.hide();
    EXPECT_TRUE(QTest::qWaitFor([&] { return picture->pixmap().isNull(); }));
    EXPECT_EQ(splash.windowHandle(), nullptr);

    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    EXPECT_EQ(picture->pixmap().size(), QSize(467, 313));
    EXPECT_EQ(splash.grab().toImage(), shown);
}

} // namespace
} // namespace quillo
