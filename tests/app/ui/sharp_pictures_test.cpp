// The pictures the program draws in code, at a screen's device pixel ratio: ratio times the
// pixels, marked with the ratio (so a widget shows them in the same room as at 1), and the same
// picture as at 1, only finer, not a corner of it or a blown-up copy.
#include <QImage>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

#include "app/ui/program_pictures.h"
#include "contacts/ui/buddy_tree_images.h"
#include "conversation/ui/tab_images.h"
#include "desktop/ui/desktop_pictures.h"
#include "support/qt_printers.h"

namespace quillo {
namespace {

struct DrawnCase {
    const char* name;
    QSize shown; // in the widget's units
    std::function<QImage(qreal ratio)> draw;
    friend void PrintTo(const DrawnCase& c, std::ostream* os) { *os << c.name; }
};

QImage pixels(const QPixmap& pixmap) {
    return pixmap.toImage();
}

QImage buddyTreeImage(int index, qreal ratio) {
    return DrawBuddyTreeImages(ratio).at(index);
}

// The mean difference per channel of two pictures of one size, 0 to 255.
double meanDifference(const QImage& a, const QImage& b) {
    const QImage left = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double sum = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y);
            const QRgb q = right.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        }
    }
    return sum / (4.0 * left.width() * left.height());
}

class SharpPictureTest : public ::testing::TestWithParam<DrawnCase> {};

TEST_P(SharpPictureTest, DrawnAtTheRatioInTheSameRoom) {
    const DrawnCase& c = GetParam();
    const QImage single = c.draw(1);
    ASSERT_EQ(single.size(), c.shown);
    EXPECT_EQ(single.devicePixelRatio(), 1.0);
    for (const qreal ratio : {2.0, 1.5}) {
        SCOPED_TRACE(ratio);
        const QImage fine = c.draw(ratio);
        EXPECT_EQ(fine.devicePixelRatio(), ratio);
        EXPECT_EQ(fine.size(), c.shown * ratio);
        EXPECT_EQ(fine.deviceIndependentSize().toSize(), c.shown);
        // Brought back to the pixels at 1 it is the same picture: drawn over the whole of it, at
        // the same places, not into the top left corner or at twice the size and cut.
        const QImage back = fine.scaled(c.shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LT(meanDifference(back, single), 16.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, SharpPictureTest,
    ::testing::Values(
        DrawnCase{"splash", {467, 313}, [](qreal r) { return pixels(SplashPicture(r)); }},
        DrawnCase{"login", {200, 72}, [](qreal r) { return pixels(LoginPicture(r)); }},
        DrawnCase{"busy", {48, 48}, [](qreal r) { return pixels(BusyPicture(r)); }},
        DrawnCase{"user", {50, 50}, [](qreal r) { return pixels(DefaultUserPicture(r)); }},
        DrawnCase{"logo",
                  {233, 65},
                  [](qreal r) {
                      return pixels(DrawProgramLogo({233, 65}, r));
                  }},
        DrawnCase{"close box", {8, 8}, [](qreal r) { return pixels(DrawCloseBox(r)); }},
        DrawnCase{"tray offline",
                  {16, 16},
                  [](qreal r) { return pixels(DrawTrayPicture(TrayState::Offline, r)); }},
        DrawnCase{"tray online",
                  {16, 16},
                  [](qreal r) { return pixels(DrawTrayPicture(TrayState::Online, r)); }},
        DrawnCase{"tab online",
                  {9, 9},
                  [](qreal r) { return pixels(DrawTabImage(TabImage::Online, r)); }},
        DrawnCase{"tab unread",
                  {9, 9},
                  [](qreal r) { return pixels(DrawTabImage(TabImage::Unread, r)); }},
        DrawnCase{"tab offline",
                  {9, 9},
                  [](qreal r) { return pixels(DrawTabImage(TabImage::Offline, r)); }},
        DrawnCase{"tree online dot", {12, 12}, [](qreal r) { return buddyTreeImage(0, r); }},
        DrawnCase{"tree offline dot", {12, 12}, [](qreal r) { return buddyTreeImage(1, r); }},
        DrawnCase{"tree collapsed", {12, 12}, [](qreal r) { return buddyTreeImage(2, r); }},
        DrawnCase{"tree expanded", {12, 12}, [](qreal r) { return buddyTreeImage(3, r); }},
        DrawnCase{"tree hidden", {12, 12}, [](qreal r) { return buddyTreeImage(4, r); }}),
    [](const ::testing::TestParamInfo<DrawnCase>& param) {
        std::string name = param.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

// The tray host docks the picture at its own size; the icon holds both sets of pixels, so a tray
// on a screen scaled by 2 gets the finer one rather than the 16 pixels blown up.
TEST(SharpPictures, TrayIconOffersTheFinePixels) {
    for (const TrayState state : {TrayState::Offline, TrayState::Online}) {
        const QIcon icon = DrawTrayIcon(state);
        const QPixmap fine = icon.pixmap(QSize(kTrayPictureSize, kTrayPictureSize), 2.0);
        EXPECT_EQ(fine.size(), QSize(2 * kTrayPictureSize, 2 * kTrayPictureSize));
        EXPECT_EQ(fine.toImage(), DrawTrayPicture(state, 2).toImage());
    }
}

} // namespace
} // namespace quillo
